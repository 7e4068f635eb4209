#include "shell/translators.h"

#include "platform/translations.h"
#include "text/translate.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace kelvara {

namespace {
// Qt asks its translators for every text of a template (uic's retranslateUi); this one answers
// from our gettext catalogue, and with nothing where the catalogue has nothing, so that Qt's own
// translator and then the English text come next.
class CatalogueTranslator final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override
    {
        if (!sourceText || !*sourceText)
            return {};
        const char* translated = Translate(context, sourceText);
        return translated == sourceText ? QString() : QString::fromUtf8(translated);
    }

    bool isEmpty() const override { return false; }
};
} // namespace

std::string InstallTranslators(QCoreApplication& application, const std::string& localeDir)
{
    // Again (a test changing the language): the earlier pair goes first.
    static QPointer<QTranslator> installed[2];
    for (QPointer<QTranslator>& translator : installed) {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    const std::string language = InitTranslations(localeDir);
    // Qt's texts in the catalogue's language; without one, in the language Qt takes from the
    // environment (it may have translations we lack).
    const QLocale locale = language.empty() ? QLocale::system() : QLocale(QString::fromStdString(language));
    auto* qtTexts = new QTranslator(&application);
    if (qtTexts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtTexts);
        installed[0] = qtTexts;
    } else {
        delete qtTexts;
    }
    // Installed last, asked first.
    installed[1] = new CatalogueTranslator(&application);
    QCoreApplication::installTranslator(installed[1]);
    return language;
}

} // namespace kelvara
