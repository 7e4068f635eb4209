#include "shell/convertsheet.h"

#include "platform/profilestore.h"
#include "shell/instancechannel.h"
#include "shell/optionspage.h"
#include "shell/trayicon.h"

#include "faketrayhost.h"
#include "sheetbuttons.h"
#include "support/testenv.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using kelvara::test::FakeTrayHost;

constexpr int kNotEnded = 99;

class SheetTest : public testing::Test {
protected:
    void SetUp() override
    {
        kelvara::SetProfile(&m_store);
        // A tray that shows up late is found within moments, not seconds.
        SetOption("TrayRetryMs", 20);
    }
    void TearDown() override
    {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(m_doubleClick);
        kelvara::SetProfile(nullptr);
    }

    // Clicks within `ms` of each other are one double click; what a user sets in the desktop.
    static void SetDoubleClickInterval(int ms)
    {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(ms);
    }

    // Builds the sheet over a fake tray; options come from the store as it is now.
    void MakeSheet(bool trayAvailable = true)
    {
        auto host = std::make_unique<FakeTrayHost>();
        host->available = trayAvailable;
        m_tray = host.get();
        m_sheet = std::make_unique<CConvertSheet>(std::move(host));
        m_updateChecks = 0;
        m_sheet->SetUpdateCheck([this](QWidget* parent) {
            EXPECT_EQ(parent, m_sheet.get());
            ++m_updateChecks;
        });
    }

    // Runs the sheet modally; `during` runs inside the run. Returns the run's result, or kNotEnded
    // when `during` left it running.
    int Run(const std::function<void()>& during)
    {
        m_ended = false;
        const auto watch = QObject::connect(m_sheet.get(), &QDialog::finished, [this] { m_ended = true; });
        QTimer::singleShot(0, m_sheet.get(), [this, during] {
            // A shown window asks for the tray right after showing; the user comes later.
            EXPECT_TRUE(
                QTest::qWaitFor([this] { return m_tray->requests.contains(QStringLiteral("add")); }, 2000));
            during();
            QTimer::singleShot(0, m_sheet.get(), [this] {
                if (!m_ended)
                    m_sheet->EndModal(kNotEnded);
            });
        });
        const int result = m_sheet->DoModal();
        QObject::disconnect(watch);
        return result;
    }

    void SetOption(const char* name, int value) { m_store.WriteProfileInt("Options", name, value); }
    // The buttons of the sheet's button row and the menu of its tray icon, as the user finds them.
    QPushButton& OkButton() const
    {
        return *kelvara::test::RowButton(*m_sheet, QDialogButtonBox::AcceptRole);
    }
    QPushButton& CancelButton() const
    {
        return *kelvara::test::RowButton(*m_sheet, QDialogButtonBox::RejectRole);
    }
    QPushButton& ApplyButton() const
    {
        return *kelvara::test::RowButton(*m_sheet, QDialogButtonBox::ApplyRole);
    }
    QMenu& TrayMenu() const { return *m_tray->menu; }
    QCheckBox* Box(const char* name) const { return m_sheet->GetOptionsPage().findChild<QCheckBox*>(name); }

    QAction* TrayAction(int command) const
    {
        for (QAction* action : TrayMenu().findChildren<QAction*>())
            if (action->data().toInt() == command)
                return action;
        return nullptr;
    }

    kelvara::MemoryProfileStore m_store;
    FakeTrayHost* m_tray = nullptr;
    std::unique_ptr<CConvertSheet> m_sheet;
    bool m_ended = false;
    int m_updateChecks = 0;
    int m_ratesUpdates = 0;
    const int m_doubleClick = QGuiApplication::styleHints()->mouseDoubleClickInterval();
};

