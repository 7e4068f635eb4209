#include "catalogue/conversioncore.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonefixtures.h"
#include "platform/clock.h"
#include "platform/localeitems.h"
#include "platform/profilestore.h"
#include "platform/programpath.h"
#include "platform/systemzone.h"
#include "platform/timeformat.h"
#include "support/recordingpresenter.h"
#include "text/formatting.h"

#include "kelvara/testpaths.h"
#include "support/germannotation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>

namespace kelvara::test {
namespace {

using Form = ConversionCore::Result::Form;
using Store = ConversionCore::Store;

// The core over the small data files of tests/data/page and a store in memory.
class ConversionCoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetProfile(&m_store);
        SetProgramDirectoryOverride(KELVARA_TEST_DATA_DIR "/page");
        ASSERT_TRUE(CreateCatalogue(m_catalogue));
    }
    void TearDown() override
    {
        m_core.reset();
        SetProgramDirectoryOverride({});
        SetProfile(nullptr);
    }

    ConversionCore& Make(ConversionCore::Memory memory = ConversionCore::Memory::Selections,
                         ProfileStore* store = nullptr)
    {
        m_core = std::make_unique<ConversionCore>(m_catalogue, store ? *store : m_store, memory);
        return *m_core;
    }
    static int Position(const SortedList& list, const std::string& text)
    {
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetText(i) == text)
                return i;
        ADD_FAILURE() << "no entry " << text;
        return -1;
    }
    static std::string Selected(const SortedList& list)
    {
        return list.GetCurSel() < 0 ? std::string() : list.GetText(list.GetCurSel());
    }
    void Open(const std::string& category, Store store = Store::Now)
    {
        ASSERT_TRUE(m_core->SelectCategory(Position(m_core->Categories(), category), store));
    }
    void Pick(const std::string& source, const std::string& target)
    {
        m_core->SelectSourceUnit(Position(m_core->SourceUnits(), source));
        m_core->SelectTargetUnit(Position(m_core->TargetUnits(), target));
    }
    int Stored(const std::string& section, const std::string& entry) const
    {
        return m_store.GetProfileInt(section, entry, INT_MIN);
    }

    RecordingPresenter m_presenter;
    MemoryProfileStore m_store;
    CCategoryArray m_catalogue;
    std::unique_ptr<ConversionCore> m_core;
};

TEST_F(ConversionCoreTest, ConvertsByTheCategorysKind)
{
    const kelvara::test::GermanNotation german;

    const struct {
        const char* category;
        const char* source;
        const char* target;
        const char* value; // typed, or the row of a lookup
        bool regional;
        Form form;
        std::string result;
    } cases[] = {
        {"Weight", "pound (lb)", "kilogram (kg)", "2", false, Form::Number, "0.90718474"},
        {"Weight", "gram (g)", "gram (g)", "1", false, Form::Number, "1"},
        {"Weight", "gram (g)", "pound and ounce (lb. oz.)", "1000", false, Form::Number, "2 lb 3 oz"},
        {"Weight", "kilogram (kg)", "gram (g)", "", false, Form::Empty, ""},
        {"Weight", "kilogram (kg)", "gram (g)", "12,5", true, Form::Number, "12.500"},
        // Letters are digits whichever case they are typed in.
        {"Numbers", "hexadecimal", "decimal", "ff", false, Form::Number, "255"},
        {"Numbers", "binary", "decimal", "101", false, Form::Number, "5"},
        {"Currency", "Euro (EUR)", "United States Dollars (USD)", "100", false, Form::Number, "129.301"},
        {"Currency", "Euro (EUR)", "United States Dollars (USD)", "1.000", true, Form::Number, "1.293,01"},
        {"Film Sensitivity", "DIN", "ASA / ISO", "21", false, Form::Number, "100"},
        {"Film Sensitivity", "DIN", "DIN", "21", false, Form::Number, "21"},
        // Service numbers are texts: the leading zero stays, words stay.
        {"Country and Phone Codes", "Armenia", "Fire Department", nullptr, false, Form::Text, "01"},
        {"Country and Phone Codes", "Antigua and Barbuda", "Rescue", nullptr, false, Form::Text,
         "999 or 911"},
        {"Country and Phone Codes", "[INMARSAT - Oriental Atlantic Ocean]", "Rescue", nullptr, false,
         Form::Text, ""},
    };
    ConversionCore& core = Make(ConversionCore::Memory::None);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.category) + ": " + c.source + " -> " + c.target);
        core.SetRegional(c.regional);
        Open(c.category);
        Pick(c.source, c.target);
        if (core.GetCategory()->IsLookup() && c.value)
            core.SelectValue(Position(core.Values(), c.value));
        else if (c.value)
            core.SetSourceText(c.value);
        const ConversionCore::Result result = core.Convert();
        EXPECT_EQ(result.form, c.form);
        EXPECT_EQ(result.target, c.result);
    }
}

