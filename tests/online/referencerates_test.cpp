#include "online/referencerates.h"

#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "catalogue/currencyrates.h"
#include "platform/profilestore.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kelvara {
namespace {

constexpr const char* kToday = "2026-12-08";

// A document as the ECB sends it, with `cubes` inside the dated Cube.
std::string Document(const std::string& cubes, const std::string& time = "2026-12-07")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gesmes:Envelope xmlns:gesmes=\"http://www.gesmes.org/xml/2002-08-01\"\n"
           "                 xmlns=\"http://www.ecb.int/vocabulary/2002-08-01/eurofxref\">\n"
           "  <gesmes:subject>Reference rates</gesmes:subject>\n"
           "  <gesmes:Sender><gesmes:name>European Central Bank</gesmes:name></gesmes:Sender>\n"
           "  <Cube>\n    <Cube time='" +
           time + "'>\n" + cubes + "    </Cube>\n  </Cube>\n</gesmes:Envelope>\n";
}

const std::string kRates = "      <Cube currency='USD' rate='1.0523'/>\n"
                           "      <Cube currency='JPY' rate='162.35'/>\n"
                           "      <Cube currency='RON' rate='4.9770'/>\n"
                           "      <Cube currency='TRY' rate='36.512'/>\n";

std::string Why(const std::string& document, const std::string& today = kToday)
{
    ReferenceRates rates;
    std::string why;
    EXPECT_FALSE(ParseReferenceRates(document, today, rates, why)) << document;
    return why;
}

TEST(ReferenceRatesDocument, ReadsTheDayAndEveryRateInDocumentOrder)
{
    ReferenceRates rates;
    std::string why;
    ASSERT_TRUE(ParseReferenceRates(Document(kRates), kToday, rates, why)) << why;
    EXPECT_EQ(rates.date, "2026-12-07");
    ASSERT_EQ(rates.rates.size(), 4u);
    EXPECT_EQ(rates.rates[0], (std::pair<std::string, double>("USD", 1.0523)));
    EXPECT_EQ(rates.rates[3], (std::pair<std::string, double>("TRY", 36.512)));
    EXPECT_EQ(rates.texts[2], "4.9770") << "stored as the ECB wrote it";

    // Of several days the latest counts, the first of them on a tie.
    const std::string days =
        "<g:Envelope xmlns:g='http://www.gesmes.org/xml/2002-08-01' "
        "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'><Cube>"
        "<Cube time='2026-12-04'><Cube currency='USD' rate='1.01'/></Cube>"
        "<Cube time='2026-12-07'><Cube currency='USD' rate='1.02'/></Cube>"
        "<Cube time='2026-12-07'><Cube currency='USD' rate='1.03'/></Cube>"
        "<Cube time='2026-12-05'><Cube currency='USD' rate='1.04'/></Cube></Cube></g:Envelope>";
    ASSERT_TRUE(ParseReferenceRates(days, kToday, rates, why)) << why;
    EXPECT_EQ(rates.date, "2026-12-07");
    EXPECT_EQ(rates.rates, (std::vector<std::pair<std::string, double>>{{"USD", 1.02}}));
}

TEST(ReferenceRatesDocument, NamespacesDecideNotPrefixesOrOrder)
{
    // Other prefixes for both namespaces, attributes in the other order, blanks around values.
    const std::string prefixed = "<e:Envelope xmlns:e='http://www.gesmes.org/xml/2002-08-01' "
                                 "xmlns:x='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'>"
                                 "<e:subject>Reference rates</e:subject>"
                                 "<x:Cube><x:Cube time='&#9;&#10;&#13; 2026-12-07 &#13;&#10;&#9;'>"
                                 "<x:Cube rate='&#9;&#10;&#13; 162.35 &#13;&#10;&#9;' currency='JPY'/>"
                                 "<x:Cube rate='1.0523' currency='USD'/></x:Cube></x:Cube></e:Envelope>";
    ReferenceRates rates;
    std::string why;
    ASSERT_TRUE(ParseReferenceRates(prefixed, kToday, rates, why)) << why;
    ASSERT_EQ(rates.rates.size(), 2u);
    EXPECT_EQ(rates.rates[0].first, "JPY");
    EXPECT_EQ(rates.rates[1].second, 1.0523);

    // The right local names in the wrong namespace are not the document.
    const std::string wrongNamespace =
        "<Envelope xmlns='http://example.org/other'><Cube><Cube time='2026-12-07'>"
        "<Cube currency='USD' rate='1.05'/></Cube></Cube></Envelope>";
    EXPECT_EQ(Why(wrongNamespace), "not a reference-rate document (the root is 'Envelope')");
    const std::string cubesElsewhere =
        "<g:Envelope xmlns:g='http://www.gesmes.org/xml/2002-08-01' xmlns:o='http://example.org/other'>"
        "<o:Cube><o:Cube time='2026-12-07'><o:Cube currency='USD' "
        "rate='1.05'/></o:Cube></o:Cube></g:Envelope>";
    EXPECT_EQ(Why(cubesElsewhere), "the document has no dated Cube element");
}