TEST_F(SheetTest, TabsButtonsAndCaption)
{
    MakeSheet();
    // The conversion page adds the category's name once it shows one.
    EXPECT_TRUE(m_sheet->windowTitle().startsWith(QStringLiteral("Kelvara")))
        << m_sheet->windowTitle().toStdString();
    auto* tabs = m_sheet->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Conversion"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Options"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("About..."));
    EXPECT_EQ(m_sheet->GetActivePage(), CConvertSheet::ConversionPage);
    EXPECT_TRUE(m_sheet->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

    // OK is the default button where the page has none of its own (the conversion page has Copy).
    EXPECT_FALSE(OkButton().isDefault());
    m_sheet->SetActivePage(CConvertSheet::OptionsPage);
    EXPECT_TRUE(OkButton().isDefault());
    m_sheet->SetActivePage(CConvertSheet::ConversionPage);
    EXPECT_FALSE(ApplyButton().isEnabled());
    m_sheet->CancelToClose();
    EXPECT_EQ(OkButton().text(), QStringLiteral("Close"));
    EXPECT_FALSE(CancelButton().isEnabled());
}

TEST_F(SheetTest, WithCloseToTrayOffCloseOkAndEscapeEndTheProgram)
{
    MakeSheet();
    EXPECT_EQ(Run([this] { m_sheet->close(); }), CConvertSheet::ResultCancel);
    MakeSheet();
    EXPECT_EQ(Run([this] { OkButton().click(); }), CConvertSheet::ResultOk);
    MakeSheet();
    EXPECT_EQ(Run([this] { QTest::keyClick(Box("alwaysOnTop"), Qt::Key_Escape); }), CConvertSheet::ResultOk);
    MakeSheet();
    EXPECT_EQ(Run([this] { QTest::keyClick(m_sheet->findChild<QTabBar*>(), Qt::Key_Escape); }),
              CConvertSheet::ResultOk);
    MakeSheet();
    EXPECT_EQ(Run([this] { m_sheet->reject(); }), CConvertSheet::ResultCancel); // Cancel, while it is enabled
    EXPECT_TRUE(m_tray->balloons.empty());
}

TEST_F(SheetTest, WithCloseToTrayOnCloseOkAndEscapeHideAndShowTheBalloonEachTime)
{
    SetOption("CloseToSystray", 1);
    MakeSheet();
    const int result = Run([this] {
        ASSERT_TRUE(m_sheet->isVisible());
        m_sheet->close();
        EXPECT_FALSE(m_sheet->isVisible());
        EXPECT_EQ(TrayAction(CConvertSheet::ID_TRAY_OPEN)->text(), QStringLiteral("&Open"));
        m_sheet->SetVisible(true);
        OkButton().click();
        EXPECT_FALSE(m_sheet->isVisible());
        m_sheet->SetVisible(true);
        QTest::keyClick(Box("closeToTray"), Qt::Key_Escape);
        EXPECT_FALSE(m_sheet->isVisible());
    });
    EXPECT_EQ(result, kNotEnded);
    ASSERT_EQ(m_tray->balloons.size(), 3u);
    EXPECT_EQ(m_tray->balloons[2].title, QStringLiteral("Kelvara"));
    EXPECT_TRUE(m_tray->balloons[2].text.startsWith(QStringLiteral("The program is still running.")));
    EXPECT_EQ(m_tray->balloons[2].timeout, 30);
}

TEST_F(SheetTest, TheBalloonTellsWhatTheClicksOfItsKindOfTrayDo)
{
    struct Case {
        bool statusNotifier;
        const char* says;
        const char* neverSays;
    };
    for (const Case& c : {Case{false, "Double-click the icon", "Click its icon to reopen"},
                          Case{true, "Click its icon to reopen", "Double-click"}}) {
        SCOPED_TRACE(c.statusNotifier ? "StatusNotifier" : "XEmbed");
        SetOption("CloseToSystray", 1);
        MakeSheet();
        m_tray->statusNotifier = c.statusNotifier;
        EXPECT_EQ(Run([this] { m_sheet->close(); }), kNotEnded);
        ASSERT_EQ(m_tray->balloons.size(), 1u);
        EXPECT_TRUE(m_tray->balloons[0].text.contains(QLatin1String(c.says)))
            << m_tray->balloons[0].text.toStdString();
        EXPECT_FALSE(m_tray->balloons[0].text.contains(QLatin1String(c.neverSays)));
    }
}

