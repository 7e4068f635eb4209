#include "platform/translations.h"

#include "kelvara/testpaths.h"
#include "support/locales.h"
#include "support/testenv.h"
#include "text/strings.h"
#include "text/translate.h"

#include <gtest/gtest.h>

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
        {"it:de:fr", nullptr, nullptr, "en_US.UTF-8", "de"},
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

} // namespace
} // namespace kelvara
