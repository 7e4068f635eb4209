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
        number = source.FormatValue(source.GetValue());
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

CCurrencyCategory::RateOrigin CCurrencyCategory::GetRateLineOrigin(const CCurrency& source) const
{
    RateOrigin origin{source.GetRateDate(), source.GetRateSource()};
    if (IsEuroReference())
        return origin;
    const auto& units = GetUnits();
    const auto* dollar = units.empty() ? nullptr : dynamic_cast<const CCurrency*>(units.front().get());
    if (!dollar || dollar == &source || dollar->IsFixed())
        return origin;
    if (source.IsFixed())
        return {dollar->GetRateDate(), dollar->GetRateSource()};
    // The built-in rate is the oldest there is; an unknown date comes next; else the earlier day.
    const auto rank = [](const std::string& date, const std::string& from) {
        if (from == kelvara::kRateSourceBuiltIn)
            return std::string("0");
        return date.empty() ? std::string("1") : "2" + date;
    };
    if (rank(dollar->GetRateDate(), dollar->GetRateSource()) < rank(origin.date, origin.source))
        origin = {dollar->GetRateDate(), dollar->GetRateSource()};
    return origin;
}

bool CCurrencyCategory::ReloadStoredRates()
{
    const kelvara::ProfileReads reads(kelvara::Profile());
    bool changed = false;
    for (const auto& unit : GetUnits()) {
        auto* currency = dynamic_cast<CCurrency*>(unit.get());
        if (!currency)
            continue;
        const double before = currency->GetValue();
        const std::string date = currency->GetRateDate();
        if (currency->ReloadStoredRate() &&
            (currency->GetValue() != before || currency->GetRateDate() != date))
            changed = true;
    }
    return changed;
}