TEST(ReferenceRatesDocument, BadDocumentsSayWhy)
{
    EXPECT_EQ(Why("<html><body>Service unavailable").rfind("not an XML document (", 0), 0u);
    EXPECT_EQ(Why(""), "not an XML document (No document element found at byte 0)");
    EXPECT_EQ(Why(Document(kRates) + "<Cube/>"), "the document has more than one root element");
    EXPECT_EQ(Why(Document("").replace(Document("").find(" time='2026-12-07'"), 18, "")),
              "the document has no dated Cube element");
    EXPECT_EQ(Why(Document("")), "the document has no rates for 2026-12-07");
    EXPECT_EQ(Why(Document(kRates, "2026-02-30")), "the date '2026-02-30' is not a date");
    EXPECT_EQ(Why(Document(kRates, "07.12.2026")), "the date '07.12.2026' is not a date");
    // A day ahead is a different time zone; two are not.
    ReferenceRates rates;
    std::string why;
    EXPECT_TRUE(ParseReferenceRates(Document(kRates, "2026-12-09"), kToday, rates, why)) << why;
    EXPECT_EQ(Why(Document(kRates, "2026-12-10")), "the date 2026-12-10 lies in the future");
    for (const char* code : {"usd", "US", "USDX", "U$D", ""})
        EXPECT_EQ(Why(Document(std::string("<Cube currency='") + code + "' rate='1.05'/>")),
                  std::string("the currency code '") + code + "' is not three capital letters");
    for (const char* rate : {"0", "-1.05", "abc", "1.05x", "inf", "nan", "1e999", ""})
        EXPECT_EQ(Why(Document(kRates + "<Cube currency='GBP' rate='" + rate + "'/>")),
                  std::string("the rate of GBP, '") + rate + "', is not a positive number");
    EXPECT_EQ(Why(Document(kRates + "<Cube currency='USD' rate='1.06'/>")), "the rate of USD is given twice");
    EXPECT_EQ(Why(std::string(4 * 1024 * 1024 + 1, ' ')), "the document is larger than 4 MB");
}

// The reader's work is bounded by the document's size: a document beyond the limits is refused
// before it is walked, one within them is read (the limits are what makes the walk short, so no
// clock is needed to tell).
TEST(ReferenceRatesDocument, DocumentsBeyondTheLimitsAreRefusedBeforeTheyAreWalked)
{
    const auto attributes = [](std::size_t n) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i)
            text += " a" + std::to_string(i) + "=''";
        return text;
    };
    const auto elements = [](std::size_t n) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i)
            text += "<x/>";
        return text;
    };
    // The envelope's own attributes and elements besides the ones added.
    const std::string base = Document(kRates);
    const std::size_t baseElements = 10;
    const std::size_t rootAttributes = 2;
    const auto withRootAttributes = [&](std::size_t n) {
        std::string document = base;
        document.insert(document.find("\n                 xmlns="), attributes(n));
        return document;
    };
    const auto withElements = [&](std::size_t n) {
        std::string document = base;
        document.insert(document.find("  <Cube>"), elements(n));
        return document;
    };
    const auto withRateAttributes = [&](std::size_t n) {
        std::string document = base;
        document.insert(document.find(" rate='1.0523'"), attributes(n));
        return document;
    };
    const struct {
        const char* what;
        std::string document;
        std::string why; // empty: read
    } cases[] = {
        {"root at the limit", withRootAttributes(kMaxReferenceAttributes - rootAttributes), ""},
        {"root above it", withRootAttributes(kMaxReferenceAttributes - rootAttributes + 1),
         "the element 'gesmes:Envelope' has more than 100 attributes"},
        // The hostile document's kind: a root with every attribute the size limit allows.
        {"root with 300,000", withRootAttributes(300000),
         "the element 'gesmes:Envelope' has more than 100 attributes"},
        {"a rate above it", withRateAttributes(kMaxReferenceAttributes - 1),
         "the element 'Cube' has more than 100 attributes"},
        {"elements at the limit", withElements(kMaxReferenceElements - baseElements), ""},
        {"elements above it", withElements(kMaxReferenceElements - baseElements + 1),
         "the document has more than 100000 elements"},
    };
    for (const auto& c : cases) {
        ReferenceRates rates;
        std::string why;
        EXPECT_EQ(ParseReferenceRates(c.document, kToday, rates, why), c.why.empty())
            << c.what << ": " << why;
        EXPECT_EQ(why, c.why) << c.what;
        if (c.why.empty()) {
            EXPECT_EQ(rates.rates.size(), 4u) << c.what;
        }
    }
}

