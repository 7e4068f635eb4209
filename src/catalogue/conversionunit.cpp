#include "catalogue/conversionunit.h"

#include "platform/profilestore.h"
#include "platform/settingskeys.h"
#include "text/formatting.h"

#include <atomic>

namespace {
std::atomic<int> g_resultDigits{kelvara::kDefaultResultDigits};

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

int ReadResultDigitsOption(const ProfileStore& store)
{
    const int stored = store.GetProfileInt(kOptionsSection, kSignificantDigitsOption, kDefaultResultDigits);
    // 0 is the user's choice of every digit; anything else outside the range was never offered.
    if (stored == kAllResultDigits)
        return kAllResultDigits;
    return InRange(stored) == kAllResultDigits ? kDefaultResultDigits : stored;
}

bool WriteResultDigitsOption(ProfileStore& store, int digits)
{
    return store.WriteProfileInt(kOptionsSection, kSignificantDigitsOption, InRange(digits));
}

} // namespace kelvara
