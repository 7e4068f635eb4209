#include "shell/translators.h"

#include "kelvara/testpaths.h"
#include "support/locales.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kelvara {
namespace {

const char* const kLocaleDir = KELVARA_BINARY_DIR "/src/share/locale";

// A template's text comes from our catalogue (the form's class as context), a standard button's
// from Qt's translations, both in the language of the environment; C keeps both English.
TEST(TranslatorsTest, TemplatesAndQtTextsSpeakTheLanguage)
{
    struct Row {
        const char* lang;
        const char* language;
        const char* optionText;
        const char* yesButton;
    };
    const Row rows[] = {
        {"de_DE.UTF-8", "de", "Immer im &Vordergrund", "&Ja"},
        {"fr_FR.UTF-8", "fr", "Toujours au &premier plan", "&Oui"},
        {"C", "", "Always on &top", "&Yes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lang);
        ASSERT_EQ(test::ProvideLocale(row.lang == std::string("C") ? "en_US.UTF-8" : row.lang), "");
        test::ScopedEnv lang("LANG", row.lang), all("LC_ALL", nullptr), language("LANGUAGE", nullptr),
            messages("LC_MESSAGES", nullptr);
        EXPECT_EQ(InstallTranslators(*qApp, kLocaleDir), row.language);
        EXPECT_EQ(QCoreApplication::translate("COptionsPage", "Always on &top"), QString::fromUtf8(row.optionText));
        QDialogButtonBox buttons(QDialogButtonBox::Yes);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), QString::fromUtf8(row.yesButton));
    }
    InstallTranslators(*qApp, kLocaleDir);
}

} // namespace
} // namespace kelvara