TEST_F(ConversionCoreTest, ReadsOnlyWhatTheSourceUnitTakes)
{
    const struct {
        const char* category;
        const char* unit;
        const char* typed;
        bool readable;
    } cases[] = {
        {"Numbers", "hexadecimal", "fF09", true}, {"Numbers", "hexadecimal", "FG", false},
        {"Numbers", "binary", "102", false},      {"Numbers", "decimal", "-15", false},
        {"Weight", "gram (g)", "-1.5", true},     {"Weight", "gram (g)", ".5", true},
        {"Weight", "gram (g)", "1-2", false},     {"Weight", "gram (g)", "1.2.3", false},
        {"Weight", "gram (g)", "1e3", false},     {"Weight", "gram (g)", "-", false},
    };
    ConversionCore& core = Make(ConversionCore::Memory::None);
    for (const auto& c : cases) {
        Open(c.category);
        core.SelectSourceUnit(Position(core.SourceUnits(), c.unit));
        EXPECT_EQ(core.IsReadableSource(c.typed), c.readable) << c.unit << ": " << c.typed;
    }
    // In the regional notation money is read in the currency's, measures in the number's (here the
    // one's point is the other's comma).
    LocaleItems items;
    items.decimal = items.monThousand = ",";
    items.thousand = items.monDecimal = ".";
    FixedLocaleItems notation(items);
    SetLocaleItemsSource(&notation);
    core.SetRegional(true);
    const struct {
        const char* category;
        const char* unit;
        const char* readable;
        const char* unreadable;
        const char* result; // of the readable one, from the unit to itself
    } regional[] = {
        {"Weight", "gram (g)", "1.500,5", "1,5,5", "1.500,5"},
        {"Currency", "Euro (EUR)", "1,500.5", "1.5.5", "1,500.5"},
    };
    for (const auto& r : regional) {
        Open(r.category);
        Pick(r.unit, r.unit);
        EXPECT_TRUE(core.IsReadableSource(r.readable)) << r.category;
        EXPECT_FALSE(core.IsReadableSource(r.unreadable)) << r.category;
        core.SetSourceText(r.readable);
        EXPECT_EQ(core.Convert().target, r.result) << r.category;
    }
    SetLocaleItemsSource(nullptr);
}

// What the value field admits and how a value is read and shown follow the category's kind: the
// monetary notation for currencies, the number notation for the rest, neutral when regional
// notation is off, and a unit's own digits whatever the notation.
TEST_F(ConversionCoreTest, TheNotationFollowsTheCategorysKind)
{
    LocaleItems items;
    items.decimal = ",";
    items.thousand = ".";
    items.monDecimal = ".";
    items.monThousand = "'";
    items.negativeCurrency = 0; // (1'234.5)
    const FixedLocaleItems locale(items);
    SetLocaleItemsSource(&locale);
    const struct {
        const char* category;
        const char* unit;
        bool regional;
        const char* chars;
        const char* typed;
        const char* shown; // the same unit on both sides: the value as it comes back
    } cases[] = {
        {"Weight", "gram (g)", true, "0123456789,.-", "-1.234,5", "-1.234,5"},
        {"Weight", "gram (g)", false, "0123456789.-", "-1234.5", "-1234.5"},
        {"Currency", "Euro (EUR)", true, "0123456789.'()", "(1'234.5)", "(1'234.5)"},
        {"Currency", "Euro (EUR)", false, "0123456789.-", "-1234.5", "-1234.5"},
        {"Numbers", "hexadecimal", true, "0123456789ABCDEF", "ff", "FF"},
    };
    ConversionCore& core = Make(ConversionCore::Memory::None);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + (c.regional ? ", regional" : ", neutral"));
        core.SetRegional(c.regional);
        Open(c.category);
        Pick(c.unit, c.unit);
        EXPECT_EQ(core.GetSourceInputChars(), c.chars);
        EXPECT_TRUE(core.IsReadableSource(c.typed));
        core.SetSourceText(c.typed);
        EXPECT_EQ(core.Convert().target, c.shown);
    }
    SetLocaleItemsSource(nullptr);
}

