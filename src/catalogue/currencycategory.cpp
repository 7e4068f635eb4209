#include "catalogue/currencycategory.h"

#include "catalogue/currencyrates.h"
#include "catalogue/currencyrowname.h"

#include "platform/profilestore.h"
#include "platform/regional.h"
#include "platform/settingskeys.h"
#include "text/formatting.h"
#include "text/translate.h"

#include <iterator>
#include <map>

namespace {

// Earlier versions stored a selection as its position in the lists, which showed the 279 rows of
// that day's built-in data file sorted by name: the file row of each such position. Rows are only ever
// added at the file's end, so these rows keep their place in the file.
constexpr int kEarlierListRows[] = {
    254, 253, 255, 256, 259, 257, 261, 260, 258, 32, 36, 37, 38, 39, 40, 41, 42, 43, 44, 3, 265, 45,
    46, 47, 48, 49, 50, 51, 52, 266, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 31, 65, 66, 67,
    68, 1, 69, 70, 71, 73, 72, 74, 75, 6, 76, 77, 78, 80, 79, 81, 82, 83, 84, 85, 86, 87, 88, 34, 89,
    90, 91, 27, 24, 11, 92, 93, 94, 95, 96, 97, 98, 99, 100, 22, 101, 264, 102, 104, 103, 105, 269,
    270, 106, 107, 108, 109, 110, 111, 112, 267, 113, 114, 268, 115, 116, 117, 118, 119, 120, 121, 122,
    123, 124, 7, 13, 14, 125, 126, 127, 128, 271, 129, 130, 272, 131, 132, 29, 133, 134, 135, 136, 137,
    138, 139, 140, 141, 142, 23, 143, 144, 145, 146, 21, 273, 147, 35, 262, 148, 149, 10, 150, 151, 28,
    152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 274, 169, 168, 170,
    4, 171, 172, 173, 174, 175, 176, 177, 15, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188,
    189, 16, 275, 190, 191, 192, 17, 18, 30, 193, 194, 195, 196, 197, 198, 199, 200, 201, 202, 203,
    204, 205, 33, 206, 207, 9, 208, 209, 19, 276, 210, 211, 5, 212, 213, 214, 277, 215, 216, 263, 217,
    218, 219, 220, 20, 12, 221, 8, 223, 222, 224, 225, 226, 227, 228, 229, 230, 25, 26, 231, 232, 233,
    234, 235, 236, 237, 2, 0, 238, 239, 240, 278, 241, 242, 243, 244, 245, 246, 247, 248, 249, 250,
    251, 252
};
} // namespace

CCurrencyCategory::CCurrencyCategory() : CCategory(Currency, kelvara::IDS_CURRENCY, "currency")
{
}

int CCurrencyCategory::FromEarlierListPosition(int position) const
{
    // A data file of the user's own is what the lists showed then too.
    constexpr int rows = static_cast<int>(std::size(kEarlierListRows));
    if (!IsBuiltInData() || GetUnits().size() < std::size(kEarlierListRows))
        return FromNameOrder(position);
    if (position < 0 || position >= rows)
        return position;
    return kEarlierListRows[position];
}

std::string CCurrencyCategory::GetUnitText(const CBaseUnit& unit) const
{
    const auto* currency = dynamic_cast<const CCurrency*>(&unit);
    if (!currency)
        return CCategory::GetUnitText(unit);
    return kelvara::CurrencyRowText(currency->GetRowName(), currency->GetCode()) + " (" +
           currency->GetCode() + ")";
}

void CCurrencyCategory::OnUnitsLoaded()
{
    AlignCodes();
    ApplyLinks();
}

void CCurrencyCategory::AlignCodes()
{
    std::map<std::string, const CCurrency*, std::less<>> leaders;
    for (const auto& unit : GetUnits()) {
        const auto* currency = dynamic_cast<const CCurrency*>(unit.get());
        if (!currency)
            continue;
        auto [it, added] = leaders.emplace(currency->GetCode(), currency);
        if (!added && !it->second->IsFixed() && currency->IsFixed())
            it->second = currency;
    }
    for (const auto& unit : GetUnits()) {
        auto* currency = dynamic_cast<CCurrency*>(unit.get());
        const CCurrency* leader = currency ? leaders[currency->GetCode()] : nullptr;
        if (!leader || leader == currency)
            continue;
        if (leader->IsFixed()) {
            currency->FixRate(leader->GetValue());
        } else {
            currency->SetRate(leader->GetValue());
            currency->SetRateOrigin(leader->GetRateDate(), leader->GetRateSource());
        }
    }
}

bool CCurrencyCategory::IsEuroReference() const
{
    if (!m_euroReference)
        m_euroReference =
            kelvara::Profile().GetProfileInt(kelvara::kOptionsSection, kelvara::kEuroReference, 1) != 0;
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
    kelvara::Profile().WriteProfileInt(kelvara::kOptionsSection, kelvara::kEuroReference,
                                       *m_euroReference ? 1 : 0);
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
    ApplyLinks();
    return changed;
}

const CCurrency* CCurrencyCategory::FindRateRow(std::string_view code, bool linked) const
{
    const CCurrency* found = nullptr;
    for (const auto& unit : GetUnits()) {
        const auto* candidate = dynamic_cast<const CCurrency*>(unit.get());
        if (!candidate || candidate->GetCode() != code || (!linked && candidate->IsLinked()))
            continue;
        if (!candidate->IsFixed())
            return candidate;
        if (!found)
            found = candidate;
    }
    return found;
}

void CCurrencyCategory::ApplyLinks()
{
    const auto& units = GetUnits();
    for (const auto& unit : units) {
        auto* currency = dynamic_cast<CCurrency*>(unit.get());
        const kelvara::CurrencyLink* link = currency ? kelvara::FindCurrencyLink(currency->GetCode()) : nullptr;
        // Even a row the file marks fixed: its rate was only ever the successor's of that day.
        if (!link)
            continue;
        const CCurrency* successor = FindRateRow(link->successor, false);
        if (!successor)
            continue;
        currency->SetLinked(true);
        currency->SetRate(successor->GetValue() * link->factor);
        currency->SetRateOrigin(successor->GetRateDate(), successor->GetRateSource());
    }
}
