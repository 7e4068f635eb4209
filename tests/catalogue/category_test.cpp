#include "catalogue/category.h"
#include "catalogue/countrycodecategory.h"
#include "catalogue/currencycategory.h"
#include "catalogue/sensitivitycategory.h"
#include "platform/profilestore.h"
#include "platform/programpath.h"
#include "support/fakelist.h"
#include "support/recordingpresenter.h"
#include "support/testenv.h"
#include "text/formatting.h"

#include "kelvara/testpaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using kelvara::test::FakeList;
using kelvara::test::RecordingPresenter;
using kelvara::test::Utf16LE;
using kelvara::test::WriteFile;

// Data files beside a pretend program folder.
class CategoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = kelvara::test::TestRoot() + "/program-" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(m_dir);
        kelvara::SetProgramDirectoryOverride(m_dir);
        kelvara::SetProfile(&m_store);
    }
    void TearDown() override
    {
        kelvara::SetProgramDirectoryOverride({});
        kelvara::SetProfile(nullptr);
    }
    void Data(const std::string& name, const std::string& utf8)
    {
        WriteFile(m_dir + "/" + name, Utf16LE(utf8));
    }
    CCategory& Find(const std::string& name)
    {
        for (auto& c : m_catalogue)
            if (c->GetName() == name)
                return *c;
        throw std::runtime_error("no category " + name);
    }

    std::string m_dir;
    kelvara::MemoryProfileStore m_store;
    CCategoryArray m_catalogue;
};

TEST_F(CategoryTest, CatalogueHoldsTwentyFourCategoriesUnloaded)
{
    ASSERT_TRUE(CreateCatalogue(m_catalogue));
    ASSERT_TRUE(CreateCatalogue(m_catalogue));
    ASSERT_EQ(m_catalogue.size(), 24u);
    FakeList list;
    for (const auto& c : m_catalogue) {
        EXPECT_FALSE(c->IsLoaded());
        list.AddEntry(c->GetName(), {});
    }
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"Acceleration",
                                                      "Angle",
                                                      "Area",
                                                      "Capacity",
                                                      "Country and Phone Codes",
                                                      "Currency",
                                                      "Data Rate",
                                                      "Data Size",
                                                      "Density",
                                                      "Energy",
                                                      "Film Sensitivity",
                                                      "Force",
                                                      "Frequency",
                                                      "Fuel Economy",
                                                      "Length",
                                                      "Numbers",
                                                      "Power",
                                                      "Pressure",
                                                      "Speed",
                                                      "Temperature",
                                                      "Time",
                                                      "Time Difference",
                                                      "Torque",
                                                      "Weight"}));
    EXPECT_EQ(m_catalogue[0]->GetDataFileName(), "weight.dat");
    EXPECT_EQ(m_catalogue[13]->GetDataFileName(), "");
    EXPECT_EQ(m_catalogue[10]->GetKind(), Currency);
    EXPECT_EQ(m_catalogue[11]->GetKind(), Lookup);
    EXPECT_EQ(m_catalogue[13]->GetKind(), TimeZone);
    // Categories added later come after the first fourteen, whose places the settings remember.
    EXPECT_EQ(m_catalogue[14]->GetDataFileName(), "time.dat");
    EXPECT_EQ(m_catalogue[23]->GetDataFileName(), "acceleration.dat");
}

TEST_F(CategoryTest, LoadsOnceAndSkipsRowsSilently)
{
    Data("capacity.dat", "; Kelvara\r\n;unit,value,comment\r\ncubic inch (cu in),0.016387064\r\n\r\n"
                         "[UK] gallon (gal),4.546092\r\nbroken,abc\r\n[US] gallon (gal),3.7854112,\r\n");
    RecordingPresenter messages;
    CreateCatalogue(m_catalogue);
    CCategory& capacity = Find("Capacity");
    ASSERT_TRUE(capacity.EnsureLoaded());
    ASSERT_EQ(capacity.GetUnits().size(), 3u);
    // The file is read once: changing it afterwards changes nothing.
    Data("capacity.dat", "only,1\r\n");
    ASSERT_TRUE(capacity.EnsureLoaded());
    EXPECT_EQ(capacity.GetUnits().size(), 3u);
    EXPECT_TRUE(messages.messages.empty());

    FakeList list;
    ASSERT_TRUE(capacity.FillSourceUnits(list, 0));
    // Bracketed names stand together ahead of the names that begin with a letter.
    EXPECT_EQ(list.Texts(),
              (std::vector<std::string>{"[UK] gallon (gal)", "[US] gallon (gal)", "cubic inch (cu in)"}));
    EXPECT_EQ(list.selection, 0);
    EXPECT_EQ(list.droppedWidth, 10);
    EXPECT_EQ(list.Selected().item.unit->GetName(), "[UK] gallon (gal)");
}

