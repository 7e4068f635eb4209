#include "catalogue/currencyrates.h"

#include "catalogue/civiltime.h"
#include "catalogue/currencycategory.h"
#include "platform/profilestore.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kelvara {
namespace {

// A few rows as the data file writes them, loaded as the program loads the file.
class Currencies : public CCurrencyCategory {
public:
    Currencies()
    {
        static const std::string rows = "United States Dollars,USD,F,1.1\n"
                                        "United Kingdom Pounds,GBP,F,0.85\n"
                                        "Guernsey Pound,GGP,F,0.9\n"
                                        "Azerbaijan Manat,AZN,F,1.9\n"
                                        "Azerbaijan *Manat,AZM,F,9000\n"
                                        "Venezuela Bolivar,VES,F,900\n"
                                        "Venezuela *Bolivar,VEB,F,5\n"
                                        "Benin CFA Franc BCEAO,XOF,T,655.957\n"
                                        "Japan Yen,JPY,F,160\n"
                                        "Euro,EUR,T,1\n"
                                        "Andorra Euro,EUR,F,1.2\n"
                                        "Senegal CFA Franc,XOF,F,600\n";
        LoadDataBytes({reinterpret_cast<const std::uint8_t*>(rows.data()), rows.size()});
    }
    const CCurrency& Row(const std::string& code) const
    {
        for (const auto& unit : GetUnits())
            if (const auto* currency = static_cast<const CCurrency*>(unit.get()); currency->GetCode() == code)
                return *currency;
        throw std::runtime_error("no row " + code);
    }
};

class CurrencyRates : public testing::Test {
protected:
    void SetUp() override { SetProfile(&m_store); }
    void TearDown() override { SetProfile(nullptr); }

    void Hold(const std::string& code, const std::string& rate, const std::string& date, const std::string& source)
    {
        m_store.WriteProfileStrings({{kRatesSection, code, rate}});
        if (!date.empty())
            m_store.WriteProfileStrings({{kRatesSection, code + ".Date", date}});
        if (!source.empty())
            m_store.WriteProfileStrings({{kRatesSection, code + ".Source", source}});
    }
    std::string Stored(const std::string& entry) const { return m_store.GetProfileString(kRatesSection, entry); }

