#include "catalogue/currencyrates.h"

#include "catalogue/civiltime.h"
#include "catalogue/currencycategory.h"
#include "platform/profilestore.h"
#include "text/formattext.h"
#include "text/leadingnumber.h"
#include "text/strings.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

namespace kelvara {

// The shortest text that reads back as the same number: a rate is stored exactly as it was taken.
std::string RateText(double rate)
{
    char text[64];
    *std::to_chars(text, text + sizeof text - 1, rate).ptr = '\0';
    return text;
}

namespace {

// Redenominations, by the issuing central bank's act, and the local issues at par.
const std::vector<CurrencyLink> kLinks = {
    {"AZM", "AZN", 5'000},         // Central Bank of Azerbaijan, 1 January 2006
    {"BYR", "BYN", 10'000},        // National Bank of the Republic of Belarus, 1 July 2016
    {"CSD", "RSD", 1},             // National Bank of Serbia: the dinar's code from 2006, at par
    {"GHC", "GHS", 10'000},        // Bank of Ghana, 1 July 2007
    {"MRO", "MRU", 10},            // Central Bank of Mauritania, 1 January 2018
    {"MZM", "MZN", 1'000},         // Banco de Moçambique, 1 July 2006
    {"SDD", "SDG", 100},           // Central Bank of Sudan, 2007 (1 SDG = 100 dinars)
    {"STD", "STN", 1'000},         // Banco Central de São Tomé e Príncipe, 1 January 2018
    {"TMM", "TMT", 5'000},         // Central Bank of Turkmenistan, 1 January 2009
    {"ZMK", "ZMW", 1'000},         // Bank of Zambia, 1 January 2013
    {"SLL", "SLE", 1'000},         // Bank of Sierra Leone, 1 July 2022
    {"ANG", "XCG", 1},             // Centrale Bank van Curaçao en Sint Maarten, 31 March 2025
    {"VEF", "VES", 100'000},       // Banco Central de Venezuela, 20 August 2018
    {"VEB", "VES", 100'000'000},   // the same, after 1 VEF = 1000 VEB of 1 January 2008
    {"ZWL", "ZWG", 2'498.7242},    // Reserve Bank of Zimbabwe, monetary policy statement, 5 April 2024
    {"ROL", "RON", 10'000},        // National Bank of Romania, 1 July 2005
    {"TRL", "TRY", 1'000'000},     // Central Bank of the Republic of Turkey, 1 January 2005
    {"MGF", "MGA", 5},             // Banky Foiben'i Madagasikara: the ariary alone from 1 January 2005
    {"SRG", "SRD", 1'000},         // Centrale Bank van Suriname, 1 January 2004
    {"GGP", "GBP", 1},             // States of Guernsey: the local issue of sterling, at par
    {"JEP", "GBP", 1},             // States of Jersey, likewise
    {"IMP", "GBP", 1},             // Isle of Man Treasury, likewise
    {"TVD", "AUD", 1},             // Tuvalu's coins, at par with the Australian dollar it uses
};

std::int64_t BuiltInDay()
{
    std::int64_t day = 0;
    ParseIsoDate(kBuiltInRatesDate, day);
    return day;
}

// A stored rate as the rules see it.
struct Held {
    bool present = false;
    double rate = 0;
    std::int64_t day = 0;
    bool dated = false;
    std::string source;
};

class Update {
public:
    Update(const CCurrencyCategory& currencies, RateRequest request, ProfileStore& store)
        : m_request(request), m_store(store)
    {
        for (const auto& unit : currencies.GetUnits())
            if (const auto* currency = dynamic_cast<const CCurrency*>(unit.get());
                currency && currency->TakesRates())
                m_floating.insert(currency->GetCode());
    }

    // The stored rate of `code` as the update has left it so far.
    Held Get(const std::string& code) const
    {
        if (const auto it = m_held.find(code); it != m_held.end())
            return it->second;
        Held& held = m_held[code];
        StoredRate stored;
        if (!ReadStoredRate(m_store, code, stored))
            return held;
        held.present = true;
        held.rate = stored.rate;
        held.source = stored.source;
        held.dated = ParseIsoDate(stored.date, held.day);
        return held;
    }

    // Whether exactly this rate of this source and day is what is held for `code`.
    bool Holds(const std::string& code, double rate, const std::string& source, std::int64_t day) const
    {
        const Held held = Get(code);
        return held.present && held.dated && held.day == day && held.source == source && held.rate == rate;
    }

    // Whether a rate of `source` and `day` replaces what is held for `code`.
    bool Replaces(const std::string& code, const std::string& source, std::int64_t day) const
    {
        const Held held = Get(code);
        // The rates the program carries are of their day too: an older document is no news.
        if (!held.present || held.source == kRateSourceBuiltIn)
            return day >= BuiltInDay();
        if (!held.dated)
            return m_request == RateRequest::User;
        if (held.source == kRateSourceTyped)
            return day > held.day;
        const bool fromEcb = source == kRateSourceEcb;
        const bool heldEcb = held.source == kRateSourceEcb;
        if (fromEcb && !heldEcb)
            return day + kEcbPreferenceDays >= held.day;
        if (!fromEcb && heldEcb)
            return day > held.day + kEcbPreferenceDays;
        return day >= held.day;
    }

    void Set(const std::string& code, const std::string& text, double rate, const std::string& date,
             std::int64_t day, const std::string& source)
    {
        for (auto& value : StoredRateValues(code, text, date, source))
            m_writes.push_back(std::move(value));
        m_held[code] = Held{true, rate, day, true, source};
    }

    void SetDocumentDay(const char* entry, const std::string& date, std::int64_t day)
    {
        if (LastDocumentDay(entry) < day)
            m_writes.push_back({kRatesSection, entry, date});
    }

    // The day of the last document of this kind stored; the built-in rates' day before any.
    std::int64_t LastDocumentDay(const char* entry) const
    {
        std::int64_t last = 0;
        return ParseIsoDate(m_store.GetProfileString(kRatesSection, entry), last) ? last : BuiltInDay();
    }

    bool Floating(const std::string& code) const { return m_floating.count(code) != 0; }
    bool Commit() { return m_writes.empty() || m_store.WriteProfileStrings(m_writes); }

private:
    RateRequest m_request;
    ProfileStore& m_store;
    std::set<std::string, std::less<>> m_floating;
    mutable std::map<std::string, Held, std::less<>> m_held; // read once, then as the update left it
    std::vector<ProfileStore::Value> m_writes;
};

void Apply(Update& update, const RateDocument& document, std::int64_t day, RateDocumentResult& result)
{
    for (std::size_t i = 0; i < document.rates.size(); ++i) {
        const auto& [code, rate] = document.rates[i];
        // A superseded code in the document is never taken: its row follows the successor.
        if (!update.Floating(code) || FindCurrencyLink(code))
            continue;
        if (update.Holds(code, rate, document.source, day))
            continue; // the same document again: nothing to store, nothing kept back
        if (!update.Replaces(code, document.source, day)) {
            ++result.kept;
            continue;
        }
        const std::string& given = i < document.texts.size() ? document.texts[i] : std::string();
        update.Set(code, given.empty() || given.size() > kMaxRateTextLength ? RateText(rate) : given, rate,
                   document.date, day, document.source);
        ++result.stored;
    }
}

// The euro is the base of both documents: a figure for it other than 1 says the document is not
// what it claims, so none of it is taken.
bool EuroIsOne(const RateDocument& document, std::string& why)
{
    for (const auto& [code, rate] : document.rates) {
        if (code == kEuroCode && rate != 1) {
            // The shortest text that reads back as the figure: 1.0000000001 must not read "1".
            why = FormatText(LoadString(IDS_RATES_EURO_NOT_ONE), {RateText(rate)});
            return false;
        }
    }
    return true;
}

// A figure no currency can have refuses the document: it is broken or forged, and its other
// figures are no better. Only codes the program takes are judged (the world document also lists
// tokens of every size).
bool Plausible(const Update& update, const RateDocument& document, std::string& why)
{
    for (const auto& [code, rate] : document.rates) {
        if (update.Floating(code) && !FindCurrencyLink(code) && !IsPlausibleRate(rate)) {
            why = FormatText(LoadString(IDS_RATES_IMPLAUSIBLE), {code, RateText(rate)});
            return false;
        }
    }
    return true;
}

// Takes a document, judged by its day against the last one of its kind stored (`entry`) when it
// brought nothing new: of that very day it is current; older, it is stale.
void ApplyByAge(Update& update, const RateDocument& document, std::int64_t day, const char* entry,
                RateDocumentResult& result)
{
    const std::int64_t last = update.LastDocumentDay(entry);
    Apply(update, document, day, result);
    if (result.stored == 0 && day == last)
        result.current = true;
    if (result.stored == 0 && day < last) {
        result.refused = true;
        result.why = FormatText(LoadString(IDS_RATES_STALE), {document.date, IsoDateFromDays(last)});
        return;
    }
    update.SetDocumentDay(entry, document.date, day);
}

// Refuses the world document when it disagrees with a recent ECB rate on a code both publish.
bool CrossCheck(const Update& update, const RateDocument& world, std::int64_t day, std::string& why)
{
    for (const auto& [code, rate] : world.rates) {
        const Held held = update.Get(code);
        if (!held.present || held.source != kRateSourceEcb || !held.dated || day - held.day > kCrossCheckDays)
            continue;
        const double ecb = held.rate;
        const double off = std::fabs(rate - ecb) / ecb;
        if (off > kCrossCheckTolerance) {
            why = FormatText(LoadString(IDS_RATES_DISAGREE), {code, off * 100});
            return false;
        }
    }
    return true;
}

} // namespace

const std::vector<CurrencyLink>& CurrencyLinks()
{
    return kLinks;
}

const CurrencyLink* FindCurrencyLink(std::string_view code)
{
    for (const CurrencyLink& link : kLinks)
        if (link.code == code)
            return &link;
    return nullptr;
}

RateUpdateResult StoreRateDocuments(const RateDocument* ecb, const RateDocument* world,
                                    const CCurrencyCategory& currencies, RateRequest request,
                                    ProfileStore& store)
{
    RateUpdateResult result;
    // Read, decide and write with no other update in between (a background update of the window
    // and a command line's from a cron job may run at once).
    const ProfileUpdate exclusive(store);
    // Hundreds of reads: one look at the store for all of them.
    const ProfileReads reads(store);
    Update update(currencies, request, store);
    std::int64_t day = 0;
    if (ecb) {
        result.ecb.given = true;
        if (!ParseIsoDate(ecb->date, day)) {
            result.ecb.refused = true;
            result.ecb.why = LoadString(IDS_RATES_NO_VALID_DATE);
        } else if (!EuroIsOne(*ecb, result.ecb.why) || !Plausible(update, *ecb, result.ecb.why)) {
            result.ecb.refused = true;
        } else {
            ApplyByAge(update, *ecb, day, kReferenceRatesDateEntry, result.ecb);
        }
    }
    if (world) {
        result.world.given = true;
        if (!ParseIsoDate(world->date, day)) {
            result.world.refused = true;
            result.world.why = LoadString(IDS_RATES_NO_VALID_DATE);
        } else if (!EuroIsOne(*world, result.world.why) || !Plausible(update, *world, result.world.why) ||
                   !CrossCheck(update, *world, day, result.world.why)) {
            result.world.refused = true;
        } else {
            ApplyByAge(update, *world, day, kWorldRatesDateEntry, result.world);
        }
    }
    result.written = update.Commit();
    if (!result.written) {
        // Nothing of either document is stored.
        result.ecb.stored = result.world.stored = 0;
    }
    return result;
}

UserRateResult StoreUserRate(CCurrencyCategory& currencies, const std::string& code, const std::string& text,
                             const std::string& source, ProfileStore& store)
{
    const double rate = ReadLeadingDouble(text);
    // An infinite or absurd rate (a typed 1e999, 1e-320) would turn every conversion into
    // nonsense, like 0 does.
    if (text.empty() || text.size() > kMaxRateTextLength || !IsPlausibleRate(rate))
        return UserRateResult::Invalid;
    // Only a code with a row that takes rates has one to store (never the euro, nor a fixed peg).
    bool takes = false;
    for (const auto& unit : currencies.GetUnits())
        if (const auto* row = dynamic_cast<const CCurrency*>(unit.get()); row && row->GetCode() == code)
            takes = takes || row->TakesRates();
    if (!takes)
        return UserRateResult::Invalid;
    const std::string today = TodayIsoDate();
    if (!WriteStoredRate(store, code, text, today, source))
        return UserRateResult::WriteFailed;
    // Rates are kept by code: every floating row of it takes the new rate now, not after a restart.
    for (const auto& unit : currencies.GetUnits()) {
        auto* other = dynamic_cast<CCurrency*>(unit.get());
        if (other && other->TakesRates() && other->GetCode() == code) {
            other->SetRate(rate);
            other->SetRateOrigin(today, source);
        }
    }
    currencies.ApplyLinks();
    return UserRateResult::Stored;
}

std::int64_t LastPublicationDay(UtcTicks now)
{
    constexpr int kPublicationHour = 15;
    std::int64_t day = DaysFromTicks(now);
    if (CivilFromTicks(now).hour < kPublicationHour)
        --day;
    // 1970-01-01 was a Thursday: day 0 has weekday 4 (0 = Sunday).
    const auto weekday = [](std::int64_t d) { return static_cast<int>(((d % 7) + 7 + 4) % 7); };
    while (weekday(day) == 0 || weekday(day) == 6)
        --day;
    return day;
}

DueRates RatesDue(const ProfileStore& store, UtcTicks now)
{
    const auto olderThan = [&store](const char* entry, std::int64_t day) {
        std::int64_t stored = 0;
        return !ParseIsoDate(store.GetProfileString(kRatesSection, entry), stored) || stored < day;
    };
    return {olderThan(kReferenceRatesDateEntry, LastPublicationDay(now)),
            olderThan(kWorldRatesDateEntry, DaysFromTicks(now))};
}

} // namespace kelvara