TEST(ReferenceRatesDocument, EntitiesAreNeverExpanded)
{
    // A declared entity stays unresolved: the rate is not a number, nothing is read.
    const std::string document =
        "<?xml version='1.0'?><!DOCTYPE e [<!ENTITY r '1.05'>]>" + Document(kRates).substr(39);
    const std::string withEntity = document.substr(0, document.find("</Cube>")) +
                                   "<Cube currency='GBP' rate='&r;'/>" +
                                   document.substr(document.find("</Cube>"));
    EXPECT_EQ(Why(withEntity), "the rate of GBP, '&r;', is not a positive number");
}

// A catalogue of a few rows, as currency.dat writes them.
class TestCurrencies : public CCurrencyCategory {
public:
    TestCurrencies()
    {
        for (const char* row :
             {"United States Dollars,USD,F,1.29301", "American Samoa Dollar,USD,F,1.29301",
              "Japan Yen,JPY,F,157.538", "Romania Lei,ROL,F,33795", "Romania New Lei,RON,F,3.3795",
              "Turkey Liras,TRL,F,1.84333e+006", "Turkey New Liras,TRY,F,1.84333", "Euro,EUR,T,1",
              "Andorra Euro,EUR,F,1", "Croatia Kuna,HRK,T,7.5345"}) {
            auto unit = CreateUnit();
            if (unit->Parse(row))
                AddUnit(std::move(unit));
        }
        ApplyLinks();
    }
    const CCurrency& Unit(std::size_t i) const { return static_cast<const CCurrency&>(*GetUnits().at(i)); }
};

class ReferenceRatesStore : public testing::Test {
protected:
    void SetUp() override { SetProfile(&m_store); }
    void TearDown() override { SetProfile(nullptr); }

    RateDocumentResult Store(const std::string& document, RateRequest request = RateRequest::Background)
    {
        ReferenceRates rates;
        std::string why;
        EXPECT_TRUE(ParseReferenceRates(document, kToday, rates, why)) << why;
        TestCurrencies currencies;
        const RateDocument ecb{kRateSourceEcb, rates.date, rates.rates, rates.texts};
        return StoreRateDocuments(&ecb, nullptr, currencies, request, m_store).ecb;
    }
    std::string Stored(const std::string& entry) { return m_store.GetProfileString(kRatesSection, entry); }

    MemoryProfileStore m_store;
};