    MemoryProfileStore m_store;
};

TEST_F(CurrencyRates, SuccessorsPegsAndLocalIssuesFollowTheirCurrency)
{
    Currencies currencies;
    EXPECT_DOUBLE_EQ(currencies.Row("AZM").GetValue(), 1.9 * 5000) << "the file's own figure is not used";
    EXPECT_TRUE(currencies.Row("AZM").IsLinked());
    EXPECT_FALSE(currencies.Row("AZM").TakesRates());
    EXPECT_DOUBLE_EQ(currencies.Row("VEB").GetValue(), 900 * 1e8);
    EXPECT_DOUBLE_EQ(currencies.Row("GGP").GetValue(), 0.85);
    EXPECT_FALSE(currencies.Row("XOF").TakesRates());

    // A typed successor rate carries over at once, with its day and source; a stored rate of
    // the old code itself is never taken.
    Hold("AZM", "1", "2026-12-08", kRateSourceTyped);
    ASSERT_EQ(StoreUserRate(currencies, "AZN", "2", kRateSourceTyped, m_store), UserRateResult::Stored);
    EXPECT_DOUBLE_EQ(currencies.Row("AZM").GetValue(), 10000);
    EXPECT_EQ(currencies.Row("AZM").GetRateSource(), kRateSourceTyped);
    Currencies next;
    EXPECT_DOUBLE_EQ(next.Row("AZM").GetValue(), 10000);
}

// Which rate a code keeps when a document arrives: one row per case.
TEST_F(CurrencyRates, PrecedenceOfSources)
{
    struct Case {
        const char* held;       // source of the stored rate ("" = none; "stored" = undated)
        const char* heldDate;
        const char* document;   // kRateSourceEcb or kRateSourceWorld
        const char* date;
        RateRequest request;
        bool replaced;
    };
    const Case cases[] = {
        {"", "", kRateSourceWorld, "2026-12-08", RateRequest::Background, true},
        {kRateSourceBuiltIn, "2026-09-29", kRateSourceWorld, "2026-12-08", RateRequest::Background, true},
        {kRateSourceEcb, "2026-12-04", kRateSourceWorld, "2026-12-08", RateRequest::Background, false},
        {kRateSourceEcb, "2026-12-03", kRateSourceWorld, "2026-12-08", RateRequest::Background, true},
        {kRateSourceWorld, "2026-12-08", kRateSourceEcb, "2026-12-04", RateRequest::Background, true},
        {kRateSourceWorld, "2026-12-08", kRateSourceEcb, "2026-12-03", RateRequest::Background, false},
        {kRateSourceWorld, "2026-12-08", kRateSourceWorld, "2026-12-07", RateRequest::Background, false},
        {kRateSourceEcb, "2026-12-07", kRateSourceEcb, "2026-12-07", RateRequest::Background, true},
        {kRateSourceTyped, "2026-12-07", kRateSourceEcb, "2026-12-07", RateRequest::User, false},
        {kRateSourceTyped, "2026-12-07", kRateSourceWorld, "2026-12-08", RateRequest::Background, true},
        {kRateSourceStored, "", kRateSourceEcb, "2026-12-07", RateRequest::Background, false},
        {kRateSourceStored, "", kRateSourceEcb, "2026-12-07", RateRequest::User, true},
    };
    for (const Case& c : cases) {
        m_store.Clear();
        if (*c.held)
            Hold("JPY", "150", c.heldDate, c.held == std::string(kRateSourceStored) ? "" : c.held);
        Currencies currencies;
        const RateDocument document{c.document, c.date, {{"JPY", 153}}, {}};
        const bool ecb = c.document == std::string(kRateSourceEcb);
        const RateUpdateResult result = StoreRateDocuments(ecb ? &document : nullptr, ecb ? nullptr : &document,
                                                           currencies, c.request, m_store);
        const std::string what = std::string(c.held) + " of " + c.heldDate + " against " + c.document + " of " + c.date;
        EXPECT_TRUE(result.written);
        EXPECT_EQ(Stored("JPY"), c.replaced ? "153" : "150") << what;
        EXPECT_EQ((ecb ? result.ecb : result.world).stored, c.replaced ? 1 : 0) << what;
        EXPECT_TRUE((ecb ? result.ecb : result.world).given);
        EXPECT_FALSE((ecb ? result.world : result.ecb).given);
    }
}

TEST_F(CurrencyRates, OneUpdateTakesTheEcbFirstAndChecksTheWorldAgainstIt)
{
    Currencies currencies;
    const RateDocument ecb{kRateSourceEcb, "2026-12-07", {{"USD", 1.16}, {"JPY", 180}}, {"1.1600", "180.00"}};
    const RateDocument world{kRateSourceWorld,
                             "2026-12-08",
                             {{"USD", 1.17}, {"AZN", 1.98}, {"AZM", 1}, {"XOF", 600}, {"BTC", 1e-5}, {"GGP", 2}},
                             {}};
    const RateUpdateResult result = StoreRateDocuments(&ecb, &world, currencies, RateRequest::Background, m_store);
    EXPECT_EQ(result.ecb.stored, 2);
    EXPECT_EQ(result.world.stored, 1) << "AZN only: USD is the ECB's, AZM and GGP follow, XOF is fixed";
    EXPECT_EQ(result.world.kept, 1);
    EXPECT_EQ(Stored("USD"), "1.1600");
    EXPECT_EQ(Stored("AZN"), "1.98");
    EXPECT_EQ(Stored("AZN.Source"), kRateSourceWorld);
    EXPECT_EQ(Stored(kReferenceRatesDateEntry), "2026-12-07");
    EXPECT_EQ(Stored(kWorldRatesDateEntry), "2026-12-08");
    for (const char* untouched : {"AZM", "XOF", "BTC", "GGP"})
        EXPECT_FALSE(m_store.Contains(kRatesSection, untouched)) << untouched;
    currencies.ReloadStoredRates();
    EXPECT_DOUBLE_EQ(currencies.Row("AZM").GetValue(), 1.98 * 5000);
    EXPECT_EQ(currencies.Row("AZM").GetRateSource(), kRateSourceWorld);

    // A world document far off the ECB's recent rate is refused whole, and says why.
    const RateDocument wrong{kRateSourceWorld, "2026-12-09", {{"AZN", 2.5}, {"USD", 2.32}}, {}};
    const RateUpdateResult refused = StoreRateDocuments(nullptr, &wrong, currencies, RateRequest::User, m_store);
    EXPECT_TRUE(refused.world.refused);
    EXPECT_EQ(refused.world.why, "the world rates disagree with the ECB on USD by 100.0 %");
    EXPECT_EQ(Stored("AZN"), "1.98");
    EXPECT_EQ(Stored(kWorldRatesDateEntry), "2026-12-08");
    // Once the ECB's rate is more than a week older than the document, it no longer judges it.
    for (const auto& [date, judged] : {std::pair{"2026-12-14", true}, std::pair{"2026-12-15", false}}) {
        const RateDocument next{kRateSourceWorld, date, {{"USD", 2.32}}, {}};
        EXPECT_EQ(StoreRateDocuments(nullptr, &next, currencies, RateRequest::User, m_store).world.refused,
                  judged)
            << date;
    }
    // The ECB's rate judges the world document of the same update before it is stored; 3 % off is
    // still agreement.
    const RateDocument ecb100{kRateSourceEcb, "2026-12-07", {{"USD", 1.16}, {"JPY", 100}}, {}};
    for (const auto& [jpy, why] : {std::pair{103.0, ""}, std::pair{103.5, "on JPY by 3.5 %"}}) {
        MemoryProfileStore fresh;
        const RateDocument sent{kRateSourceWorld, "2026-12-08", {{"JPY", jpy}}, {}};
        const std::string said =
            StoreRateDocuments(&ecb100, &sent, currencies, RateRequest::User, fresh).world.why;
        EXPECT_EQ(said, *why ? std::string("the world rates disagree with the ECB ") + why : "");
        EXPECT_EQ(fresh.GetProfileString(kRatesSection, "JPY"), "100");
    }
}

// The euro is the base of every rate: its rows stay at 1 whatever a document, the user, a data
// file or an earlier version's stored rate says, and a document that says otherwise is refused.
// (The rows come from a data file of the user's own, which may mix them.)
TEST_F(CurrencyRates, RowsOfACodeConvertAlikeAndTheEuroIsAlwaysOne)
{
    Hold("EUR", "1.5", "2026-12-01", kRateSourceWorld);
    Currencies currencies;
    // Rows of one code convert alike: a fixed row fixes them all.
    for (const auto& unit : currencies.GetUnits()) {
        const auto& row = static_cast<const CCurrency&>(*unit);
        EXPECT_EQ(row.GetValue(), currencies.Row(row.GetCode()).GetValue()) << row.GetName();
        EXPECT_EQ(row.GetRateSource(), currencies.Row(row.GetCode()).GetRateSource()) << row.GetName();
    }
    EXPECT_EQ(currencies.Row("EUR").GetValue(), 1);
    EXPECT_EQ(currencies.Row("EUR").GetRateSource(), kRateSourceFixed);
    EXPECT_EQ(StoreUserRate(currencies, "EUR", "1.5", kRateSourceTyped, m_store), UserRateResult::Invalid);
    EXPECT_EQ(StoreUserRate(currencies, "XOF", "600", kRateSourceTyped, m_store), UserRateResult::Invalid);

    const struct {
        double euro;
        const char* why; // "" = taken
    } cases[] = {
        {1, ""},
        {1.5, "the document gives the euro a rate of 1.5, not 1"},
        {0, "the document gives the euro a rate of 0, not 1"},
        {1.0000000001, "the document gives the euro a rate of 1.0000000001, not 1"},
    };
    for (const auto& c : cases) {
        for (const char* source : {kRateSourceEcb, kRateSourceWorld}) {
            MemoryProfileStore store;
            const RateDocument document{source, "2026-12-08", {{"JPY", 170}, {"EUR", c.euro}}, {}};
            const bool ecb = source == std::string(kRateSourceEcb);
            const RateUpdateResult r = StoreRateDocuments(
                ecb ? &document : nullptr, ecb ? nullptr : &document, currencies, RateRequest::User, store);
            const RateDocumentResult& result = ecb ? r.ecb : r.world;
            EXPECT_EQ(result.why, c.why) << source << " " << c.euro;
            EXPECT_EQ(result.refused, *c.why != '\0');
            EXPECT_EQ(store.GetProfileString(kRatesSection, "JPY"), *c.why ? "" : "170")
                << "taken whole or not at all";
            EXPECT_FALSE(store.Contains(kRatesSection, "EUR"));
        }
    }
}

// Documents a hostile or broken server may send: each is refused whole with the code and the
// figure or the days, or (of the day already stored) reported current; nothing of a refused one
// is stored.
TEST_F(CurrencyRates, ImplausibleAndStaleDocumentsAreRefusedWhole)
{
    Currencies currencies;
    const struct {
        const char* held; // the world document's day already stored ("" = none)
        const char* date;
        std::vector<std::pair<std::string, double>> rates;
        const char* why; // "" = taken
        bool current;
    } cases[] = {
        {"",
         "2026-12-08",
         {{"JPY", 170}, {"USD", 1e308}},
         "the document gives USD a rate of 1e+308 to the euro, outside 1e-9 to 1e9",
         false},
        {"",
         "2026-12-08",
         {{"JPY", 170}, {"USD", 1e-320}},
         "the document gives USD a rate of 1e-320 to the euro, outside 1e-9 to 1e9",
         false},
        {"", "2026-12-08", {{"JPY", 1e-9}, {"USD", 1e9}}, "", false},
        // Codes the program does not take are not judged: the world document lists tokens too.
        {"", "2026-12-08", {{"JPY", 170}, {"BTC", 1e-12}, {"XOF", 1e12}}, "", false},
        // The built-in rates are of their day: older documents are no news.
        {"",
         "1970-01-01",
         {{"JPY", 170}},
         "the document of 1970-01-01 is older than the rates you have, of 2026-09-29",
         false},
        {"2026-12-08",
         "2026-12-01",
         {{"JPY", 170}},
         "the document of 2026-12-01 is older than the rates you have, of 2026-12-08",
         false},
        {"2026-12-08", "2026-12-08", {{"JPY", 170}}, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        MemoryProfileStore store;
        if (*c.held) {
            store.WriteProfileStrings({{kRatesSection, kWorldRatesDateEntry, c.held},
                                       {kRatesSection, "JPY", "170"},
                                       {kRatesSection, "JPY.Date", c.held},
                                       {kRatesSection, "JPY.Source", kRateSourceWorld}});
        }
        const std::string jpyBefore = store.GetProfileString(kRatesSection, "JPY");
        const RateDocument world{kRateSourceWorld, c.date, c.rates, {}};
        const RateDocumentResult r =
            StoreRateDocuments(nullptr, &world, currencies, RateRequest::User, store).world;
        EXPECT_EQ(r.why, c.why);
        EXPECT_EQ(r.refused, *c.why != '\0');
        EXPECT_EQ(r.current, c.current);
        if (r.refused) {
            EXPECT_EQ(store.GetProfileString(kRatesSection, "JPY"), jpyBefore);
            EXPECT_EQ(store.GetProfileString(kRatesSection, kWorldRatesDateEntry), c.held);
        }
    }
}

// Two updates at once, the newer committing between the older's reads and its write: the older
// waits, reads what the newer stored, and keeps it.
TEST_F(CurrencyRates, AnUpdateNeverRollsBackOneThatRanMeanwhile)
{
    Currencies currencies;
    class RacingStore : public MemoryProfileStore {
    public:
        std::function<void()> onFirstRead;
        bool GetProfileString(const std::string& section, const std::string& entry,
                              std::string& value) const override
        {
            if (onFirstRead && std::this_thread::get_id() == reader)
                std::exchange(const_cast<RacingStore*>(this)->onFirstRead, nullptr)();
            return MemoryProfileStore::GetProfileString(section, entry, value);
        }
        using MemoryProfileStore::GetProfileString;
        std::thread::id reader = std::this_thread::get_id();
    } store;

    const RateDocument older{kRateSourceWorld, "2026-12-07", {{"JPY", 170}}, {}};
    const RateDocument newer{kRateSourceWorld, "2026-12-08", {{"JPY", 180}}, {}};
    std::mutex mutex;
    std::condition_variable changed;
    bool waiting = false;
    bool done = false;
    store.SetUpdateWaitHook([&] {
        const std::lock_guard lock(mutex);
        waiting = true;
        changed.notify_all();
    });
    std::thread other;
    store.onFirstRead = [&] {
        other = std::thread([&] {
            StoreRateDocuments(nullptr, &newer, currencies, RateRequest::Background, store);
            const std::lock_guard lock(mutex);
            done = true;
            changed.notify_all();
        });
        // Without one lock over the update, the newer one runs to its end right here.
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return waiting || done; });
    };
    StoreRateDocuments(nullptr, &older, currencies, RateRequest::Background, store);
    other.join();
    EXPECT_EQ(store.GetProfileString(kRatesSection, "JPY"), "180");
    EXPECT_EQ(store.GetProfileString(kRatesSection, kWorldRatesDateEntry), "2026-12-08");
}