TEST_F(ConversionCoreTest, LookupRowsFollowTheSourceColumnAndFixedRowsTheSourceEntry)
{
    ConversionCore& core = Make();
    Open("Film Sensitivity");
    Pick("DIN", "DIN");
    core.SelectValue(Position(core.Values(), "24"));
    // Another scale lists the same rows in its own column and keeps the row.
    core.SelectSourceUnit(Position(core.SourceUnits(), "ASA / ISO"));
    EXPECT_EQ(core.Values().GetTexts(), (std::vector<std::string>{"12", "100", "200", "400", "1000"}));
    EXPECT_EQ(Selected(core.Values()), "200");
    EXPECT_TRUE(core.Swap());
    EXPECT_EQ(Selected(core.SourceUnits()), "DIN");
    EXPECT_EQ(Selected(core.Values()), "24");
    EXPECT_EQ(core.Convert().target, "200");

    // Codes and countries are the same rows: either list moves the other.
    Open("Country and Phone Codes");
    core.SelectSourceUnit(Position(core.SourceUnits(), "Andorra"));
    EXPECT_EQ(Selected(core.Values()), "AD / +376");
    core.SelectValue(Position(core.Values(), "AM / +374"));
    EXPECT_EQ(Selected(core.SourceUnits()), "Armenia");
}

TEST_F(ConversionCoreTest, SwapExchangesDifferentUnitsOnlyAndEmptiesTheValue)
{
    ConversionCore& core = Make();
    Open("Weight");
    Pick("pound (lb)", "kilogram (kg)");
    core.SetSourceText("2");
    ASSERT_TRUE(core.Swap());
    EXPECT_EQ(Selected(core.SourceUnits()), "kilogram (kg)");
    EXPECT_EQ(Selected(core.TargetUnits()), "pound (lb)");
    EXPECT_EQ(core.Convert().form, Form::Empty);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "SourceUnit"), 1);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "TargetUnit"), 2);

    core.SelectTargetUnit(Position(core.TargetUnits(), "kilogram (kg)"));
    core.SetSourceText("3");
    EXPECT_FALSE(core.Swap());
    EXPECT_EQ(core.GetSourceText(), "3");
}

TEST_F(ConversionCoreTest, EachCategoryRemembersItsSelections)
{
    // Out of range: the first entries, stored over what was there (as file rows: "[UK] rood" is
    // Area's fourth).
    m_store.WriteProfileInt("Settings", "Category", 99);
    m_store.WriteProfileInt("Settings\\Categories\\0", "SourceUnit", 99);
    m_store.WriteProfileInt("Settings\\Categories\\0", "TargetUnit", -5);
    ConversionCore& core = Make();
    EXPECT_EQ(core.RememberedCategory(), 0);
    EXPECT_EQ(core.Categories().GetText(0), "Acceleration");
    // The fixtures hold no acceleration.dat; Area is the first of them by name.
    Open("Area");
    EXPECT_EQ(core.GetCategory()->GetName(), "Area");
    EXPECT_EQ(Stored("Settings", "Category"), 2);
    EXPECT_EQ(Stored("Settings\\Categories\\0", "SourceUnit"), 3);
    EXPECT_EQ(Stored("Settings\\Categories\\0", "TargetUnit"), 3);
    // Only a lookup's rows are remembered; a typed value never is.
    EXPECT_FALSE(m_store.Contains("Settings\\Categories\\0", "SourceValue"));

    Open("Weight");
    Pick("pound (lb)", "ounce (oz)");
    core.SetSourceText("12");
    EXPECT_EQ(Stored("Settings", "Category"), 0);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "SourceUnit"), 2);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "TargetUnit"), 3);
    Open("Film Sensitivity");
    Pick("DIN", "ASA / ISO");
    core.SelectValue(Position(core.Values(), "27"));
    EXPECT_EQ(Stored("Settings\\Categories\\5", "SourceValue"), 3);

    // Another core, as after a restart: the same choices come back.
    ConversionCore& again = Make();
    ASSERT_TRUE(again.SelectCategory(again.RememberedCategory()));
    EXPECT_EQ(Selected(again.Values()), "27");
    EXPECT_EQ(again.Convert().target, "400");
    Open("Weight");
    EXPECT_EQ(Selected(again.SourceUnits()), "pound (lb)");
    EXPECT_EQ(Selected(again.TargetUnits()), "ounce (oz)");
    EXPECT_EQ(again.GetSourceText(), "");

    // A target stored alone: the source is the first entry.
    m_store.Clear();
    m_store.WriteProfileInt("Settings\\Categories\\13", "TargetUnit", 3);
    m_store.WriteProfileInt("Settings\\Categories\\13", "UnitOrder", 1);
    ConversionCore& lone = Make();
    Open("Weight");
    EXPECT_EQ(Selected(lone.SourceUnits()), lone.SourceUnits().GetText(0));
    EXPECT_EQ(Selected(lone.TargetUnits()), "ounce (oz)");
}

