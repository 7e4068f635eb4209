#include "online/referencerates.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "platform/profilestore.h"

#include <cstdio>
#include <map>
#include <set>

namespace kelvara {

namespace {

// The codes of the daily document as the ECB publishes it now (BGN went with Bulgaria's entry to
// the euro on 1 January 2026).
constexpr std::string_view kPublished[] = {
    "USD", "JPY", "CZK", "DKK", "GBP", "HUF", "PLN", "RON", "SEK", "CHF", "ISK", "NOK", "TRY", "AUD", "BRL",
    "CAD", "CNY", "HKD", "IDR", "ILS", "INR", "KRW", "MXN", "MYR", "NZD", "PHP", "SGD", "THB", "ZAR"};

// Older denominations: units of the old code per unit of the new one.
struct Redenomination {
    std::string_view oldCode;
    std::string_view newCode;
    double factor;
};
constexpr Redenomination kRedenominations[] = {{"ROL", "RON", 10'000.0}, {"TRL", "TRY", 1'000'000.0}};

std::string RateText(double rate)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", rate);
    return text;
}

} // namespace

bool IsReferenceRateCode(std::string_view code)
{
    for (const std::string_view published : kPublished)
        if (published == code)
            return true;
    for (const Redenomination& old : kRedenominations)
        if (old.oldCode == code)
            return true;
    return false;
}

ReferenceRatesStored StoreReferenceRates(const ReferenceRates& rates, const CCurrencyCategory& currencies)
{
    std::int64_t documentDay = 0;
    ReferenceRatesStored result;
    if (!ParseIsoDate(rates.date, documentDay))
        return result;

    // What to store, by code: the published rates and those derived for the old denominations.
    std::map<std::string, std::string, std::less<>> texts;
    for (std::size_t i = 0; i < rates.rates.size(); ++i) {
        const auto& [code, rate] = rates.rates[i];
        const std::string& text = i < rates.texts.size() ? rates.texts[i] : std::string();
        texts[code] = text.empty() ? RateText(rate) : text;
        for (const Redenomination& old : kRedenominations)
            if (old.newCode == code)
                texts[std::string(old.oldCode)] = RateText(rate * old.factor);
    }

    // One value per code serves all its rows; a code whose rows are all fixed takes nothing.
    std::set<std::string, std::less<>> floating;
    for (const auto& unit : currencies.GetUnits())
        if (const auto* currency = dynamic_cast<const CCurrency*>(unit.get());
            currency && !currency->IsFixed())
            floating.insert(currency->GetCode());

    for (const auto& [code, text] : texts) {
        if (!floating.count(code))
            continue;
        StoredRate stored;
        std::int64_t storedDay = 0;
        if (ReadStoredRate(code, stored) && ParseIsoDate(stored.date, storedDay)) {
            const bool typed = stored.source == kRateSourceTyped;
            if (storedDay > documentDay || (typed && storedDay == documentDay)) {
                ++result.kept;
                continue;
            }
        }
        if (WriteStoredRate(code, text, rates.date, kRateSourceEcb))
            ++result.stored;
    }
    std::int64_t lastDay = 0;
    if (!ParseIsoDate(Profile().GetProfileString(kRatesSection, kReferenceRatesDateEntry), lastDay) ||
        lastDay < documentDay)
        Profile().WriteProfileString(kRatesSection, kReferenceRatesDateEntry, rates.date);
    return result;
}

} // namespace kelvara

namespace kelvara {

std::string LastPublicationDate(std::int64_t nowTicks)
{
    constexpr std::int64_t kPublicationSecond = 15 * 3600;
    const std::int64_t seconds = SecondsFromTicks(nowTicks);
    std::int64_t day = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0)
        --day;
    if (seconds - day * kSecondsPerDay < kPublicationSecond)
        --day;
    // 1970-01-01 was a Thursday: day 0 has weekday 4 (0 = Sunday).
    const auto weekday = [](std::int64_t d) { return static_cast<int>(((d % 7) + 7 + 4) % 7); };
    while (weekday(day) == 0 || weekday(day) == 6)
        --day;
    return IsoDateFromDays(day);
}

bool AreReferenceRatesDue(std::int64_t nowTicks)
{
    std::int64_t stored = 0;
    std::int64_t published = 0;
    if (!ParseIsoDate(Profile().GetProfileString(kRatesSection, kReferenceRatesDateEntry), stored))
        return true;
    ParseIsoDate(LastPublicationDate(nowTicks), published);
    return stored < published;
}

} // namespace kelvara