// Under Wayland an open list closes on the shortcut check of Escape, before the press, and the press
// then reaches the window's focused control: still the list's Escape, never the window's.
TEST_F(SheetTest, EscapeThatAnOpenListTookNeverReachesTheWindow)
{
    struct Case {
        const char* name;
        bool pressAfterClose; // Wayland's order
    };
    for (const Case& c : {Case{"X11", false}, Case{"Wayland", true}}) {
        SCOPED_TRACE(c.name);
        MakeSheet();
        const int result = Run([this, &c] {
            auto* list = m_sheet->findChild<QComboBox*>(QStringLiteral("categoryList"));
            ASSERT_NE(list, nullptr);
            list->showPopup();
            ASSERT_TRUE(QTest::qWaitFor([list] { return list->view()->isVisible(); }, 2000));
            const auto send = [](QObject* to, QEvent::Type type, quint64 stamp) {
                QKeyEvent key(type, Qt::Key_Escape, Qt::NoModifier);
                key.setTimestamp(stamp);
                QApplication::sendEvent(to, &key);
            };
            send(list->view(), QEvent::ShortcutOverride, 1000);
            list->hidePopup();
            send(c.pressAfterClose ? static_cast<QObject*>(list) : list->view(), QEvent::KeyPress, 1000);
            EXPECT_TRUE(m_sheet->isVisible());
            send(list, QEvent::KeyRelease, 1000);
            // The next Escape is the window's again.
            send(list, QEvent::ShortcutOverride, 2000);
            send(list, QEvent::KeyPress, 2000);
        });
        EXPECT_EQ(result, CConvertSheet::ResultOk);
    }
}

TEST_F(SheetTest, TheShownPagesFirstControlHasTheKeyboardEachTimeTheWindowShows)
{
    SetOption("CloseToSystray", 1);
    MakeSheet();
    EXPECT_EQ(Run([this] {
                  const auto focused = [this] {
                      QWidget* focus = m_sheet->focusWidget();
                      return focus ? focus->objectName().toStdString() : std::string("(none)");
                  };
                  EXPECT_EQ(focused(), "sourceEdit") << "a first start: what is typed is a value";
                  // Back from the tray, wherever the keyboard was when it hid.
                  struct Case {
                      int command;
                      const char* first;
                  };
                  for (const Case& c : {Case{CConvertSheet::ID_TRAY_OPEN, "categoryList"},
                                        Case{CConvertSheet::ID_TRAY_OPTIONS, "runAtStartup"},
                                        Case{CConvertSheet::ID_TRAY_OPEN, "categoryList"}}) {
                      m_sheet->findChild<QLineEdit*>(QStringLiteral("sourceEdit"))->setFocus();
                      m_sheet->close();
                      ASSERT_FALSE(m_sheet->isVisible());
                      m_sheet->OnCommand(c.command);
                      ASSERT_TRUE(m_sheet->isVisible());
                      EXPECT_EQ(focused(), c.first);
                  }
              }),
              kNotEnded);
}

TEST_F(SheetTest, NoBalloonWhenBalloonsAreOff)
{
    SetOption("CloseToSystray", 1);
    SetOption("ShowBalloon", 0);
    MakeSheet();
    EXPECT_EQ(Run([this] { m_sheet->close(); }), kNotEnded);
    EXPECT_TRUE(m_tray->balloons.empty());
}

TEST_F(SheetTest, TheOptionAppliesAtTheNextCloseRequest)
{
    MakeSheet();
    EXPECT_EQ(Run([this] {
                  Box("closeToTray")->click();
                  m_sheet->close();
                  EXPECT_FALSE(m_sheet->isVisible());
              }),
              kNotEnded);
}

