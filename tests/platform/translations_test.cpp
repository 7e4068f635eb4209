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
#include <vector>

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
    const auto word = [&sound](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, sound.data() + at, 4);
        return value;
    };
    // A catalogue laid out as msgfmt lays it out, without a hash table, its texts both the
    // originals and the translations.
    const auto make = [](std::uint32_t revision, const std::vector<std::string>& texts) {
        const std::uint32_t header = revision == 0 ? 28 : 48;
        const auto count = static_cast<std::uint32_t>(texts.size());
        std::vector<std::uint32_t> words = {0x950412DE, revision, count, header, header + 8 * count, 0, 0};
        words.resize(header / 4, 0);
        std::string strings;
        std::vector<std::uint32_t> table;
        for (const std::string& text : texts) {
            table.push_back(static_cast<std::uint32_t>(text.size()));
            table.push_back(header + 16 * count + static_cast<std::uint32_t>(strings.size()));
            strings += text + '\0';
        }
        words.insert(words.end(), table.begin(), table.end());
        words.insert(words.end(), table.begin(), table.end());
        std::string bytes(words.size() * 4, '\0');
        std::memcpy(bytes.data(), words.data(), bytes.size());
        return bytes + strings;
    };
    std::string small = make(0, {"", "a"});
    small.resize((small.size() + 3) & ~std::size_t{3}, '\0');
    const std::string hashAtEnd =
        put(put(small + std::string(12, '\0'), 20, 3), 24, static_cast<std::uint32_t>(small.size()));
    const auto beyond = static_cast<std::uint32_t>((sound.size() + 4) & ~std::size_t{3});
    struct Row {
        const char* what;
        std::string bytes;
        bool sound;
    };
    const Row rows[] = {
        {"msgfmt's", sound, true},
        {"a header only", make(0, {}), true},
        {"revision 1 without system-dependent strings", make(1, {"", "a"}), true},
        {"revision 1, a header only", make(1, {}), true},
        {"revision 1 with system-dependent segments", put(make(1, {"", "a"}), 28, 1), false},
        {"revision 1 with system-dependent strings", put(make(1, {"", "a"}), 36, 1), false},
        {"a later revision", put(sound, 4, 2), false},
        {"two hash slots, which are never looked at", put(put(make(0, {"a"}), 20, 2), 24, 0xFFFFFF00), true},
        {"three empty hash slots at the very end", hashAtEnd, true},
        {"cut short", sound.substr(0, sound.size() / 2), false},
        {"cut in the header", sound.substr(0, 27), false},
        {"not a catalogue", std::string(sound.size(), 'x'), false},
        {"more entries than tables", put(sound, 8, 0x10000000), false},
        {"the originals past the end", put(sound, 12, beyond), false},
        {"the translations past the end", put(sound, 16, beyond), false},
        {"a table off its word", put(make(0, {"a"}), 12, 30), false},
        {"a string past the end", put(sound, word(12) + 4, static_cast<std::uint32_t>(sound.size() - 2)),
         false},
        {"a string without its end", put(sound, word(12), 1), false}, // the header's length cut to 1
        {"the hash table past the end", put(sound, 24, beyond), false},
        {"a hash slot naming no string", put(sound, word(24), 0x7FFFFFFF), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsSoundMessageCatalogue(row.bytes), row.sound) << row.what;

    const std::string folder = test::TestRoot() + "/damaged-locale";
    for (const char* language : {"de", "fr"})
        std::filesystem::create_directories(folder + "/" + language + "/LC_MESSAGES");
    std::filesystem::copy_file(std::string(kLocaleDir) + "/fr/LC_MESSAGES/kelvara.mo",
                               folder + "/fr/LC_MESSAGES/kelvara.mo",
                               std::filesystem::copy_options::overwrite_existing);
    {
        std::ofstream out(folder + "/de/LC_MESSAGES/kelvara.mo", std::ios::binary | std::ios::trunc);
        out << sound.substr(0, sound.size() / 2);
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
