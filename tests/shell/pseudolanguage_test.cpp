// Every text the window shows comes through the message catalogue. Under the pseudo-language that
// the build makes (en@pseudo: each text of the catalogue wrapped in ⟦…⟧), a text shown without the
// brackets bypassed the catalogue, and no translation will ever reach it.

#include "online/downloaddlg.h"
#include "page/qtmessagepresenter.h"
#include "platform/profilestore.h"
#include "shell/convertsheet.h"
#include "shell/optionspage.h"
#include "shell/translators.h"
#include "text/strings.h"

#include "faketrayhost.h"
#include "support/pseudolanguage.h"
#include "support/recordingpresenter.h"
#include "support/testenv.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace {

// What is not language, and so never wrapped, taken out of a text before it is checked.
QString WithoutValues(QString text)
{
    // Time-zone ids as the lists and the system-zone line show them: "(UTC+09:00) Asia/Tokyo".
    static const QRegularExpression zone(QStringLiteral(R"(\(UTC[+-]\d\d:\d\d\) [A-Za-z0-9_+/-]+)"));
    // The code of a system or network error after a message: " [0x800C000D]".
    static const QRegularExpression errorCode(QStringLiteral(R"(\[0x[0-9A-F]{8}\])"));
    // A currency's code after its name: "(USD)".
    static const QRegularExpression currencyCode(QStringLiteral(R"(\([A-Z]{3}\)$)"));
    return text.remove(zone).remove(errorCode).remove(currencyCode);
}

bool HasBareLetters(const QString& text)
{
    return kelvara::test::HasBareLetters(WithoutValues(text).toStdString());
}

// Why a control's own text is not checked, by the control's name.
const std::map<QString, const char*>& ExemptTexts()
{
    static const std::map<QString, const char*> exempt = {
        // Numbers the user typed or the program computed; times of day in Time Difference.
        {QStringLiteral("sourceEdit"), "a value"},
        {QStringLiteral("targetEdit"), "a value"},
        // Values of the reference tables (film speeds, dialling codes with a country's code).
        {QStringLiteral("valueList"), "a value"},
        // "1 € = 1.13607  (built-in, 9/29/26)": a rate, currency codes, the rate's source (a word
        // scripts read, never translated) and a date.
        {QStringLiteral("rateLine"), "a rate with its source word and date"},
        // The project's and the rate service's web addresses.
        {QStringLiteral("linkHome"), "an address"},
        {QStringLiteral("linkService"), "an address"},
        // The legal notice of the build ("Copyright © 2026 Brask"): its owner's words, set when
        // the build is configured.
        {QStringLiteral("labelLegal"), "the build's legal notice"},
    };
    return exempt;
}

// Why a control's tooltip is not checked.
const std::map<QString, const char*>& ExemptTooltips()
{
    static const std::map<QString, const char*> exempt = {
        // The rate service's page: its address.
        {QStringLiteral("linkService"), "an address"},
        // The list's current entry, as its tooltip repeats it.
        {QStringLiteral("valueList"), "a value"},
    };
    return exempt;
}

bool IsListOfData(const QObject* control)
{
    const QString name = control->objectName();
    return name == QLatin1String("sourceUnitList") || name == QLatin1String("targetUnitList");
}

class PseudoLanguageTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!m_pseudo->Problem().empty())
            GTEST_SKIP() << m_pseudo->Problem();
        // The dialog templates' texts too, as the program installs their translator.
        m_translatorsBefore = qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly);
        m_translatorsInstalled = true;
        kelvara::InstallTranslators(*qApp, kelvara::test::kBuiltLocaleDir);
        ASSERT_EQ(kelvara::LoadString(kelvara::IDS_APP_TITLE), "⟦Kelvara⟧")
            << "the pseudo-language catalogue is not in use; is " << kelvara::test::kBuiltLocaleDir
            << "/en@pseudo built?";
        kelvara::SetProfile(&m_store);
    }

    void TearDown() override
    {
        m_sheet.reset();
        kelvara::SetProfile(nullptr);
        // English again for the other tests of this program: the environment and the catalogue,
        // and none of the translators this test installed.
        m_pseudo.reset();
        for (QTranslator* translator : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            if (!m_translatorsInstalled || m_translatorsBefore.contains(translator))
                continue;
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        EXPECT_EQ(kelvara::LoadString(kelvara::IDS_APP_TITLE), "Kelvara");
    }

    // Notes `text` when a letter of it lies outside the brackets; `what` names the text, `where`
    // tells when it was seen (the same control's same text is noted once).
    void Check(const QString& what, const QString& text, const QString& where = {})
    {
        if (text.isEmpty())
            return;
        ++m_checked;
        const QString seen = what + QStringLiteral(": ") + text;
        if (HasBareLetters(text) && !m_seen.contains(seen)) {
            m_seen << seen;
            m_bypassed << (where.isEmpty() ? seen : where + QStringLiteral(" / ") + seen);
        }
    }

    static QString Name(const QWidget* control)
    {
        return control->objectName().isEmpty() ? QString::fromLatin1(control->metaObject()->className())
                                               : control->objectName();
    }

    // The countries are named by iso-codes' catalogues, which have no pseudo-language, and a
    // language of English shows the currency rows as the data file writes them (the categories'
    // tests see both in German).
    static bool NamedByIsoCodes(const QString& where, const QComboBox& list)
    {
        if (where.contains(QStringLiteral("Currency")))
            return list.objectName() == QStringLiteral("sourceUnitList") ||
                   list.objectName() == QStringLiteral("targetUnitList");
        return where.contains(QStringLiteral("Country and Phone Codes")) &&
               list.objectName() == QStringLiteral("sourceUnitList");
    }

    // Every text of `window` and the controls in it; `where` tells what the window showed.
    void CheckWindow(QWidget& window, const QString& where)
    {
        Check(Name(&window) + QStringLiteral(" title"), window.windowTitle(), where);
        QList<QWidget*> controls = window.findChildren<QWidget*>();
        controls.prepend(&window);
        for (QWidget* control : controls) {
            const QString name = Name(control);
            const bool ofData = IsListOfData(control);
            // A country's name cut short in its list shows whole in the tooltip, named by iso-codes too.
            const auto* countries = qobject_cast<QComboBox*>(control);
            if (!ExemptTooltips().count(control->objectName()) &&
                !(countries && NamedByIsoCodes(where, *countries)))
                Check(name + QStringLiteral(" tooltip"), control->toolTip(), where);
            if (ExemptTexts().count(control->objectName()))
                continue;
            if (auto* label = qobject_cast<QLabel*>(control))
                Check(name, label->text(), where);
            else if (auto* button = qobject_cast<QAbstractButton*>(control))
                Check(name, button->text(), where);
            else if (auto* group = qobject_cast<QGroupBox*>(control))
                Check(name, group->title(), where);
            else if (auto* field = qobject_cast<QLineEdit*>(control))
                Check(name + QStringLiteral(" placeholder"), field->placeholderText(),
                      where); // its text is a value
            if (auto* tabs = qobject_cast<QTabWidget*>(control))
                for (int i = 0; i < tabs->count(); ++i)
                    Check(name + QStringLiteral(" tab"), tabs->tabText(i), where);
            if (auto* list = qobject_cast<QComboBox*>(control)) {
                if (!ofData) {
                    Check(name, list->currentText(), where);
                } else if (!NamedByIsoCodes(where, *list)) {
                    for (int i = 0; i < list->count(); ++i)
                        Check(name + QStringLiteral(" entry"), list->itemText(i), where);
                }
            }
        }
    }

    void CheckMenu(const QMenu& menu)
    {
        Check(QStringLiteral("tray menu"), menu.title());
        for (const QAction* action : menu.actions()) {
            if (action->menu())
                CheckMenu(*action->menu());
            else if (!action->isSeparator())
                Check(QStringLiteral("tray menu"), action->text());
        }
    }

    // Builds the window over a fake tray and runs it, `during` inside the run.
    void RunSheet(const std::function<void()>& during)
    {
        auto host = std::make_unique<kelvara::test::FakeTrayHost>();
        m_tray = host.get();
        m_sheet = std::make_unique<CConvertSheet>(std::move(host));
        m_sheet->SetStartVisible(true);
        QTimer::singleShot(0, m_sheet.get(), [this, during] {
            EXPECT_TRUE(QTest::qWaitFor([this] { return m_tray->shown; }, 5000));
            during();
            m_sheet->EndModal(CConvertSheet::ResultExit);
        });
        m_sheet->DoModal();
    }

    // Picks each entry of the category list as the user does, `visit` after each.
    void ForEachCategory(const std::function<void(const QString& category)>& visit)
    {
        auto* categories = m_sheet->findChild<QComboBox*>(QStringLiteral("categoryList"));
        ASSERT_NE(categories, nullptr);
        ASSERT_GT(categories->count(), 10);
        for (int i = 0; i < categories->count(); ++i) {
            categories->setCurrentIndex(i);
            emit categories->activated(i);
            visit(categories->itemText(i));
        }
    }

    void ExpectNothingBypassed() const
    {
        EXPECT_TRUE(m_bypassed.isEmpty())
            << "texts shown without the catalogue (" << m_bypassed.size() << "):\n  "
            << m_bypassed.join(QStringLiteral("\n  ")).toStdString();
    }

    std::unique_ptr<kelvara::test::ScopedPseudoLanguage> m_pseudo =
        std::make_unique<kelvara::test::ScopedPseudoLanguage>();
    QList<QTranslator*> m_translatorsBefore;
    bool m_translatorsInstalled = false;
    kelvara::MemoryProfileStore m_store;
    kelvara::test::RecordingPresenter m_presenter;
    kelvara::test::FakeTrayHost* m_tray = nullptr;
    std::unique_ptr<CConvertSheet> m_sheet;
    QStringList m_bypassed;
    QSet<QString> m_seen;
    int m_checked = 0;
};