TEST_F(CurrencyRates, AFailedWriteStoresNothingAndSaysSo)
{
    Currencies currencies;
    Hold("USD", "1.2", "2026-12-01", kRateSourceEcb);
    m_store.SetFailWrites(true);
    const RateDocument ecb{kRateSourceEcb, "2026-12-07", {{"USD", 1.16}}, {}};
    const RateUpdateResult result = StoreRateDocuments(&ecb, nullptr, currencies, RateRequest::User, m_store);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.ecb.stored, 0);
    EXPECT_EQ(StoreUserRate(currencies, "USD", "1.3", kRateSourceTyped, m_store), UserRateResult::WriteFailed);
    m_store.SetFailWrites(false);
    EXPECT_EQ(Stored("USD"), "1.2");
    EXPECT_EQ(Stored("USD.Date"), "2026-12-01");
    EXPECT_FALSE(m_store.Contains(kRatesSection, kReferenceRatesDateEntry));
    EXPECT_DOUBLE_EQ(currencies.Row("USD").GetValue(), 1.1) << "the row keeps its rate too";
}

TEST_F(CurrencyRates, TypedRatesThatAreNoRatesAreRefused)
{
    Currencies currencies;
    for (const char* text : {"0", "-3", "abc", "1e999", "", "1.000000000000000000000000000000001"})
        EXPECT_EQ(StoreUserRate(currencies, "USD", text, kRateSourceTyped, m_store), UserRateResult::Invalid)
            << text;
    // Nor does a long text stored by other means count as a rate.
    Hold("JPY", std::string(40, '1'), "2026-12-08", kRateSourceTyped);
    Currencies next;
    EXPECT_DOUBLE_EQ(next.Row("JPY").GetValue(), 160);
}