TEST_F(ReferenceRatesStore, EveryCatalogueCodeTakesItsRateWithDayAndSource)
{
    const RateDocumentResult stored = Store(Document(
        kRates + "      <Cube currency='HRK' rate='7.6'/><Cube currency='ZAR' rate='19.9'/>"
                 "<Cube currency='ROL' rate='5'/>\n"));
    // USD JPY RON TRY; the fixed kuna, the unknown rand and the old leu (it follows RON) take nothing.
    EXPECT_EQ(stored.stored, 4);
    EXPECT_EQ(Stored("USD"), "1.0523");
    EXPECT_EQ(Stored("USD.Date"), "2026-12-07");
    EXPECT_EQ(Stored("USD.Source"), "ECB");
    EXPECT_EQ(Stored("RON"), "4.9770");
    EXPECT_FALSE(m_store.Contains(kRatesSection, "ROL"));
    EXPECT_FALSE(m_store.Contains(kRatesSection, "HRK"));
    EXPECT_FALSE(m_store.Contains(kRatesSection, "ZAR"));
    EXPECT_EQ(Stored(kReferenceRatesDateEntry), "2026-12-07");

    // The next start: every row of a code, the date and the source; fixed rows keep their rate.
    TestCurrencies next;
    EXPECT_EQ(next.Unit(1).GetValue(), 1.0523);
    EXPECT_EQ(next.Unit(1).GetRateDate(), "2026-12-07");
    EXPECT_EQ(next.Unit(1).GetRateSource(), "ECB");
    EXPECT_DOUBLE_EQ(next.Unit(3).GetValue(), 49770) << "ROL follows RON";
    EXPECT_EQ(next.Unit(3).GetRateSource(), "ECB");
    EXPECT_DOUBLE_EQ(next.Unit(5).GetValue(), 36512000) << "TRL follows TRY";
    EXPECT_EQ(next.Unit(9).GetValue(), 7.5345);
    EXPECT_EQ(next.Unit(9).GetRateSource(), "fixed");
    EXPECT_EQ(next.Unit(8).GetRateSource(), "fixed") << "the euro's floating rows do not age either";
}

TEST_F(ReferenceRatesStore, ATypedRateStandsUntilALaterDay)
{
    WriteStoredRate("USD", "1.25", "2026-12-07", kRateSourceTyped);
    WriteStoredRate("JPY", "150", "2026-12-06", kRateSourceTyped);
    EXPECT_EQ(Store(Document(kRates)).kept, 1);
    EXPECT_EQ(Stored("USD"), "1.25") << "typed on the document's own day";
    EXPECT_EQ(Stored("USD.Source"), "typed");
    EXPECT_EQ(Stored("JPY"), "162.35") << "typed the day before";

    Store(Document(kRates, "2026-12-08"));
    EXPECT_EQ(Stored("USD"), "1.0523");
    EXPECT_EQ(Stored("USD.Source"), "ECB");
}

TEST_F(ReferenceRatesStore, AnOlderDocumentChangesNoNewerRate)
{
    Store(Document(kRates, "2026-12-08"));
    const RateDocumentResult stored = Store(Document("<Cube currency='USD' rate='1.01'/>", "2026-12-04"));
    EXPECT_EQ(stored.stored, 0);
    EXPECT_EQ(Stored("USD"), "1.0523");
    EXPECT_EQ(Stored(kReferenceRatesDateEntry), "2026-12-08");
}

TEST_F(ReferenceRatesStore, RatesStoredBeforeDatesWereKeptStandUntilTheUserAsks)
{
    // As an older version left them: the value alone.
    m_store.WriteProfileString(kRatesSection, "USD", "1.293010");
    TestCurrencies before;
    EXPECT_EQ(before.Unit(0).GetValue(), 1.29301);
    EXPECT_EQ(before.Unit(0).GetRateDate(), "");
    EXPECT_EQ(before.Unit(0).GetRateSource(), "stored");
    EXPECT_TRUE(IsRateOutdated("", "stored", kToday));
    // Perhaps typed before the upgrade: an update in the background leaves it alone.
    EXPECT_EQ(Store(Document(kRates)).kept, 1);
    EXPECT_EQ(Stored("USD"), "1.293010");
    Store(Document(kRates), RateRequest::User);
    EXPECT_EQ(Stored("USD"), "1.0523");
}

TEST(ReferenceRatesSchedule, RateAgeWarnings)
{
    EXPECT_TRUE(IsRateOutdated(kBuiltInRatesDate, kRateSourceBuiltIn, kToday));
    EXPECT_FALSE(IsRateOutdated("", kRateSourceFixed, kToday));
    EXPECT_FALSE(IsRateOutdated("2026-12-01", kRateSourceEcb, kToday)) << "seven days";
    EXPECT_TRUE(IsRateOutdated("2026-11-30", kRateSourceEcb, kToday)) << "eight days";
    EXPECT_TRUE(IsRateOutdated("soon", kRateSourceTyped, kToday));
}

} // namespace
} // namespace kelvara