// A stored category the lists do not hold, of either version, opens the first entry; the last of
// the earlier version's places still names its category.
TEST_F(ConversionCoreTest, AStoredCategoryOutOfRangeOpensTheFirstEntry)
{
    const struct {
        int order; // the CategoryOrder mark stored with it
        int stored;
        const char* category; // "" = the first entry
    } cases[] = {
        {1, 99, ""},       {1, -1, ""},    {1, 13, "Time Difference"}, {0, 14, ""}, {0, -1, ""},
        {0, 13, "Weight"}, {0, 0, "Area"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.order) + ": " + std::to_string(c.stored));
        m_store.Clear();
        m_store.WriteProfileInt("Settings", "Category", c.stored);
        m_store.WriteProfileInt("Settings", "CategoryOrder", c.order);
        const int position = Make().RememberedCategory();
        EXPECT_EQ(*c.category ? m_core->Categories().GetText(position) : std::to_string(position),
                  *c.category ? c.category : "0");
    }
}

// Nothing chosen yet, or an entry the lists do not hold: nothing converts, moves or is stored.
TEST_F(ConversionCoreTest, NothingChosenIsNothingToConvert)
{
    ConversionCore& core = Make();
    core.SelectSourceUnit(0);
    core.SelectTargetUnit(0);
    core.SetSourceText("1");
    EXPECT_EQ(core.Convert().form, Form::None);
    EXPECT_FALSE(core.GetRateLine().shown);
    EXPECT_FALSE(core.Swap());
    EXPECT_FALSE(m_store.Contains("Settings", "Category"));

    Open("Area");
    const ListItem area = core.SourceUnits().GetItem(0);
    Open("Weight");
    Pick("pound (lb)", "ounce (oz)");
    for (const ListItem& item : {area, ListItem{nullptr, 0}}) {
        EXPECT_FALSE(core.SelectSourceItem(item));
        EXPECT_FALSE(core.SelectTargetItem(item));
    }
    EXPECT_EQ(Selected(core.SourceUnits()), "pound (lb)");
    EXPECT_EQ(Selected(core.TargetUnits()), "ounce (oz)");
    const ListItem gram = core.SourceUnits().GetItem(Position(core.SourceUnits(), "gram (g)"));
    EXPECT_TRUE(core.SelectTargetItem(gram));
    EXPECT_TRUE(core.SelectSourceItem(gram));
    EXPECT_EQ(Selected(core.TargetUnits()), "gram (g)");
    EXPECT_EQ(Selected(core.SourceUnits()), "gram (g)");

    // A category whose file is missing (the fixtures hold no speed.dat) opens nothing.
    EXPECT_FALSE(core.SelectCategory(Position(core.Categories(), "Speed")));
    EXPECT_EQ(core.GetCategory(), nullptr);
    EXPECT_EQ(core.Convert().form, Form::None);
}

