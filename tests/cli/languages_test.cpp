// Names in the user's language, and selections that outlive a change of it, over the program's own
// data files and its real settings file; kelvara-cli under the build's pseudo-language.

#include "catalogue/category.h"
#include "catalogue/conversioncore.h"
#include "catalogue/countrycode.h"
#include "kelvara/testpaths.h"
#include "platform/programpath.h"
#include "platform/settingsprofilestore.h"
#include "platform/translations.h"
#include "support/locales.h"
#include "support/process.h"
#include "support/testenv.h"
#include "text/collate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kelvara::test {
namespace {

namespace fs = std::filesystem;

class Languages : public testing::Test {
protected:
    // "German": the template with each text's first word moved to its end ("pound (lb)" ->
    // "(lb) pound"), which reorders the lists, beside iso-codes' German country names.
    static void SetUpTestSuite()
    {
        ASSERT_EQ(ProvideLocale("de_DE.UTF-8"), "");
        SetProgramDirectoryOverride(KELVARA_BUILT_DATA_DIR);
        s_localeDir = TestRoot() + "/locale";
        fs::create_directories(s_localeDir + "/de/LC_MESSAGES");
        const std::string make =
            "msgen -o - '" KELVARA_SOURCE_DIR "/po/kelvara.pot' | msgfilter --keep-header -o de.po sed -e "
            "'s/^\\([^ ]*\\) \\(.*\\)$/\\2 \\1/' && sed -i "
            "'s/^\"Content-Type: .*$/&\\n\"Language: de\\\\n\"/' de.po && msgfmt -o "
            "de/LC_MESSAGES/kelvara.mo de.po";
        ProcessOptions options;
        options.directory = s_localeDir;
        ASSERT_EQ(RunProcess({"sh", "-c", make}, options).exitCode, 0);
    }
    static void TearDownTestSuite()
    {
        Speak("C");
        SetProgramDirectoryOverride({});
    }

    // As if the program started in `locale` (LC_ALL).
    static void Speak(const std::string& locale)
    {
        ::setenv("LC_ALL", locale.c_str(), 1);
        ::unsetenv("LANGUAGE");
        InitTranslations(s_localeDir);
    }

    static CCategory& Category(const CCategoryArray& catalogue, const std::string& english)
    {
        for (const auto& category : catalogue)
            if (category->GetEnglishName() == english)
                return *category;
        throw std::runtime_error("no category " + english);
    }