TEST_F(PseudoLanguageTest, EveryTextOfTheWindowAndTheTrayComesThroughTheCatalogue)
{
    m_store.WriteProfileInt("Options", "CloseToSystray", 1);
    RunSheet([this] {
        // Every category lays the conversion page out with labels of its own.
        ForEachCategory([this](const QString& category) { CheckWindow(*m_sheet, category); });
        // The list's filter field shows in the open list.
        auto* categories = m_sheet->findChild<QComboBox*>(QStringLiteral("categoryList"));
        categories->showPopup();
        CheckWindow(*categories, QStringLiteral("open category list"));
        categories->hidePopup();
        // The other tabs build their controls when they first show.
        for (const int page : {CConvertSheet::OptionsPage, CConvertSheet::AboutPage}) {
            m_sheet->SetActivePage(page);
            CheckWindow(*m_sheet, QStringLiteral("tab ") + QString::number(page));
        }
        // Where the desktop decides what stays on top, the box says so in its tooltip.
        m_sheet->GetOptionsPage().SetTopMostSupported(false);
        CheckWindow(m_sheet->GetOptionsPage(), QStringLiteral("options on Wayland"));

        Check(QStringLiteral("tray tooltip"), m_tray->lastTooltip);
        m_sheet->UpdateTrayMenu();
        CheckMenu(*m_tray->menu);
        // Closed to the tray: the balloon, and the menu's Open.
        m_sheet->close();
        m_sheet->UpdateTrayMenu();
        CheckMenu(*m_tray->menu);
    });
    ASSERT_FALSE(m_tray->balloons.empty());
    Check(QStringLiteral("balloon title"), m_tray->balloons.back().title);
    Check(QStringLiteral("balloon"), m_tray->balloons.back().text);
    // The walk saw the window's texts, not an empty window.
    EXPECT_GT(m_checked, 300);
    ExpectNothingBypassed();
}

TEST_F(PseudoLanguageTest, MessagesAndTheDownloadDialogComeThroughTheCatalogue)
{
    RunSheet([this] {
        // A rate of 0 typed for a currency is refused with a message.
        ForEachCategory([this](const QString& category) {
            if (!category.contains(QStringLiteral("Currency")))
                return;
            // A floating currency (a fixed one takes no typed rate), whatever sorts first.
            auto* source = m_sheet->findChild<QComboBox*>(QStringLiteral("sourceUnitList"));
            const int usd = source->findText(QStringLiteral("(USD)"), Qt::MatchEndsWith);
            ASSERT_GE(usd, 0);
            source->setCurrentIndex(usd);
            emit source->activated(usd);
            auto* rate = m_sheet->findChild<QLineEdit*>(QStringLiteral("sourceEdit"));
            rate->setFocus();
            QTest::keyClicks(rate, QStringLiteral("0"));
            m_sheet->findChild<QPushButton*>(QStringLiteral("rateButton"))->click();
        });
    });
    // A transfer that cannot start: the download dialog, then its message.
    {
        CDownloadDlg dialog;
        dialog.SetOperation(kelvara::LoadString(kelvara::IDS_RETRIEVING_UPDATE));
        CheckWindow(dialog, QStringLiteral("download"));
        dialog.SetUrl("file:///etc/passwd");
        EXPECT_EQ(dialog.exec(), 2);
    }
    ASSERT_EQ(m_presenter.messages.size(), 2u);
    for (const auto& message : m_presenter.messages) {
        const QString text = QString::fromStdString(message.text);
        Check(QStringLiteral("message"), text);
        // The box the program shows it in; its buttons are Qt's own, in Qt's translations.
        const auto box = kelvara::QtMessagePresenter::CreateBox(message.text, message.type, nullptr);
        Check(QStringLiteral("message box title"), box->windowTitle());
        Check(QStringLiteral("message box"), box->text());
    }
    ExpectNothingBypassed();
}

// The check itself: what counts as wrapped, and what is exempt as a value.
TEST(PseudoLanguageCheck, TellsWrappedTextsFromBareOnes)
{
    struct Case {
        const char* text;
        bool bare;
    };
    const Case cases[] = {
        {"⟦Source Value:⟧", false},
        {"⟦Kelvara⟧ [⟦Length⟧]", false},
        {"⟦⟦ECB reference⟧ rates of 2026-12-07: 2 stored⟧", false},
        {"(UTC+09:00) Asia/Tokyo (⟦Standard time⟧)", false},
        {"⟦The data could not be retrieved.⟧\n\n⟦Not a web address: x⟧ [0x800C000D]", false},
        {"⟦United States Dollars⟧ (USD)", false},
        {"1 € = 655.957", false},
        {"Source Value:", true},
        {"⟦Kelvara⟧ [Length]", true},
        {"(UTC+09:00) Asia/Tokyo (Standard time)", true},
        {"⟦Not a web address⟧ [0x800C000D] failed", true},
        {"⟧Cancel⟦", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasBareLetters(QString::fromUtf8(c.text)), c.bare) << c.text;
}

} // namespace