UtcTicks At(int y, int m, int d, int hour)
{
    return (DaysFromCivil(y, m, d) * kSecondsPerDay + hour * 3600) * kTicksPerSecond;
}

TEST(RatesSchedule, TheLastPublicationIsTheLastWorkingDayAfterItsHour)
{
    const auto last = [](UtcTicks now) { return IsoDateFromDays(LastPublicationDay(now)); };
    EXPECT_EQ(last(At(2026, 12, 8, 16)), "2026-12-08");  // Tuesday, after 15:00 UTC
    EXPECT_EQ(last(At(2026, 12, 8, 14)), "2026-12-07");  // before: Monday's
    EXPECT_EQ(last(At(2026, 12, 7, 9)), "2026-12-04");   // Monday morning: Friday's
    EXPECT_EQ(last(At(2026, 12, 13, 20)), "2026-12-11"); // Sunday: Friday's
    EXPECT_EQ(last(At(1969, 12, 31, 20)), "1969-12-31"); // a Wednesday before 1970 keeps its day
}

// The ECB's document is due after each publication, the world document once a day.
TEST(RatesSchedule, DocumentsAreDueByTheDaysStored)
{
    struct Case {
        const char* ecbDay;   // stored; null: none
        const char* worldDay; // stored; null: none
        UtcTicks now;
        bool ecb;
        bool world;
    };
    for (const Case& c : {
             Case{nullptr, nullptr, At(2026, 12, 8, 16), true, true},
             Case{"2026-12-07", "2026-12-08", At(2026, 12, 8, 14), false, false},
             Case{"2026-12-07", "2026-12-08", At(2026, 12, 8, 16), true, false},
             Case{"2026-12-08", "2026-12-08", At(2026, 12, 9, 0), false, true},
             Case{"2026-12-11", "2026-12-13", At(2026, 12, 13, 23), false, false},
             Case{"soon", "2026-13-01", At(2026, 12, 8, 16), true, true},
         }) {
        MemoryProfileStore store;
        if (c.ecbDay)
            store.WriteProfileString(kRatesSection, kReferenceRatesDateEntry, c.ecbDay);
        if (c.worldDay)
            store.WriteProfileString(kRatesSection, kWorldRatesDateEntry, c.worldDay);
        const DueRates due = RatesDue(store, c.now);
        EXPECT_EQ(due.ecb, c.ecb) << (c.ecbDay ? c.ecbDay : "none") << " at " << c.now;
        EXPECT_EQ(due.world, c.world) << (c.worldDay ? c.worldDay : "none") << " at " << c.now;
    }
}

} // namespace
} // namespace kelvara