TEST_F(ConversionCoreTest, SelectionsAreStoredLateOnlyWhenAskedAndNeverWithoutMemory)
{
    ConversionCore& late = Make();
    Open("Weight", Store::Later);
    EXPECT_FALSE(m_store.Contains("Settings", "Category"));
    late.StoreSelections();
    EXPECT_EQ(Stored("Settings", "Category"), 0);

    m_store.Clear();
    ConversionCore& none = Make(ConversionCore::Memory::None);
    m_store.WriteProfileInt("Settings\\Categories\\13", "SourceUnit", 3);
    EXPECT_EQ(none.RememberedCategory(), 0);
    Open("Weight");
    EXPECT_EQ(Selected(none.SourceUnits()), "gram (g)");
    Pick("pound (lb)", "ounce (oz)");
    none.StoreSelections();
    EXPECT_FALSE(m_store.Contains("Settings", "Category"));
    EXPECT_EQ(Stored("Settings\\Categories\\13", "SourceUnit"), 3);
}

// Selections stored by an earlier version (positions in the sorted list) still name the same rows.
TEST_F(ConversionCoreTest, CurrenciesStoredByAnEarlierVersionKeepTheirRows)
{
    ConversionCore& core = Make();
    Open("Currency");
    Pick("Japanese Yen (JPY)", "Euro (EUR)");
    // Currency's place among the English names of the first fourteen categories.
    const std::string section = "Settings\\Categories\\3";
    // Stored as rows of the file, which only grows at its end.
    EXPECT_EQ(Stored(section, "SourceUnit"), 4);
    EXPECT_EQ(Stored(section, "TargetUnit"), 1);
    EXPECT_EQ(Stored(section, "UnitOrder"), 1);

    m_store.Clear();
    m_store.WriteProfileInt(section, "SourceUnit", core.SourceUnits().GetCurSel());
    m_store.WriteProfileInt(section, "TargetUnit", core.TargetUnits().GetCurSel());
    // Turned positions are stored at once, even by a core that stores the rest later.
    ConversionCore& again = Make();
    Open("Currency", Store::Later);
    EXPECT_EQ(Selected(again.SourceUnits()), "Japanese Yen (JPY)");
    EXPECT_EQ(Selected(again.TargetUnits()), "Euro (EUR)");
    EXPECT_EQ(Stored(section, "SourceUnit"), 4);
    EXPECT_EQ(Stored(section, "TargetUnit"), 1);
    EXPECT_EQ(Stored(section, "UnitOrder"), 1);
}

// An earlier version kept positions in the lists sorted by English name, and the category as its
// position in the list of categories; they are turned into rows and columns once, and marked.
TEST_F(ConversionCoreTest, PositionsStoredByAnEarlierVersionNameTheSameUnits)
{
    struct Case {
        const char* category;
        int section;
        int source, target, value; // stored positions; value -1: none
        const char* sourceName;
        const char* targetName;
        const char* valueName;
        int sourceRow, targetRow; // as stored again
    };
    const Case cases[] = {
        {"Weight", 13, 3, 2, -1, "pound (lb)", "ounce (oz)", "", 2, 3},
        {"Area", 0, 0, 1, -1, "[UK] rood", "acre (ac)", "", 3, 2},
        {"Numbers", 7, 0, 3, -1, "binary", "Roman numerals", "", 2, 3},
        {"Film Sensitivity", 5, 1, 0, 3, "DIN", "ASA / ISO", "27", 1, 0},
        {"Country and Phone Codes", 2, 4, 1, 4, "Congo, Republic of", "Police Department", "CG / +242", 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.category);
        m_store.Clear();
        const std::string section = "Settings\\Categories\\" + std::to_string(c.section);
        m_store.WriteProfileInt("Settings", "Category", c.section);
        m_store.WriteProfileInt(section, "SourceUnit", c.source);
        m_store.WriteProfileInt(section, "TargetUnit", c.target);
        if (c.value >= 0)
            m_store.WriteProfileInt(section, "SourceValue", c.value);
        ConversionCore& core = Make();
        ASSERT_TRUE(core.SelectCategory(core.RememberedCategory(), Store::Later));
        EXPECT_EQ(core.GetCategory()->GetName(), c.category);
        EXPECT_EQ(Selected(core.SourceUnits()), c.sourceName);
        EXPECT_EQ(Selected(core.TargetUnits()), c.targetName);
        EXPECT_EQ(Selected(core.Values()), c.valueName);
        // Stored again at once, in the new orders, with their marks.
        EXPECT_EQ(Stored("Settings", "CategoryOrder"), 1);
        EXPECT_EQ(m_catalogue[static_cast<std::size_t>(Stored("Settings", "Category"))]->GetName(),
                  c.category);
        EXPECT_EQ(Stored(section, "UnitOrder"), 1);
        EXPECT_EQ(Stored(section, "SourceUnit"), c.sourceRow);
        EXPECT_EQ(Stored(section, "TargetUnit"), c.targetRow);
    }
}

