#include "shell/optionspage.h"

#include "platform/autostart.h"
#include "platform/profilestore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class OptionsPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        kelvara::SetProfile(&m_store);
        QFile::remove(EntryPath());
    }
    void TearDown() override
    {
        kelvara::SetProfile(nullptr);
        QFile::remove(EntryPath());
    }

    static QString EntryPath() { return QString::fromStdString(kelvara::AutostartEntryPath()); }
    static QCheckBox* Box(COptionsPage& page, const char* name) { return page.findChild<QCheckBox*>(name); }

    static void WriteEntry(const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(EntryPath()).path());
        QFile file(EntryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    static QByteArray ReadEntry()
    {
        QFile file(EntryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    kelvara::MemoryProfileStore m_store;
};

TEST_F(OptionsPageTest, FirstStartShowsTheDefaultsAndWritesNothing)
{
    COptionsPage page;
    EXPECT_FALSE(page.IsCloseToTray());
    EXPECT_FALSE(page.IsAlwaysOnTop());
    EXPECT_TRUE(page.IsShowBalloon());
    EXPECT_FALSE(page.IsRunAtStartupChecked());
    EXPECT_FALSE(Box(page, "closeToTray")->isChecked());
    EXPECT_FALSE(Box(page, "alwaysOnTop")->isChecked());
    EXPECT_TRUE(Box(page, "showBalloon")->isChecked());
    EXPECT_TRUE(Box(page, "useRegionalSettings")->isChecked());
    EXPECT_FALSE(Box(page, "runAtStartup")->isChecked());
    EXPECT_FALSE(m_store.Contains("Options", "ShowBalloon"));
    // Rates are kept current unless the user says otherwise.
    EXPECT_TRUE(page.IsKeepRatesCurrent());
    EXPECT_TRUE(Box(page, "keepRatesCurrent")->isChecked());
    EXPECT_FALSE(m_store.Contains("Options", "UpdateRates"));
    EXPECT_EQ(page.findChild<QComboBox*>("significantDigits")->currentText(), "15")
        << "what a double holds faithfully";
}

TEST_F(OptionsPageTest, StoredValuesAreReadOnceAtConstruction)
{
    m_store.WriteProfileInt("Options", "CloseToSystray", 1);
    m_store.WriteProfileInt("Options", "AlwaysOnTop", 1);
    m_store.WriteProfileInt("Options", "ShowBalloon", 0);
    m_store.WriteProfileInt("Options", "UseRegionalSettings", 0);
    COptionsPage page;
    m_store.WriteProfileInt("Options", "CloseToSystray", 0);
    EXPECT_TRUE(page.IsCloseToTray());
    EXPECT_TRUE(page.IsAlwaysOnTop());
    EXPECT_FALSE(page.IsShowBalloon());
    EXPECT_TRUE(Box(page, "closeToTray")->isChecked());
    EXPECT_FALSE(Box(page, "useRegionalSettings")->isChecked());
}

TEST_F(OptionsPageTest, EveryClickIsStoredAtOnce)
{
    COptionsPage page;
    QSignalSpy topMost(&page, &COptionsPage::AlwaysOnTopChanged);
    QSignalSpy regional(&page, &COptionsPage::UseRegionalSettingsChanged);

    Box(page, "closeToTray")->click();
    EXPECT_EQ(m_store.GetProfileInt("Options", "CloseToSystray", -1), 1);
    EXPECT_TRUE(page.IsCloseToTray());

    Box(page, "alwaysOnTop")->click();
    EXPECT_EQ(m_store.GetProfileInt("Options", "AlwaysOnTop", -1), 1);
    ASSERT_EQ(topMost.count(), 1);
    EXPECT_TRUE(topMost[0][0].toBool());

    Box(page, "showBalloon")->click();
    EXPECT_EQ(m_store.GetProfileInt("Options", "ShowBalloon", -1), 0);
    EXPECT_FALSE(page.IsShowBalloon());

    Box(page, "useRegionalSettings")->click();
    EXPECT_EQ(m_store.GetProfileInt("Options", "UseRegionalSettings", -1), 0);
    ASSERT_EQ(regional.count(), 1);
    EXPECT_FALSE(regional[0][0].toBool());

    Box(page, "closeToTray")->click();
    EXPECT_EQ(m_store.GetProfileInt("Options", "CloseToSystray", -1), 0);

    Box(page, "keepRatesCurrent")->click();
    EXPECT_EQ(m_store.GetProfileInt("Options", "UpdateRates", -1), 0);
    EXPECT_FALSE(page.IsKeepRatesCurrent());
    EXPECT_FALSE(COptionsPage().IsKeepRatesCurrent()) << "read back at the next start";
    // The log-on entry is not an option of the store.
    Box(page, "runAtStartup")->click();
    EXPECT_FALSE(m_store.Contains("Options", "RunAtStartup"));
}

// A number the list does not offer (a settings file edited by hand) joins it in its place; one out
// of range is the default; a stored 0 is the user's choice of All.
TEST_F(OptionsPageTest, SignificantDigitsShowTheStoredChoice)
{
    for (const auto& [stored, list] :
         {std::pair{7, "All 15 12 10 8 [7] 6 4"}, std::pair{99, "All [15] 12 10 8 6 4"},
          std::pair{-1, "All [15] 12 10 8 6 4"}, std::pair{0, "[All] 15 12 10 8 6 4"}}) {
        m_store.WriteProfileInt("Options", "SignificantDigits", stored);
        COptionsPage page;
        const auto* digits = page.findChild<QComboBox*>("significantDigits");
        QStringList items;
        for (int i = 0; i < digits->count(); ++i)
            items << (i == digits->currentIndex() ? "[" + digits->itemText(i) + "]" : digits->itemText(i));
        EXPECT_EQ(items.join(' '), list);
    }
}

TEST_F(OptionsPageTest, AlwaysOnTopIsGreyedWithTheReasonWhereTheDesktopDecides)
{
    m_store.WriteProfileInt("Options", "AlwaysOnTop", 1);
    for (bool supported : {false, true}) {
        SCOPED_TRACE(supported ? "X11" : "Wayland");
        COptionsPage page(nullptr, COptionsPage::Controls::OnFirstShow);
        page.SetTopMostSupported(supported); // before the controls exist, as the sheet starts
        page.EnsureControls();
        QCheckBox* box = Box(page, "alwaysOnTop");
        EXPECT_EQ(box->isEnabled(), supported);
        EXPECT_TRUE(box->isChecked()); // the choice stays for the next X11 session
        EXPECT_EQ(box->toolTip().toStdString(),
                  supported ? "" : "On this desktop, the desktop decides which windows stay on top.");
    }
}

TEST_F(OptionsPageTest, ClickingTheBalloonStoresEvenBeforeTheTabWasOpened)
{
    COptionsPage page; // never shown
    page.SetShowBalloon(false);
    EXPECT_EQ(m_store.GetProfileInt("Options", "ShowBalloon", -1), 0);
    EXPECT_FALSE(Box(page, "showBalloon")->isChecked());
}

TEST_F(OptionsPageTest, UpdateButtonAsksForTheCheck)
{
    COptionsPage page;
    QSignalSpy spy(&page, &COptionsPage::CheckForUpdatesRequested);
    page.findChild<QPushButton*>("checkForUpdates")->click();
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(OptionsPageTest, RunAtStartupWritesAndDeletesTheAutostartEntry)
{
    COptionsPage page;
    Box(page, "runAtStartup")->click();
    const QByteArray entry = ReadEntry();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    const QByteArray exec = "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" /hidden\n";
    EXPECT_TRUE(entry.contains(exec)) << entry.constData();
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(COptionsPage::IsRunAtStartup());
    EXPECT_EQ(QFile(EntryPath()).permissions() & QFileDevice::WriteOther, 0);

    Box(page, "runAtStartup")->click();
    EXPECT_FALSE(QFile::exists(EntryPath()));
    EXPECT_FALSE(COptionsPage::IsRunAtStartup());
    COptionsPage::SetRunAtStartup(false); // nothing to delete: nothing happens
    EXPECT_FALSE(QFile::exists(EntryPath()));
}

TEST_F(OptionsPageTest, AnyCommandLineCountsAsRunningAtStartup)
{
    WriteEntry("[Desktop Entry]\nExec=\" \"  \"\n");
    EXPECT_FALSE(COptionsPage::IsRunAtStartup());
    WriteEntry("[Desktop Entry]\nExec=/usr/bin/other-program\n");
    EXPECT_TRUE(COptionsPage::IsRunAtStartup());
    COptionsPage page;
    EXPECT_TRUE(Box(page, "runAtStartup")->isChecked());
    // The desktop's own switch turns an entry off; an Exec line in another group does not count.
    WriteEntry("[Desktop Entry]\nExec=/usr/bin/kelvara\nHidden=true\n");
    EXPECT_FALSE(COptionsPage::IsRunAtStartup());
    WriteEntry("[Desktop Action x]\nExec=/usr/bin/kelvara\n");
    EXPECT_FALSE(COptionsPage::IsRunAtStartup());
}

TEST_F(OptionsPageTest, AnEntrySwitchedOffByTheDesktopShowsUnchecked)
{
    for (const QByteArray& off :
         {QByteArray("Hidden=true\n"), QByteArray("X-GNOME-Autostart-enabled=false\n")}) {
        SCOPED_TRACE(off.constData());
        WriteEntry("[Desktop Entry]\nExec=\"/usr/bin/kelvara\" /hidden\n" + off);
        COptionsPage page;
        EXPECT_FALSE(Box(page, "runAtStartup")->isChecked());
        // Checking the box starts the program again at log-on.
        Box(page, "runAtStartup")->click();
        EXPECT_TRUE(COptionsPage::IsRunAtStartup());
        EXPECT_FALSE(ReadEntry().contains(off)) << ReadEntry().constData();
    }
    WriteEntry("[Desktop Entry]\nExec=\"/usr/bin/kelvara\" /hidden\nX-GNOME-Autostart-enabled=true\n");
    COptionsPage page;
    EXPECT_TRUE(Box(page, "runAtStartup")->isChecked());
}

TEST_F(OptionsPageTest, OnlyASmallRegularFileIsReadAsTheEntry)
{
    const std::string path = EntryPath().toStdString();
    QDir().mkpath(QFileInfo(EntryPath()).path());
    std::string command;

    // A FIFO would block the window's start until someone writes to it.
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(kelvara::ReadAutostartCommand(command));
    ::unlink(path.c_str());

    // A device, reached through a link: never read.
    ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
    EXPECT_FALSE(kelvara::ReadAutostartCommand(command));
    ::unlink(path.c_str());

    // A huge file is no entry, whatever it starts with.
    WriteEntry("[Desktop Entry]\nExec=/usr/bin/kelvara\n" + QByteArray(1 << 20, '#'));
    EXPECT_FALSE(kelvara::ReadAutostartCommand(command));
    WriteEntry("[Desktop Entry]\nExec=/usr/bin/kelvara\n");
    EXPECT_TRUE(kelvara::ReadAutostartCommand(command));
    EXPECT_EQ(command, "/usr/bin/kelvara");
}

TEST(Autostart, ExecLineQuotesThePathByTheDesktopEntryRules)
{
    EXPECT_EQ(kelvara::AutostartExecValue("/opt/Kel vara/kelvara"), "\"/opt/Kel vara/kelvara\" /hidden");
    // Inside quotes " ` $ \ take a backslash, the file doubles backslashes, % becomes %%.
    EXPECT_EQ(kelvara::AutostartExecValue("/a\"b`c$d\\e%f"), "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f\" /hidden");
    EXPECT_EQ(kelvara::AutostartExecValue("/bad\npath"), "");
}

TEST(Autostart, EntryRoundTripsThroughTheDesktopsReading)
{
    ASSERT_TRUE(kelvara::WriteAutostartEntry("/home/u/my \"apps\"/kelvara"));
    std::string command;
    ASSERT_TRUE(kelvara::ReadAutostartCommand(command));
    EXPECT_EQ(command, "\"/home/u/my \\\"apps\\\"/kelvara\" /hidden");
    EXPECT_TRUE(kelvara::RemoveAutostartEntry());
    EXPECT_FALSE(kelvara::RemoveAutostartEntry());
    EXPECT_FALSE(kelvara::ReadAutostartCommand(command));
}

} // namespace
