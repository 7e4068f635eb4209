#include "catalogue/firstvisit.h"

#include "catalogue/countrycode.h"
#include "catalogue/currency.h"
#include "catalogue/sensitivity.h"
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "platform/systemzone.h"
#include "text/textcase.h"

#include <functional>
#include <string_view>

namespace kelvara {

namespace {

// Units named as their data files write them in English. `metric` is the pair where the locale
// measures in metric; `customary` swaps it where it measures in US units (false: the same pair
// everywhere, for quantities both systems measure alike).
struct Pair {
    std::string_view category;
    std::string_view source;
    std::string_view target;
    bool customary;
};
constexpr Pair kPairs[] = {
    {"Weight", "kilogram (kg)", "pound (lb)", true},
    {"Length", "meter (m)", "foot (ft)", true},
    {"Area", "square meter (m²)", "square foot (sq ft)", true},
    {"Capacity", "liter (l)", "[US] gallon (gal)", true},
    {"Speed", "kilometers/hour (km/h)", "miles per hour (mph)", true},
    {"Pressure", "bar", "lbf/sq in (psi)", true},
    {"Power", "kilowatt (kW)", "[US] horsepower (HP)", true},
    // Food labels count the kilocalorie of 4.184 kJ.
    {"Energy", "kilojoule (kJ)", "food kilocalorie (food kcal)", true},
    {"Temperature", "° Celsius (°C)", "° Fahrenheit (°F)", true},
    {"Fuel Economy", "liters per 100 kilometers (L/100 km)", "[US] miles per gallon (mpg)", true},
    {"Force", "newton (N)", "pound-force (lbf)", true},
    {"Torque", "newton meter (N·m)", "pound-force foot (lbf·ft)", true},
    {"Density", "kilogram per cubic meter (kg/m³)", "pound per cubic foot (lb/ft³)", true},
    {"Acceleration", "meter per second squared (m/s²)", "foot per second squared (ft/s²)", true},
    {"Time", "hour (h)", "minute (min)", false},
    {"Data Size", "gigabyte (GB)", "gibibyte (GiB)", false},
    {"Data Rate", "megabit per second (Mbit/s)", "megabyte per second (MB/s)", false},
    {"Angle", "degree (°)", "radian (rad)", false},
    {"Frequency", "hertz (Hz)", "revolutions per minute (rpm)", false},
    {"Numbers", "Decimal", "Hexadecimal", false},
};

using Match = std::function<bool(const ListItem& item)>;

int Find(const SortedList& list, const Match& match)
{
    for (int i = 0; i < list.GetCount(); ++i)
        if (match(list.GetItem(i)))
            return i;
    return -1;
}

Match Named(const CCategory& category, std::string_view name)
{
    return [&category, name](const ListItem& item) { return category.GetEnglishText(item) == name; };
}

Match Column(int column)
{
    return [column](const ListItem& item) { return !item.unit && item.column == column; };
}

// A currency's row with the shortest name: "Euro" rather than "Andorra Euro", "India Rupee" rather
// than "Bhutan India Rupee".
int FindCurrency(const SortedList& list, std::string_view code)
{
    int best = -1;
    std::size_t bestLength = 0;
    for (int i = 0; i < list.GetCount(); ++i) {
        const auto* row = dynamic_cast<const CCurrency*>(list.GetItem(i).unit);
        if (!row || row->GetCode() != code)
            continue;
        if (best < 0 || row->GetRowName().size() < bestLength) {
            best = i;
            bestLength = row->GetRowName().size();
        }
    }
    return best;
}

FirstVisit Currencies(const SortedList& sources, const SortedList& targets, const UserRegion& region)
{
    const std::string own = region.currency.empty() ? "USD" : region.currency;
    const char* other = own == kEuroCode ? "USD" : kEuroCode;
    FirstVisit visit{FindCurrency(sources, own), FindCurrency(targets, other)};
    if (visit.source < 0) // a currency the list does not hold: the dollar against the euro
        visit = {FindCurrency(sources, "USD"), FindCurrency(targets, kEuroCode)};
    return visit;
}

FirstVisit Zones(const CTimeZoneCategory& zones, const SortedList& sources, const SortedList& targets)
{
    const CTimeZone* system = zones.FindSystemZone(ReadSystemZone());
    const CTimeZone* utc = zones.FindZone("Etc/UTC");
    const auto is = [](const CTimeZone* zone) {
        return [zone](const ListItem& item) { return zone && item.unit == zone; };
    };
    return {Find(sources, is(system)), Find(targets, is(utc))};
}

} // namespace

FirstVisit ChooseFirstVisit(const CCategory& category, const SortedList& sources, const SortedList& targets,
                            const UserRegion& region)
{
    const std::string name = category.GetEnglishName();
    for (const Pair& pair : kPairs) {
        if (pair.category != name)
            continue;
        const bool swap = pair.customary && !region.metric;
        return {Find(sources, Named(category, swap ? pair.target : pair.source)),
                Find(targets, Named(category, swap ? pair.source : pair.target))};
    }
    switch (category.GetKind()) {
    case Currency:
        return Currencies(sources, targets, region);
    case TimeZone:
        if (const auto* zones = dynamic_cast<const CTimeZoneCategory*>(&category))
            return Zones(*zones, sources, targets);
        return {};
    default:
        break;
    }
    if (name == "Film Sensitivity")
        return {Find(sources, Column(CSensitivity::ColumnAsa)),
                Find(targets, Column(CSensitivity::ColumnDin))};
    if (name == "Country and Phone Codes" && !region.country.empty()) {
        const std::string country = AsciiLowered(region.country);
        return {Find(sources,
                     [&country](const ListItem& item) {
                         const auto* row = dynamic_cast<const CCountryCode*>(item.unit);
                         return row && AsciiLowered(row->GetCode()) == country;
                     }),
                -1};
    }
    return {};
}

} // namespace kelvara