    static std::string s_localeDir;
};

std::string Languages::s_localeDir;

TEST_F(Languages, TheListsShowTheNamesInTheUsersLanguageAndEnglishSpeakersSeeTheFilesOwn)
{
    struct Case {
        const char* category;
        const char* code; // a country's, or the beginning of the data file's name
        const char* german;
    };
    const Case cases[] = {
        {"Weight", "pound (lb)", "(lb) pound"},
        // Country, dash and currency in the user's language: the country ours ("United States"
        // reordered), else iso-codes'; the currency iso-codes', else ours; '*' kept for an ended one.
        {"Currency", "Andorra Euro", "Andorra \u2013 Euro (EUR)"},
        {"Currency", "United States Dollars", "States United \u2013 US-Dollar (USD)"},
        {"Currency", "Germany *Deutsche Marks", "Germany \u2013 *Mark Deutsche (DEM)"},
        {"Currency", "[Gold Ounces]", "Ounces] [Gold (XAU)"},  // no country: the row whole
        {"Country and Phone Codes", "de", "Deutschland"},      // iso-codes
        {"Country and Phone Codes", "kr", "Korea, Republik"},  // iso-codes, not the row's name
        {"Country and Phone Codes", "ac", "Island Ascension"}, // no ISO code: ours
        {"Time Difference", "(UTC+09:00) Asia/Tokyo", "(UTC+09:00) Asia/Tokyo"}, // ids stay ids
    };
    for (const std::string locale : {"C", "en_US.UTF-8", "de_DE.UTF-8"}) {
        Speak(locale);
        CCategoryArray catalogue;
        CreateCatalogue(catalogue);
        for (const Case& c : cases) {
            SCOPED_TRACE(locale + " " + c.code);
            CCategory& category = Category(catalogue, c.category);
            ASSERT_TRUE(category.EnsureLoaded());
            const CBaseUnit* unit = nullptr;
            for (const auto& u : category.GetUnits()) {
                const auto* country = dynamic_cast<const CCountryCode*>(u.get());
                if (country ? country->GetCode() == c.code : u->GetName().rfind(c.code, 0) == 0)
                    unit = u.get();
            }
            ASSERT_NE(unit, nullptr);
            EXPECT_EQ(category.GetUnitText(*unit), locale == "de_DE.UTF-8" ? c.german : unit->GetName());
        }
    }
}

// Each category in turn, as a user picks: the first language's choices come back in the second,
// those made in the second come back in the first.
TEST_F(Languages, EveryRememberedChoiceSurvivesAChangeOfLanguage)
{
    struct Case {
        const char* category;
        int rows[2][2]; // the source and target rows picked in each language (film: also the value)
    };
    const Case cases[] = {
        {"Weight", {{3, 1}, {7, 9}}},
        {"Length", {{5, 11}, {2, 20}}},
        {"Area", {{4, 2}, {1, 6}}},
        {"Capacity", {{8, 1}, {3, 12}}},
        {"Speed", {{2, 4}, {5, 0}}},
        {"Pressure", {{1, 7}, {6, 2}}},
        {"Power", {{3, 5}, {1, 2}}},
        {"Energy", {{2, 0}, {6, 4}}},
        {"Temperature", {{1, 4}, {3, 0}}},
        {"Numbers", {{5, 1}, {3, 4}}},
        {"Currency", {{40, 2}, {7, 120}}},
        {"Film Sensitivity", {{1, 0}, {0, 1}}},
        {"Country and Phone Codes", {{70, 2}, {200, 1}}},
        {"Time Difference", {{30, 100}, {300, 3}}},
    };
    SettingsProfileStore settings;
    SetProfile(&settings);
    // What the core shows, told by language-free texts: English names, column numbers.
    const auto chosen = [](const ConversionCore& core) {
        std::vector<std::string> texts;
        for (const SortedList* list : {&core.SourceUnits(), &core.TargetUnits(), &core.Values()}) {
            const ListItem item = list->GetCurSel() < 0 ? ListItem{} : list->GetItem(list->GetCurSel());
            texts.push_back(item.unit ? core.GetCategory()->GetEnglishText(item)
                                      : std::to_string(item.column));
        }
        return texts;
    };
    std::vector<std::vector<std::string>> expected(std::size(cases));
    int reordered = 0;
    for (const int round : {0, 1, 2}) {
        Speak(round == 1 ? "de_DE.UTF-8" : "C");
        CCategoryArray catalogue;
        CreateCatalogue(catalogue);
        ConversionCore core(catalogue, settings, ConversionCore::Memory::Selections);
        // The category chosen last is remembered too.
        ASSERT_TRUE(core.SelectCategory(core.RememberedCategory()));
        EXPECT_TRUE(round == 0 || core.GetCategory()->GetEnglishName() == "Time Difference");
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(std::to_string(round) + " " + c.category);
            // The list of categories was filled in the catalogue's order.
            int index = 0;
            while (catalogue[static_cast<std::size_t>(index)]->GetEnglishName() != c.category)
                ++index;
            ASSERT_TRUE(core.SelectCategory(core.Categories().FindAddedOrder(index)));
            if (round > 0) {
                EXPECT_EQ(chosen(core), expected[i]);
            }
            // Listed in the order of the German names, not the English ones.
            const SortedList& list = core.SourceUnits();
            for (int p = 1; round == 1 && p < list.GetCount() && list.GetItem(p).unit; ++p)
                if (CompareListText(list.GetItem(p - 1).unit->GetName(), list.GetItem(p).unit->GetName()) >
                    0) {
                    ++reordered;
                    break;
                }
            if (round == 2)
                continue;
            core.SelectSourceUnit(core.SourceUnits().FindAddedOrder(c.rows[round][0]));
            core.SelectTargetUnit(core.TargetUnits().FindAddedOrder(c.rows[round][1]));
            if (!core.GetCategory()->HasFixedValueList() && core.Values().GetCount() > 0)
                core.SelectValue(c.rows[round][0] + 3);
            expected[i] = chosen(core);
        }
    }
    EXPECT_GE(reordered, 11) << "every list of names is sorted anew in German";
    SetProfile(nullptr);
}

