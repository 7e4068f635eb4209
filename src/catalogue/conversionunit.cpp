#include "catalogue/conversionunit.h"

#include "platform/profilestore.h"
#include "text/formatting.h"

#include <atomic>

namespace {
std::atomic<int> g_resultDigits{kelvara::kAllResultDigits};

int InRange(int digits)
{
    return digits >= 1 && digits <= kelvara::kMaxResultDigits ? digits : kelvara::kAllResultDigits;
}
} // namespace

std::string CConversionUnit::FormatValue(double value) const
{
    return kelvara::FormatSignificant(value, kelvara::GetResultDigits());
}

namespace kelvara {

void SetResultDigits(int digits)
{
    g_resultDigits.store(InRange(digits), std::memory_order_relaxed);
}

int GetResultDigits()
{
    return g_resultDigits.load(std::memory_order_relaxed);
}

int ReadResultDigitsOption()
{
    return InRange(Profile().GetProfileInt("Options", kSignificantDigitsOption, kAllResultDigits));
}

} // namespace kelvara
