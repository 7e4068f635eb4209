#include "catalogue/currencycategory.h"

#include "platform/profilestore.h"
#include "platform/regional.h"
#include "text/formatting.h"

namespace {
constexpr const char* kOptions = "Options";
constexpr const char* kEuroReference = "EuroReference";
} // namespace

CCurrencyCategory::CCurrencyCategory() : CCategory(Currency, kelvara::IDS_CURRENCY, "currency")
{
}

bool CCurrencyCategory::IsEuroReference() const
{
    if (!m_euroReference)
        m_euroReference = kelvara::Profile().GetProfileInt(kOptions, kEuroReference, 1) != 0;
    return *m_euroReference;
}

std::string CCurrencyCategory::GetRateLine(const CCurrency& source, bool regional) const
{
    std::string prefix;
    std::string number;
    if (IsEuroReference()) {
        prefix = "1 \u20AC";
        number = FormatDouble(source.GetValue());
    } else {
        prefix = "US$ 1";
        const auto& units = GetUnits();
        const auto* dollar = units.empty() ? nullptr : dynamic_cast<const CCurrency*>(units.front().get());
        if (!dollar)
            return {};
        number = dollar->Convert("1", source);
    }
    return prefix + " = " + (regional ? ToRegionalCurrency(number) : number);
}

void CCurrencyCategory::ToggleEuroReference()
{
    m_euroReference = !IsEuroReference();
    kelvara::Profile().WriteProfileInt(kOptions, kEuroReference, *m_euroReference ? 1 : 0);
}