TEST_F(Languages, TheToolTakesNamesInEnglishAndInTheUsersLanguage)
{
    ASSERT_EQ(ProvideLocale("en_US.UTF-8"), "");
    const auto run = [](std::vector<std::string> args) {
        args.insert(args.begin(), KELVARA_BINARY_DIR "/src/cli/kelvara-cli");
        ProcessOptions options;
        options.env["LC_ALL"] = std::nullopt;
        options.env["LANG"] = "en_US.UTF-8";
        options.env["LANGUAGE"] = "en@pseudo";
        return RunProcess(args, options);
    };
    struct Case {
        std::vector<std::string> translated, english;
        const char* out;
    };
    const Case cases[] = {
        {{"convert", "⟦Length⟧", "1", "m", "ft"},
         {"convert", "Length", "1", "m", "ft"},
         "3.28083989501312\n"},
        {{"convert", "⟦Weight⟧", "1", "⟦kilogram (kg)⟧", "⟦pound (lb)⟧"},
         {"convert", "weight", "1", "kilogram", "pound (lb)"},
         "2.20462262184878\n"},
        {{"convert", "⟦Currency⟧", "5", "⟦Euro⟧", "EUR"},
         {"convert", "Currency", "5", "Andorra", "EUR"},
         "5\n"},
        {{"convert", "⟦Country and Phone Codes⟧", "-", "⟦Netherlands Antilles⟧", "⟦Police Department⟧"},
         {"convert", "Country and Phone Codes", "-", "Netherlands Antilles", "Police"},
         "911\n"},
        {{"units", "⟦Temperature⟧"}, {"units", "Temperature"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english[1]);
        const ProcessResult translated = run(c.translated);
        const ProcessResult english = run(c.english);
        EXPECT_EQ(translated.exitCode, 0) << translated.err;
        EXPECT_EQ(translated.err, "");
        EXPECT_EQ(translated.out, english.out);
        if (c.out) {
            EXPECT_EQ(translated.out, c.out);
        }
    }
    // What it prints is in the user's language.
    EXPECT_EQ(run({"units", "Temperature"}).out.rfind("⟦", 0), 0u);
}

// With the catalogues we ship: a user names the lists in their language or in English, and is
// told what went wrong in their language.
TEST_F(Languages, TheShippedCataloguesNameWhatTheToolTakes)
{
    struct Case {
        const char* locale;
        std::vector<std::string> args;
        const char* out;
        const char* errPart; // in the message, when it fails
    };
    const Case cases[] = {
        {"de_DE.UTF-8", {"convert", "Länge", "1", "m", "ft"}, "3.28083989501312\n", nullptr},
        {"de_DE.UTF-8", {"convert", "Length", "1", "m", "ft"}, "3.28083989501312\n", nullptr},
        {"de_DE.UTF-8",
         {"convert", "Gewicht", "1", "Kilogramm", "Pfund (lb)"},
         "2.20462262184878\n",
         nullptr},
        {"fr_FR.UTF-8", {"convert", "Longueur", "1", "mètre", "pied (ft)"}, "3.28083989501312\n", nullptr},
        // A currency row composed in the user's language (iso-codes' name in small letters), a
        // name found by its English words, and a language we have no catalogue of, which still
        // names currencies by iso-codes. (Folding in every script is the text layer's test.)
        {"ru_RU.UTF-8",
         {"find", "фунт", "стерлингов"},
         "Валюты\tВеликобритания – фунт стерлингов (GBP)\n",
         nullptr},
        {"ja_JP.UTF-8", {"find", "pound", "lb"}, "重量\tポンド (lb)\n", nullptr},
        {"sv_SE.UTF-8", {"find", "schweizerfranc"}, "Currency\tSchweiz – schweizerfranc (CHF)\n", nullptr},
        {"de_DE.UTF-8", {"convert", "Länge", "1", "xx", "ft"}, "", "unbekannt"},
        {"fr_FR.UTF-8", {"convert", "Longueur", "1", "xx", "ft"}, "", "inconnu"},
    };
    for (const Case& c : cases) {
        std::string trace = c.locale;
        for (const auto& arg : c.args)
            trace += " " + arg;
        SCOPED_TRACE(trace);
        ASSERT_EQ(ProvideLocale(c.locale), "");
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), KELVARA_BINARY_DIR "/src/cli/kelvara-cli");
        ProcessOptions options;
        options.env["LC_ALL"] = std::nullopt;
        options.env["LANGUAGE"] = std::nullopt;
        options.env["LANG"] = c.locale;
        const ProcessResult result = RunProcess(args, options);
        if (c.args[0] == "find")
            EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        else
            EXPECT_EQ(result.out, c.out);
        if (c.errPart)
            EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
        else
            EXPECT_EQ(result.err, "");
    }
}

} // namespace
} // namespace kelvara::test