TEST_F(SheetTest, EscapeInAnotherWindowIsNotTheSheets)
{
    MakeSheet();
    QWidget other;
    other.show();
    EXPECT_EQ(Run([&] { QTest::keyClick(&other, Qt::Key_Escape); }), kNotEnded);
}

TEST_F(SheetTest, HiddenStartStaysHiddenWhateverShowsIt)
{
    SetOption("CloseToSystray", 1);
    MakeSheet();
    m_sheet->SetStartVisible(false);
    EXPECT_EQ(Run([this] {
                  EXPECT_FALSE(m_sheet->isVisible());
                  m_sheet->show();
                  m_sheet->setVisible(true);
                  EXPECT_FALSE(m_sheet->isVisible());
                  EXPECT_TRUE(m_tray->shown);
              }),
              kNotEnded);
    // A hidden start is a hide like any other: the balloon says where the program went.
    EXPECT_EQ(m_tray->balloons.size(), 1u);
}

TEST_F(SheetTest, WithoutATrayTheWindowCannotBeLost)
{
    SetOption("CloseToSystray", 1);
    MakeSheet(false);
    m_sheet->SetStartVisible(false);
    EXPECT_EQ(Run([this] {
                  EXPECT_TRUE(m_sheet->isVisible());
                  EXPECT_FALSE(m_sheet->CanHide());
                  m_sheet->close();
              }),
              CConvertSheet::ResultCancel);
}

TEST_F(SheetTest, FollowsATrayThatAppearsLater)
{
    SetOption("CloseToSystray", 1);
    MakeSheet(false);
    EXPECT_EQ(Run([this] {
                  m_tray->available = true;
                  EXPECT_TRUE(QTest::qWaitFor([this] { return m_sheet->CanHide(); }, 10000));
                  EXPECT_EQ(m_tray->lastTooltip, QStringLiteral("Kelvara"));
                  // Found: no more looking.
                  EXPECT_FALSE(m_sheet->findChild<QTimer*>(QStringLiteral("trayLookup"))->isActive());
                  m_sheet->close();
                  EXPECT_FALSE(m_sheet->isVisible());
              }),
              kNotEnded);
}

TEST_F(SheetTest, TrayMenuEntries)
{
    MakeSheet();
    QStringList texts;
    for (QAction* action : TrayMenu().actions())
        texts << (action->isSeparator() ? QString() : action->text());
    EXPECT_EQ(texts, QStringList({"&Close", "&Character Map", "", "Optio&ns", "", "&Help", "&Exit"}));
    QMenu* help = TrayMenu().actions()[5]->menu();
    ASSERT_NE(help, nullptr);
    QStringList helpTexts;
    for (QAction* action : help->actions())
        helpTexts << (action->isSeparator() ? QString() : action->text());
    EXPECT_EQ(helpTexts, QStringList({"&About...", "", "&Check for Updates", "Update Currency &Rates"}));
}

TEST_F(SheetTest, FirstEntryTogglesAndIsTheDefault)
{
    MakeSheet();
    EXPECT_EQ(Run([this] {
                  m_sheet->SetActivePage(CConvertSheet::OptionsPage);
                  m_sheet->UpdateTrayMenu();
                  QAction* open = TrayAction(CConvertSheet::ID_TRAY_OPEN);
                  EXPECT_EQ(open->text(), QStringLiteral("&Close"));
                  EXPECT_EQ(TrayMenu().defaultAction(), open);
                  open->trigger();
                  EXPECT_FALSE(m_sheet->isVisible());
                  EXPECT_EQ(m_sheet->GetActivePage(), CConvertSheet::ConversionPage);
                  m_sheet->UpdateTrayMenu();
                  EXPECT_EQ(open->text(), QStringLiteral("&Open"));
                  open->trigger();
                  EXPECT_TRUE(m_sheet->isVisible());
              }),
              kNotEnded);
}

