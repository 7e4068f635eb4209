// Enter in the real window: the conversion page's default command, or the focused button, never the
// window's Close because some button once had the focus.
#include "page/conversionpage.h"
#include "platform/profilestore.h"
#include "shell/convertsheet.h"

#include "faketrayhost.h"
#include "sheetbuttons.h"
#include "support/recordingpresenter.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

class EnterKeyTest : public testing::Test {
protected:
    void SetUp() override
    {
        kelvara::SetProfile(&m_store);
        m_sheet = std::make_unique<CConvertSheet>(std::make_unique<kelvara::test::FakeTrayHost>());
        m_sheet->SetUpdateCheck([this](QWidget*) { ++m_updateChecks; });
        m_sheet->show();
        QApplication::setActiveWindow(m_sheet.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_sheet.get()));
        m_finished = std::make_unique<QSignalSpy>(m_sheet.get(), &QDialog::finished);
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        m_finished.reset();
        m_sheet.reset();
        kelvara::SetProfile(nullptr);
    }

    QLineEdit* Source() const { return m_sheet->findChild<QLineEdit*>("sourceEdit"); }
    QPushButton* Button(const char* name) const { return m_sheet->findChild<QPushButton*>(name); }
    static QWidget* Focus() { return QApplication::focusWidget(); }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Focus(), key, modifiers);
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

    // Tabs through the whole window once, back to where it started; the buttons that had the focus.
    std::set<QPushButton*> TabAround()
    {
        std::set<QPushButton*> visited;
        QWidget* start = Focus();
        for (int i = 0; i < 40; ++i) {
            Key(Qt::Key_Tab);
            if (auto* button = qobject_cast<QPushButton*>(Focus()))
                visited.insert(button);
            if (Focus() == start)
                break;
        }
        EXPECT_EQ(Focus(), start);
        return visited;
    }

    kelvara::MemoryProfileStore m_store;
    kelvara::test::RecordingPresenter m_presenter;
    std::unique_ptr<CConvertSheet> m_sheet;
    std::unique_ptr<QSignalSpy> m_finished;
    int m_updateChecks = 0;
};

TEST_F(EnterKeyTest, EnterInTheValueFieldCopiesAfterFocusVisitedEveryButton)
{
    ASSERT_NE(Source(), nullptr);
    Source()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(Focus(), "12");
    Key(Qt::Key_Return);
    EXPECT_TRUE(Clipboard().startsWith("12 ")) << Clipboard().toStdString();
    EXPECT_TRUE(Clipboard().contains(" = ")) << Clipboard().toStdString();

    // Every enabled button of the window, Close included, had the focus once; Copy is still the
    // default button, as the window shows it.
    EXPECT_TRUE(Button("copyButton")->isDefault());
    const std::set<QPushButton*> visited = TabAround();
    EXPECT_TRUE(visited.count(kelvara::test::RowButton(*m_sheet, QDialogButtonBox::AcceptRole)));
    EXPECT_TRUE(visited.count(Button("copyButton")));
    EXPECT_TRUE(visited.count(Button("clearButton")));
    EXPECT_TRUE(Button("copyButton")->isDefault());
    EXPECT_FALSE(kelvara::test::RowButton(*m_sheet, QDialogButtonBox::AcceptRole)->isDefault());

    // Back to the field by its label's shortcut (which selects its text), a new value, Enter:
    // copied, and the window stays.
    Key(Qt::Key_V, Qt::AltModifier);
    ASSERT_EQ(Focus(), Source());
    QTest::keyClicks(Focus(), "3");
    Key(Qt::Key_Enter);
    EXPECT_TRUE(Clipboard().startsWith("3 ")) << Clipboard().toStdString();
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_finished->count(), 0);

    // The same from a unit list, and with nothing to copy Enter does nothing at all.
    m_sheet->findChild<QComboBox*>("targetUnitList")->setFocus(Qt::TabFocusReason);
    QGuiApplication::clipboard()->clear();
    Key(Qt::Key_Return);
    EXPECT_TRUE(Clipboard().startsWith("3 ")) << Clipboard().toStdString();
    Source()->clear();
    Source()->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_finished->count(), 0);
}

TEST_F(EnterKeyTest, EnterOnAFocusedButtonPressesThatButton)
{
    Source()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(Focus(), "7");
    QGuiApplication::clipboard()->clear();

    // Clear, not Copy.
    Button("clearButton")->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_EQ(Source()->text(), "");
    EXPECT_EQ(Clipboard(), "");

    // Swap exchanges the units.
    auto* sourceUnits = m_sheet->findChild<QComboBox*>("sourceUnitList");
    auto* targetUnits = m_sheet->findChild<QComboBox*>("targetUnitList");
    targetUnits->setCurrentIndex(1);
    emit targetUnits->activated(1);
    const QString source = sourceUnits->currentText();
    const QString target = targetUnits->currentText();
    Button("swapButton")->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Enter);
    EXPECT_EQ(sourceUnits->currentText(), target);
    EXPECT_EQ(targetUnits->currentText(), source);

    // A button of another page.
    m_sheet->SetActivePage(CConvertSheet::OptionsPage);
    Button("checkForUpdates")->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_EQ(m_updateChecks, 1);
    EXPECT_EQ(m_finished->count(), 0);

    // Close itself, when it is the one with the focus (close-to-tray off: the run ends).
    kelvara::test::RowButton(*m_sheet, QDialogButtonBox::AcceptRole)->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    ASSERT_EQ(m_finished->count(), 1);
    EXPECT_EQ(m_finished->first().first().toInt(), CConvertSheet::ResultOk);
}

} // namespace