TEST_F(CategoryTest, OutOfRangeSelectionSelectsTheFirstEntry)
{
    Data("speed.dat", "knot,1.852\r\nkilometers/hour (km/h),1\r\n");
    CreateCatalogue(m_catalogue);
    CCategory& speed = Find("Speed");
    ASSERT_TRUE(speed.EnsureLoaded());
    FakeList list;
    speed.FillTargetUnits(list, 7);
    EXPECT_EQ(list.selection, 0);
    speed.FillTargetUnits(list, -3);
    EXPECT_EQ(list.selection, 0);
    speed.FillTargetUnits(list, 1);
    EXPECT_EQ(list.selection, 1);
}

TEST_F(CategoryTest, CommentOnlyFileLoadsEmpty)
{
    Data("power.dat", "; nothing here\r\n;unit,value,comment\r\n");
    RecordingPresenter messages;
    CreateCatalogue(m_catalogue);
    CCategory& power = Find("Power");
    ASSERT_TRUE(power.EnsureLoaded());
    EXPECT_TRUE(power.GetUnits().empty());
    FakeList list;
    power.FillSourceUnits(list, 0);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.selection, -1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(CategoryTest, MissingFileReportsInitializationFailureWithTheSystemReason)
{
    RecordingPresenter messages;
    CreateCatalogue(m_catalogue);
    CCategory& energy = Find("Energy");
    EXPECT_FALSE(energy.EnsureLoaded());
    EXPECT_FALSE(energy.IsLoaded());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Initialization failed.\n\nNo such file or directory [0x80070002]");
    EXPECT_EQ(messages.messages[0].type, kelvara::MB_ICONERROR);
    // A later selection tries again.
    Data("energy.dat", "joule (J),1\r\n");
    EXPECT_TRUE(energy.EnsureLoaded());
}

TEST_F(CategoryTest, UnreadableFileShowsBothMessagesInOrder)
{
    // A folder where the file should be cannot be opened as a file.
    std::filesystem::create_directories(m_dir + "/area.dat");
    RecordingPresenter messages;
    CreateCatalogue(m_catalogue);
    CCategory& area = Find("Area");
    EXPECT_FALSE(area.EnsureLoaded());
    EXPECT_FALSE(area.IsLoaded());
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text,
              "An error occurred while opening the data. Try to restart the application.");
    EXPECT_EQ(messages.messages[0].type, kelvara::MB_ICONERROR);
    EXPECT_EQ(messages.messages[1].text.rfind("Initialization failed.\n\n", 0), 0u);
    EXPECT_NE(messages.messages[1].text.find("[0x80070015]"), std::string::npos) << messages.messages[1].text;
}

TEST_F(CategoryTest, LayoutAnswersOfTheSpecialCategories)
{
    CreateCatalogue(m_catalogue);
    CCategory& country = Find("Country and Phone Codes");
    EXPECT_TRUE(country.IsLookup());
    EXPECT_TRUE(country.HasFixedValueList());
    EXPECT_FALSE(country.FormatsTarget());
    EXPECT_FALSE(country.CanSwap());
    EXPECT_EQ(country.GetDropWidth(), 280);
    EXPECT_EQ(country.GetSourceValueLabelId(), 28u);
    CCategory& time = Find("Time Difference");
    EXPECT_TRUE(time.NeedsClock());
    EXPECT_TRUE(time.IsSourceReadOnly());
    EXPECT_FALSE(time.SeparatorBelowUnits());
    EXPECT_EQ(time.GetTargetUnitLabelId(), 35u);
    CCategory& currency = Find("Currency");
    EXPECT_FALSE(currency.SeparatorBelowUnits());
    EXPECT_EQ(currency.GetSourceUnitLabelId(), 38u);
    EXPECT_TRUE(currency.CanSwap());
    CCategory& film = Find("Film Sensitivity");
    EXPECT_FALSE(film.CanClear());
    EXPECT_TRUE(film.CanSwap());
    EXPECT_TRUE(film.FormatsTarget());
    CCategory& weight = Find("Weight");
    EXPECT_FALSE(weight.IsLookup());
    EXPECT_TRUE(weight.CanClear());
    EXPECT_FALSE(weight.FillValueList(*std::make_unique<FakeList>(), 0, 0));
}

TEST_F(CategoryTest, FilmSpeedScalesAndValues)
{
    Data("sensitivity.dat", ";DIN,ASA/ISO\r\n12,12,\r\n21,100,\r\n24,200\r\n27,400\r\n");
    CreateCatalogue(m_catalogue);
    CCategory& film = Find("Film Sensitivity");
    ASSERT_TRUE(film.EnsureLoaded());
    FakeList scales;
    film.FillSourceUnits(scales, 1);
    EXPECT_EQ(scales.Texts(), (std::vector<std::string>{"ASA / ISO", "DIN"}));
    EXPECT_EQ(scales.Selected().item.column, CSensitivity::ColumnDin);
    FakeList values(false);
    film.FillValueList(values, 2, CSensitivity::ColumnDin);
    EXPECT_EQ(values.Texts(), (std::vector<std::string>{"12", "21", "24", "27"}));
    // Changing the scale re-lists the same rows with the same one selected.
    film.FillValueList(values, 2, CSensitivity::ColumnAsa);
    EXPECT_EQ(values.Texts(), (std::vector<std::string>{"12", "100", "200", "400"}));
    EXPECT_EQ(values.selection, 2);
    const auto* row = dynamic_cast<const CLookupUnit*>(values.Selected().item.unit);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetColumnText(CSensitivity::ColumnDin), "24");
}