// Turning earlier positions writes each category's values with their mark at once: a store that
// stops taking writes half-way never holds old positions marked as rows.
TEST_F(ConversionCoreTest, ATurnCutShortIsDoneAgainAtTheNextStart)
{
    // Takes `left` writes, then none (the selections are written as batches).
    struct StoreThatFills : MemoryProfileStore {
        bool WriteProfileStrings(const std::vector<Value>& values) override
        {
            return left-- > 0 && MemoryProfileStore::WriteProfileStrings(values);
        }
        int left = 0;
    } store;
    store.WriteProfileInt("Settings", "Category", 13);
    store.WriteProfileInt("Settings\\Categories\\13", "SourceUnit", 3);
    store.WriteProfileInt("Settings\\Categories\\13", "TargetUnit", 2);
    for (const int writes : {1, 100}) {
        store.left = writes;
        ConversionCore& core = Make(ConversionCore::Memory::Selections, &store);
        ASSERT_TRUE(core.SelectCategory(core.RememberedCategory()));
        EXPECT_EQ(Selected(core.SourceUnits()), "pound (lb)");
        EXPECT_EQ(Selected(core.TargetUnits()), "ounce (oz)");
    }
}

TEST_F(ConversionCoreTest, TheRateLineSaysWhereEachRateComesFromAndWhetherItIsOld)
{
    SetClockOverride([] { return DaysFromCivil(2026, 12, 8) * kSecondsPerDay * kTicksPerSecond; });
    WriteStoredRate("USD", "1.0523", "2026-12-07", kRateSourceEcb);
    WriteStoredRate("GBP", "0.85", "2026-11-30", kRateSourceEcb);
    WriteStoredRate("JPY", "175.5", "2026-12-08", kRateSourceWorld);
    m_store.WriteProfileString(kRatesSection, "CHF", "1.6"); // kept before dates were
    const struct {
        const char* row;
        std::string text;
        const char* source;
        const char* date;
        bool stale;
        bool takesRates;
    } rows[] = {
        {"United States Dollars (USD)", "1 \u20AC = 1.0523", kRateSourceEcb, "2026-12-07", false, true},
        {"Japanese Yen (JPY)", "1 \u20AC = 175.5", kRateSourceWorld, "2026-12-08", false, true},
        {"United Kingdom Pounds (GBP)", "1 \u20AC = 0.85", kRateSourceEcb, "2026-11-30", true, true},
        {"Switzerland Francs (CHF)", "1 \u20AC = 1.6", kRateSourceStored, "", true, true},
        {"Euro (EUR)", "1 \u20AC = 1", kRateSourceFixed, "", false, false},
    };
    ConversionCore& core = Make();
    Open("Currency");
    for (const auto& row : rows) {
        core.SelectSourceUnit(Position(core.SourceUnits(), row.row));
        const ConversionCore::RateLine line = core.GetRateLine();
        EXPECT_TRUE(line.shown);
        EXPECT_EQ(line.text, row.text) << row.row;
        EXPECT_EQ(line.source, row.source) << row.row;
        EXPECT_EQ(line.date, row.date) << row.row;
        EXPECT_EQ(line.stale, row.stale) << row.row;
        EXPECT_EQ(line.takesRates, row.takesRates) << row.row;
    }
    // Another row of the euro is at par with it for good.
    core.SelectSourceUnit(Position(core.SourceUnits(), "Andorra Euro (EUR)"));
    EXPECT_EQ(core.GetRateLine().source, kRateSourceFixed);
    Open("Weight");
    EXPECT_FALSE(core.GetRateLine().shown);
    SetClockOverride({});
}