TEST_F(SheetTest, OptionsAboutAndUpdateEntries)
{
    MakeSheet();
    EXPECT_EQ(Run([this] {
                  TrayAction(CConvertSheet::ID_TRAY_OPTIONS)->trigger();
                  EXPECT_EQ(m_sheet->GetActivePage(), CConvertSheet::OptionsPage);
                  EXPECT_TRUE(m_sheet->isVisible());
                  m_sheet->SetVisible(false);
                  TrayAction(CConvertSheet::ID_HELP_ABOUT)->trigger();
                  EXPECT_EQ(m_sheet->GetActivePage(), CConvertSheet::AboutPage);
                  EXPECT_TRUE(m_sheet->isVisible());
                  TrayAction(CConvertSheet::ID_HELP_CHECKUPDATES)->trigger();
                  m_sheet->GetOptionsPage().findChild<QPushButton*>("checkForUpdates")->click();
                  m_sheet->SetRatesUpdate([this](CConvertSheet& sheet) {
                      EXPECT_EQ(&sheet, m_sheet.get());
                      ++m_ratesUpdates;
                  });
                  TrayAction(CConvertSheet::ID_HELP_UPDATERATES)->trigger();
              }),
              kNotEnded);
    EXPECT_EQ(m_updateChecks, 2);
    EXPECT_EQ(m_ratesUpdates, 1);
    MakeSheet();
    EXPECT_EQ(Run([this] { TrayAction(CConvertSheet::ID_TRAY_EXIT)->trigger(); }), CConvertSheet::ResultExit);
}

TEST_F(SheetTest, CharacterMapIsGreyedWithoutATool)
{
    const QByteArray savedPath = qgetenv("PATH");
    const QString bin = QString::fromStdString(kelvara::test::TestRoot()) + QStringLiteral("/bin");
    QDir().mkpath(bin);
    qputenv("PATH", bin.toLocal8Bit());
    MakeSheet();
    m_sheet->UpdateTrayMenu();
    EXPECT_FALSE(TrayAction(CConvertSheet::ID_TRAY_CHARMAP)->isEnabled());

    QFile tool(bin + QStringLiteral("/gucharmap"));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\n");
    tool.close();
    tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_sheet->UpdateTrayMenu();
    EXPECT_TRUE(TrayAction(CConvertSheet::ID_TRAY_CHARMAP)->isEnabled());
    EXPECT_EQ(CConvertSheet::FindCharacterMapTool(), tool.fileName());
    qputenv("PATH", savedPath);
}

TEST_F(SheetTest, TrayIconEvents)
{
    MakeSheet();
    // Short, so that a menu wrongly due would show soon; the events of one double click come at once.
    const int interval = 25;
    SetDoubleClickInterval(interval);
    QMenu& menu = TrayMenu();
    EXPECT_EQ(Run([&] {
                  // A double click, as the tray reports it (press, press, double click): toggles
                  // the window and never shows the menu, even after the interval.
                  for (bool shown : {false, true}) {
                      m_tray->Raise(kelvara::TrayEvent::LeftButtonDown);
                      m_tray->Raise(kelvara::TrayEvent::LeftButtonDown);
                      m_tray->Raise(kelvara::TrayEvent::LeftDoubleClick);
                      EXPECT_EQ(m_sheet->isVisible(), shown);
                      EXPECT_FALSE(QTest::qWaitFor([&] { return menu.isVisible(); }, 4 * interval));
                  }
                  m_sheet->OnTrayNotify(5, kelvara::TrayEvent::LeftDoubleClick); // not our icon
                  EXPECT_TRUE(m_sheet->isVisible());

                  // A single click opens the menu once no second click can follow.
                  m_tray->Raise(kelvara::TrayEvent::LeftButtonDown);
                  EXPECT_FALSE(menu.isVisible());
                  EXPECT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }, interval + 1000));
                  menu.hide();
                  m_tray->Raise(kelvara::TrayEvent::RightButtonDown);
                  EXPECT_TRUE(menu.isVisible());
                  menu.hide();
                  m_tray->Raise(kelvara::TrayEvent::MiddleButtonDown);
                  EXPECT_FALSE(menu.isVisible());
                  EXPECT_TRUE(m_sheet->isVisible());
              }),
              kNotEnded);
}