TEST_F(CategoryTest, CountryListsShareTheirRows)
{
    Data("country.dat",
         "; code,Intl,FD,Rescue,PD,Country or institution name\r\n"
         "ad,376,18,17,19,Andorra\r\nam,374,01,03,02,Armenia\r\n\"cg\",242,,,,\"Congo, Republic of\"\r\n");
    CreateCatalogue(m_catalogue);
    CCategory& country = Find("Country and Phone Codes");
    ASSERT_TRUE(country.EnsureLoaded());
    FakeList codes(false);
    FakeList names;
    FakeList services;
    country.FillValueList(codes, 0, 0);
    country.FillSourceUnits(names, 0);
    country.FillTargetUnits(services, 0);
    EXPECT_EQ(codes.Texts(), (std::vector<std::string>{"AD / +376", "AM / +374", "CG / +242"}));
    EXPECT_EQ(names.Texts(), (std::vector<std::string>{"Andorra", "Armenia", "Congo, Republic of"}));
    EXPECT_EQ(services.Texts(), (std::vector<std::string>{"Fire Department", "Police Department", "Rescue"}));
    EXPECT_EQ(services.entries[1].item.column, CCountryCode::ColumnPolice);
    EXPECT_EQ(codes.entries[1].item.unit, names.entries[1].item.unit);
}

TEST_F(CategoryTest, CurrencyRateLineAndToggle)
{
    Data("currency.dat", "; currency,abbr,fixed?,rate\r\nUnited States Dollars,USD,F,1.29301\r\n"
                         "Euro,EUR,T,1\r\nJapan Yen,JPY,F,157.538\r\n");
    CreateCatalogue(m_catalogue);
    auto& currency = dynamic_cast<CCurrencyCategory&>(Find("Currency"));
    ASSERT_TRUE(currency.EnsureLoaded());
    const auto& units = currency.GetUnits();
    const auto& usd = dynamic_cast<const CCurrency&>(*units[0]);
    const auto& eur = dynamic_cast<const CCurrency&>(*units[1]);
    EXPECT_TRUE(currency.IsEuroReference());
    EXPECT_EQ(currency.GetRateLine(usd, false), "1 \u20AC = 1.29301");
    currency.ToggleEuroReference();
    EXPECT_EQ(m_store.GetProfileInt("Options", "EuroReference", 7), 0);
    EXPECT_EQ(currency.GetRateLine(usd, false), "US$ 1 = 1");
    EXPECT_EQ(currency.GetRateLine(eur, false), "US$ 1 = " + FormatDouble((1.0 * 1) / 1.29301));
    currency.ToggleEuroReference();
    EXPECT_EQ(m_store.GetProfileInt("Options", "EuroReference", 7), 1);
}

TEST_F(CategoryTest, EuroReferenceIsReadWhenTheCategoryIsMade)
{
    m_store.WriteProfileInt("Options", "EuroReference", 0);
    CCurrencyCategory currency;
    EXPECT_FALSE(currency.IsEuroReference());
}

TEST_F(CategoryTest, UnloadedCategoriesFillNothing)
{
    CreateCatalogue(m_catalogue);
    FakeList list;
    list.AddEntry("stale", {});
    Find("Weight").FillSourceUnits(list, 0);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.droppedWidth, -1);
}

} // namespace

namespace {

// The names of each data file are translated in the context tools/mkpot.py gives them in the
// template: the category's English name (countries: COUNTRY_CONTEXT, after iso-codes).
TEST(CategoryNames, EachDataFilesNamesAreTranslatedInTheContextTheTemplateGivesThem)
{
    std::ifstream script(KELVARA_SOURCE_DIR "/tools/mkpot.py");
    const std::string text((std::istreambuf_iterator<char>(script)), std::istreambuf_iterator<char>());
    CCategoryArray catalogue;
    ASSERT_TRUE(CreateCatalogue(catalogue));
    int named = 0;
    for (const auto& category : catalogue) {
        const std::string file = category->GetDataFileName();
        const std::string entry = file == "country.dat" ? "COUNTRY_CONTEXT = \"" : "\"" + file + "\": \"";
        // Film speeds have no names, zones go by their ids.
        const bool translated = file != "sensitivity.dat" && !file.empty();
        EXPECT_EQ(text.find(entry + category->GetEnglishName() + "\"") != std::string::npos, translated)
            << file;
        named += text.find("\"" + file + "\": ") != std::string::npos;
    }
    // And no context for a file the catalogue does not have.
    int contexts = 0;
    for (auto at = text.find(".dat\": \""); at != std::string::npos; at = text.find(".dat\": \"", at + 1))
        ++contexts;
    EXPECT_EQ(named, contexts);
}

} // namespace
