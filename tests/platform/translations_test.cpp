#include "platform/translations.h"

#include "kelvara/testpaths.h"
#include "platform/smallfile.h"
#include "support/locales.h"
#include "support/testenv.h"
#include "text/strings.h"
#include "text/translate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace kelvara {
namespace {

const char* const kLocaleDir = KELVARA_BINARY_DIR "/src/share/locale";

// Sets the locale variables for a test and puts them and the English texts back afterwards.
class Language {
public:
    Language(const char* language, const char* all, const char* messages, const char* lang)
        : m_language("LANGUAGE", language), m_all("LC_ALL", all), m_messages("LC_MESSAGES", messages),
          m_lang("LANG", lang)
    {
    }
    ~Language()
    {
        m_language.Restore();
        m_all.Restore();
        m_messages.Restore();
        m_lang.Restore();
        InitTranslations(kLocaleDir);
    }

private:
    test::ScopedEnv m_language, m_all, m_messages, m_lang;
};

class TranslationsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8"}) {
            const std::string problem = test::ProvideLocale(name);
            ASSERT_TRUE(problem.empty()) << problem;
        }
    }
};

// The language comes from the environment as with every program here: LANGUAGE (a list, ignored
// under the C locale) before LC_ALL, LC_MESSAGES and LANG; no catalogue means English.
TEST_F(TranslationsTest, CatalogueFollowsTheEnvironment)
{
    struct Row {
        const char* language;
        const char* all;
        const char* messages;
        const char* lang;
        const char* expected;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", "de"},
        {nullptr, nullptr, "fr_FR.UTF-8", "de_DE.UTF-8", "fr"},
        {nullptr, "de_DE.UTF-8", "fr_FR.UTF-8", "fr_FR.UTF-8", "de"},
        {"fr", nullptr, nullptr, "de_DE.UTF-8", "fr"},
        {"sv:de:fr", nullptr, nullptr, "en_US.UTF-8", "de"},
        {"fr", "C", nullptr, "de_DE.UTF-8", ""},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", ""},
        {nullptr, nullptr, nullptr, nullptr, ""},
        {nullptr, nullptr, nullptr, "xx_YY.UTF-8", ""}, // no such locale
    };
    for (const Row& row : rows) {
        Language language(row.language, row.all, row.messages, row.lang);
        EXPECT_EQ(InitTranslations(kLocaleDir), row.expected)
            << "LANGUAGE=" << (row.language ? row.language : "") << " LC_ALL=" << (row.all ? row.all : "")
            << " LC_MESSAGES=" << (row.messages ? row.messages : "") << " LANG=" << (row.lang ? row.lang : "");
    }
}

// Texts come from the catalogue of the language chosen last; those it lacks stay English.
TEST_F(TranslationsTest, TextsFollowTheCatalogue)
{
    const std::string english = LoadString(IDS_WEIGHT);
    {
        Language pseudo("en@pseudo", nullptr, nullptr, "en_US.UTF-8");
        InitTranslations(kLocaleDir);
        EXPECT_EQ(LoadString(IDS_WEIGHT), "⟦" + english + "⟧");
        EXPECT_STREQ(EnglishString(IDS_WEIGHT), english.c_str());
        EXPECT_STREQ(Translate("Weight", "pound (lb)"), "⟦pound (lb)⟧");
        // A context the name does not stand in: not in the catalogue, so the same pointer back.
        const char* name = "pound (lb)";
        EXPECT_EQ(Translate("Currency", name), name);
        EXPECT_STREQ(Translate(""), "");
        EXPECT_STREQ(Translate("Weight", ""), "");
        EXPECT_EQ(LoadString(999999), "");
    }
    EXPECT_EQ(LoadString(IDS_WEIGHT), english);
}

// A damaged catalogue in the catalogue folder is never handed to the C library (which trusts its
// offsets and would crash): the texts stay English, and a sound one of another language still works.
TEST_F(TranslationsTest, ADamagedCatalogueLeavesTheTextsEnglish)
{
    std::string sound;
    ASSERT_TRUE(ReadSmallFile(std::string(kLocaleDir) + "/de/LC_MESSAGES/kelvara.mo", sound, 1 << 24));
    ASSERT_TRUE(IsSoundMessageCatalogue(sound));
    const auto put = [](std::string bytes, std::size_t at, std::uint32_t value) {
        std::memcpy(bytes.data() + at, &value, 4); // the build's own byte order, as msgfmt writes
        return bytes;
    };
    std::uint32_t originals = 0;
    std::memcpy(&originals, sound.data() + 12, 4);
    std::uint32_t hash = 0;
    std::memcpy(&hash, sound.data() + 24, 4);
    struct Row {
        const char* what;
        std::string bytes;
    };
    const Row damaged[] = {
        {"cut short", sound.substr(0, sound.size() / 2)},
        {"cut in the header", sound.substr(0, 20)},
        {"not a catalogue", std::string(sound.size(), 'x')},
        {"a later revision", put(sound, 4, 2)},
        {"more entries than tables", put(sound, 8, 0x10000000)},
        {"a table past the end", put(sound, 12, static_cast<std::uint32_t>(sound.size()))},
        {"a string past the end", put(sound, originals + 4, static_cast<std::uint32_t>(sound.size() - 2))},
        {"a string without its end", put(sound, originals, 1)}, // the header's length cut to 1
        {"a hash entry naming no string", put(sound, hash, 0x7FFFFFFF)},
    };
    for (const Row& row : damaged)
        EXPECT_FALSE(IsSoundMessageCatalogue(row.bytes)) << row.what;

    const std::string folder = test::TestRoot() + "/damaged-locale";
    for (const char* language : {"de", "fr"})
        std::filesystem::create_directories(folder + "/" + language + "/LC_MESSAGES");
    std::filesystem::copy_file(std::string(kLocaleDir) + "/fr/LC_MESSAGES/kelvara.mo",
                               folder + "/fr/LC_MESSAGES/kelvara.mo",
                               std::filesystem::copy_options::overwrite_existing);
    {
        std::ofstream out(folder + "/de/LC_MESSAGES/kelvara.mo", std::ios::binary | std::ios::trunc);
        out << damaged[0].bytes;
    }
    const std::string english = LoadString(IDS_WEIGHT);
    {
        Language german(nullptr, "de_DE.UTF-8", nullptr, nullptr);
        EXPECT_EQ(InitTranslations(folder), "");
        EXPECT_EQ(LoadString(IDS_WEIGHT), english);
        // iso-codes' names and the language's order still follow the language.
        EXPECT_EQ(TextLanguage(), "de_DE");
    }
    {
        Language french(nullptr, "fr_FR.UTF-8", nullptr, nullptr);
        EXPECT_EQ(InitTranslations(folder), "fr");
        EXPECT_NE(LoadString(IDS_WEIGHT), english);
    }
}

} // namespace
} // namespace kelvara