TEST_F(SheetTest, AMenuJustOpenedIgnoresClicks)
{
    MakeSheet();
    QMenu& menu = TrayMenu();
    EXPECT_EQ(Run([&] {
                  // However slow the machine, this click comes within the interval...
                  SetDoubleClickInterval(60000);
                  m_tray->Raise(kelvara::TrayEvent::RightButtonDown);
                  ASSERT_TRUE(menu.isVisible());
                  QAction* exit = TrayAction(CConvertSheet::ID_TRAY_EXIT);
                  const QPoint onExit = menu.actionGeometry(exit).center();
                  QTest::mouseClick(&menu, Qt::LeftButton, {}, onExit);
                  EXPECT_FALSE(m_ended);
                  EXPECT_TRUE(menu.isVisible());
                  // ... and this one after it.
                  SetDoubleClickInterval(0);
                  QTest::mouseMove(&menu, onExit);
                  QTest::mouseClick(&menu, Qt::LeftButton, {}, onExit);
              }),
              CConvertSheet::ResultExit);
}

TEST_F(SheetTest, StatusNotifierActivationsToggleAndADoubleClickCountsOnce)
{
    MakeSheet();
    EXPECT_EQ(Run([&] {
                  // The first two come within the interval however slow the machine, the third after it.
                  SetDoubleClickInterval(60000);
                  m_tray->Raise(kelvara::TrayEvent::Activated);
                  EXPECT_FALSE(m_sheet->isVisible());
                  m_tray->Raise(kelvara::TrayEvent::Activated);
                  EXPECT_FALSE(m_sheet->isVisible());
                  EXPECT_FALSE(TrayMenu().isVisible());
                  SetDoubleClickInterval(0);
                  m_tray->Raise(kelvara::TrayEvent::Activated);
                  EXPECT_TRUE(m_sheet->isVisible());
                  EXPECT_EQ(TrayAction(CConvertSheet::ID_TRAY_OPEN)->text(), QStringLiteral("&Close"));
              }),
              kNotEnded);
}

TEST_F(SheetTest, ATrayThatGoesAwayLeavesTheWindowShownAndIsPickedUpAgain)
{
    SetOption("CloseToSystray", 1);
    MakeSheet();
    m_sheet->SetStartVisible(false);
    EXPECT_EQ(Run([this] {
                  ASSERT_FALSE(m_sheet->isVisible());
                  m_tray->Lose();
                  EXPECT_TRUE(m_sheet->isVisible());
                  EXPECT_FALSE(m_sheet->HidesOnClose());
                  m_tray->available = true;
                  EXPECT_TRUE(QTest::qWaitFor([this] { return m_sheet->CanHide(); }, 10000));
                  EXPECT_EQ(m_tray->requests.count(QStringLiteral("add")), 1); // came back by modify
                  EXPECT_FALSE(m_sheet->findChild<QTimer*>(QStringLiteral("trayLookup"))->isActive());
                  m_sheet->close();
                  EXPECT_FALSE(m_sheet->isVisible());
                  m_tray->Lose();
                  m_sheet->close();
              }),
              CConvertSheet::ResultCancel);
}

TEST_F(SheetTest, ClickingTheBalloonTurnsBalloonsOffForGood)
{
    MakeSheet();
    m_tray->Raise(kelvara::TrayEvent::BalloonClicked);
    EXPECT_FALSE(m_sheet->GetOptionsPage().IsShowBalloon());
    EXPECT_FALSE(Box("showBalloon")->isChecked());
    EXPECT_EQ(m_store.GetProfileInt("Options", "ShowBalloon", -1), 0);
}