// Two zones of a private database and a fixed instant.
class ZoneCoreTest : public ConversionCoreTest {
protected:
    void SetUp() override
    {
        m_dir = ZoneTempDir();
        WriteZoneFile(m_dir + "/Europe/Berlin", RuleOnlyTzif("CET-1CEST,M3.5.0,M10.5.0/3", 3600));
        WriteZoneFile(m_dir + "/Asia/Kolkata", RuleOnlyTzif("IST-5:30", 19800));
        WriteZoneFile(m_dir + "/Pacific/Kiritimati", RuleOnlyTzif("<+14>-14", 14 * 3600));
        WriteZoneFile(m_dir + "/Etc/GMT+12", RuleOnlyTzif("<-12>12", -12 * 3600));
        WriteZoneFile(m_dir + "/zone.tab",
                      "KI\t+0152-15720\tPacific/Kiritimati\nDE\t+5230+01322\tEurope/Berlin\n"
                      "XX\t+0000+00000\tEtc/GMT+12\nIN\t+2232+08822\tAsia/Kolkata\n");
        SetTimeZoneDatabaseDirOverride(m_dir);
        SetTimeFormatOverride("%H:%M:%S");
        ConversionCoreTest::SetUp();
    }
    void TearDown() override
    {
        ConversionCoreTest::TearDown();
        SetTimeFormatOverride({});
        SetTimeZoneDatabaseDirOverride({});
    }
    std::string m_dir;
};

TEST_F(ZoneCoreTest, BothZonesShowTheirTimeOfOneInstant)
{
    ConversionCore& core = Make();
    // 15 July 2026, 12:00 universal time.
    core.SetInstant(TicksFromSeconds(std::int64_t{20649} * 86400 + 12 * 3600));
    Open("Time Difference");
    Pick("(UTC+01:00) Europe/Berlin", "(UTC+05:30) Asia/Kolkata");
    core.SetSourceText("99"); // nothing is typed here
    const ConversionCore::Result result = core.Convert();
    EXPECT_EQ(result.form, Form::Times);
    EXPECT_EQ(result.source, "14:00:00");
    EXPECT_EQ(result.target, "17:30:00");
}

TEST_F(ZoneCoreTest, AFirstVisitShowsTheSystemZoneAgainstUniversalTime)
{
    const char* saved = std::getenv("TZ");
    const std::optional<std::string> tz = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("TZ", "Asia/Kolkata", 1);
    ConversionCore& core = Make();
    Open("Time Difference");
    EXPECT_EQ(Selected(core.SourceUnits()), "(UTC+05:30) Asia/Kolkata");
    EXPECT_EQ(Selected(core.TargetUnits()), "(UTC+00:00) Etc/UTC");
    if (tz)
        ::setenv("TZ", tz->c_str(), 1);
    else
        ::unsetenv("TZ");
}

TEST_F(ZoneCoreTest, ZonesPickedWhenTheListsSortedByNameStayPicked)
{
    Make();
    Open("Time Difference");
    const std::string section = "Settings\\Categories\\12";
    // The old list by name: Etc/UTC, Europe/Berlin, Asia/Kolkata, Pacific/Kiritimati, Etc/GMT+12.
    m_store.Clear();
    m_store.WriteProfileInt(section, "SourceUnit", 3);
    m_store.WriteProfileInt(section, "TargetUnit", 4);
    ConversionCore& again = Make();
    Open("Time Difference", Store::Later);
    EXPECT_EQ(Selected(again.SourceUnits()), "(UTC+14:00) Pacific/Kiritimati");
    EXPECT_EQ(Selected(again.TargetUnits()), "(UTC-12:00) Etc/GMT+12");
    EXPECT_EQ(Stored(section, "UnitOrder"), 1);
    EXPECT_EQ(Stored(section, "SourceUnit"), 4);
    EXPECT_EQ(Stored(section, "TargetUnit"), 0);

    // Marked as in the new order, they are taken as they are.
    ConversionCore& third = Make();
    Open("Time Difference");
    EXPECT_EQ(Selected(third.SourceUnits()), "(UTC+14:00) Pacific/Kiritimati");
    EXPECT_EQ(Selected(third.TargetUnits()), "(UTC-12:00) Etc/GMT+12");
}

} // namespace
} // namespace kelvara::test