TEST_F(SheetTest, ANewCopyIsAnsweredOnlyWithCloseToTrayOn)
{
    MakeSheet();
    m_sheet->SetStartVisible(false);
    EXPECT_EQ(Run([this] {
                  EXPECT_EQ(m_sheet->OnIdentification(), 0u);
                  EXPECT_FALSE(m_sheet->isVisible());
                  Box("closeToTray")->click();
                  EXPECT_EQ(m_sheet->OnIdentification(), kelvara::kInstanceTag);
                  EXPECT_TRUE(m_sheet->isVisible());
              }),
              kNotEnded);
}

TEST_F(SheetTest, AlwaysOnTopAtStartAndAtOnce)
{
    SetOption("AlwaysOnTop", 1);
    MakeSheet();
    EXPECT_EQ(Run([this] {
                  EXPECT_TRUE(m_sheet->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
                  Box("alwaysOnTop")->click();
                  EXPECT_FALSE(m_sheet->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
                  EXPECT_TRUE(m_sheet->isVisible()); // changing the flag did not hide the window
              }),
              kNotEnded);
}

// The Options and About tabs build their controls when they first show: the window must not
// change size then, and Tab must walk their controls in the place the tab holds, between the tab
// bar and the buttons.
TEST_F(SheetTest, TheTabsBuiltOnFirstShowKeepTheWindowAndTheTabOrder)
{
    SetOption("ShowBalloon", 0);
    MakeSheet();
    EXPECT_EQ(m_sheet->findChild<QCheckBox*>("showBalloon"), nullptr) << "built before it was needed";
    EXPECT_EQ(m_sheet->findChild<QWidget*>("linkHome"), nullptr) << "built before it was needed";
    m_sheet->show();
    QCoreApplication::processEvents();
    const QSize size = m_sheet->size();

    // What Tab walks through on the shown tab, in order, from the tab bar on.
    const auto tabOrder = [this] {
        QList<QWidget*> order;
        for (QWidget* w = m_sheet->nextInFocusChain(); w != m_sheet.get(); w = w->nextInFocusChain())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                order << w;
        const auto bar =
            std::find_if(order.begin(), order.end(), [](QWidget* w) { return qobject_cast<QTabBar*>(w); });
        QStringList names;
        for (auto w = bar == order.end() ? bar : bar + 1; w != order.end(); ++w)
            names << (*w == &OkButton() ? QStringLiteral("OK") : (*w)->objectName());
        return names;
    };

    const QStringList conversion = tabOrder();
    ASSERT_FALSE(conversion.isEmpty());
    EXPECT_EQ(conversion.front(), "categoryList");
    EXPECT_EQ(conversion.mid(conversion.indexOf("swapButton") + 1, 1), QStringList{"OK"});

    m_sheet->SetActivePage(CConvertSheet::OptionsPage);
    QCoreApplication::processEvents();
    auto* balloon = m_sheet->findChild<QCheckBox*>("showBalloon");
    ASSERT_NE(balloon, nullptr);
    EXPECT_FALSE(balloon->isChecked()) << "the boxes show the options as stored";
    EXPECT_EQ(m_sheet->size(), size);
    EXPECT_EQ(tabOrder().mid(0, 9).join(' ').toStdString(),
              "runAtStartup alwaysOnTop showBalloon closeToTray useRegionalSettings significantDigits "
              "keepRatesCurrent checkForUpdates OK");

    m_sheet->SetActivePage(CConvertSheet::AboutPage);
    QCoreApplication::processEvents();
    ASSERT_NE(m_sheet->findChild<QWidget*>("linkHome"), nullptr);
    EXPECT_EQ(m_sheet->size(), size);
    EXPECT_EQ(tabOrder().mid(0, 3).join(' ').toStdString(), "linkHome linkService OK");
    m_sheet->hide();
}

TEST_F(SheetTest, RegionalToggleReachesThePage)
{
    MakeSheet();
    QSignalSpy spy(m_sheet.get(), &CConvertSheet::UseRegionalSettingsChanged);
    Box("useRegionalSettings")->click();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy[0][0].toBool());
    EXPECT_FALSE(m_sheet->IsUseRegionalSettings());
}

} // namespace
