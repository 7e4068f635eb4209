// Starts that must be seen on a real display: Xvfb with a notification area of the test's own.
#include "process.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using kelvara::test::Program;
using kelvara::test::XServer;

constexpr int kStartMs = 20000;

class OnADisplay : public testing::Test {
protected:
    void SetUp() override
    {
        if (!XServer::Available())
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(m_x.Start());
    }

    bool HasVisibleWindow() const
    {
        return !m_x.VisibleWindows(kelvara::test::kWindowTitlePattern).isEmpty();
    }
    bool WaitForVisibleWindow(int timeoutMs) const
    {
        return kelvara::test::WaitUntil([this] { return HasVisibleWindow(); }, timeoutMs);
    }

    XServer m_x;
};

TEST_F(OnADisplay, EveryFormOfTheHiddenSwitchStartsInTheTray)
{
    ASSERT_TRUE(m_x.StartTray());
    for (const char* form : {"/hidden", "-h", "/HID", "--hidden", "-"}) {
        SCOPED_TRACE(form);
        Program program({QString::fromLatin1(form)}, m_x.Environment());
        ASSERT_TRUE(program.WaitUntilListening(kStartMs)) << program.Output().constData();
        EXPECT_TRUE(m_x.WaitForDockedIcon(kStartMs));
        kelvara::test::WaitUntil([] { return false; }, 300);
        EXPECT_FALSE(HasVisibleWindow());
        EXPECT_EQ(program.Terminate(), 0);
    }
    Program visible({QStringLiteral("/hidden2")}, m_x.Environment());
    EXPECT_TRUE(WaitForVisibleWindow(kStartMs));
}

TEST_F(OnADisplay, AHiddenStartStaysHidden)
{
    ASSERT_TRUE(m_x.StartTray());
    Program program({QStringLiteral("/hidden")}, m_x.Environment());
    ASSERT_TRUE(program.WaitUntilListening(kStartMs));
    ASSERT_TRUE(m_x.WaitForDockedIcon(kStartMs));
    EXPECT_FALSE(WaitForVisibleWindow(3000));
    EXPECT_TRUE(program.IsRunning());
}

TEST_F(OnADisplay, StartingAgainShowsTheCopyInTheTray)
{
    ASSERT_TRUE(m_x.StartTray());
    kelvara::test::WriteSettings("[Options]\nCloseToSystray=1\n");
    Program first({QStringLiteral("/hidden")}, m_x.Environment());
    ASSERT_TRUE(first.WaitUntilListening(kStartMs));
    ASSERT_FALSE(HasVisibleWindow());

    Program second({}, m_x.Environment());
    ASSERT_TRUE(second.WaitForExit(kStartMs));
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(WaitForVisibleWindow(kStartMs));
    EXPECT_EQ(m_x.VisibleWindows(kelvara::test::kWindowTitlePattern).size(), 1);
}

TEST_F(OnADisplay, TheTrayIconsClicksAndMenu)
{
    ASSERT_TRUE(m_x.StartTray());
    Program program({QStringLiteral("/hidden")}, m_x.Environment());
    ASSERT_TRUE(program.WaitUntilListening(kStartMs));
    ASSERT_TRUE(m_x.WaitForDockedIcon(kStartMs));
    const QProcessEnvironment environment = m_x.Environment();
    const auto tool = [&](const QStringList& arguments) {
        int status = -1;
        kelvara::test::RunTool(QStringLiteral("xdotool"), arguments, environment, &status);
        EXPECT_EQ(status, 0) << arguments.join(QLatin1Char(' ')).toStdString();
    };
    const auto pause = [] { kelvara::test::WaitUntil([] { return false; }, 600); };
    // The fake tray docks the first icon at (0, 4), 22 pixels square.
    tool({QStringLiteral("mousemove"), QStringLiteral("11"), QStringLiteral("15")});

    // A double click shows the window and another hides it again.
    tool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
          QStringLiteral("80"), QStringLiteral("1")});
    EXPECT_TRUE(WaitForVisibleWindow(5000));
    pause();
    tool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
          QStringLiteral("80"), QStringLiteral("1")});
    EXPECT_TRUE(kelvara::test::WaitUntil([this] { return !HasVisibleWindow(); }, 5000));
    pause();

    // Hiding showed the balloon below the icon; the clicks on the icon while it showed were the
    // icon's. Clicking the balloon itself turns balloons off for good.
    const auto balloonsOff = [] {
        QFile settings(kelvara::test::SettingsFile());
        return settings.open(QIODevice::ReadOnly) && settings.readAll().contains("ShowBalloon=0");
    };
    EXPECT_FALSE(balloonsOff());
    ASSERT_FALSE(m_x.VisibleWindowGeometries(QStringLiteral("^Kelvara$")).isEmpty()) << "no balloon";
    const QRect balloon = m_x.VisibleWindowGeometries(QStringLiteral("^Kelvara$")).front();
    tool({QStringLiteral("mousemove"), QString::number(balloon.center().x()),
          QString::number(balloon.center().y()), QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(kelvara::test::WaitUntil(balloonsOff, 5000));
    tool({QStringLiteral("mousemove"), QStringLiteral("11"), QStringLiteral("15")});

    // A click opens the menu: "&Open" while hidden, then "&Exit" ends the program.
    tool({QStringLiteral("click"), QStringLiteral("1")});
    pause();
    tool({QStringLiteral("key"), QStringLiteral("o")});
    EXPECT_TRUE(WaitForVisibleWindow(5000));
    pause();
    tool({QStringLiteral("click"), QStringLiteral("3")});
    pause();
    tool({QStringLiteral("key"), QStringLiteral("e")});
    ASSERT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(program.ExitCode(), 0);
}

TEST_F(OnADisplay, ATrayThatGoesAwayBringsTheWindowBack)
{
    ASSERT_TRUE(m_x.StartTray());
    kelvara::test::WriteSettings("[Options]\nCloseToSystray=1\n");
    Program program({QStringLiteral("/hidden")}, m_x.Environment());
    ASSERT_TRUE(program.WaitUntilListening(kStartMs));
    ASSERT_TRUE(m_x.WaitForDockedIcon(kStartMs));
    const auto escape = [this] {
        const QStringList windows = m_x.VisibleWindows(kelvara::test::kWindowTitlePattern);
        ASSERT_FALSE(windows.isEmpty());
        int status = -1;
        kelvara::test::RunTool(QStringLiteral("xdotool"),
                               {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windows.front(),
                                QStringLiteral("key"), QStringLiteral("Escape")},
                               m_x.Environment(), &status);
        EXPECT_EQ(status, 0);
    };

    // The tray goes: the window comes back; a tray that returns gets the icon again, and Escape
    // hides the window in it once more.
    m_x.StopTray();
    EXPECT_TRUE(WaitForVisibleWindow(10000));
    ASSERT_TRUE(m_x.StartTray());
    ASSERT_TRUE(m_x.WaitForDockedIcon(kStartMs));
    kelvara::test::WaitUntil([] { return false; }, 3500); // the next look for a tray
    escape();
    EXPECT_TRUE(kelvara::test::WaitUntil([this] { return !HasVisibleWindow(); }, 5000));
    EXPECT_TRUE(program.IsRunning());

    // Gone again while shown: Escape ends the program, as on a desktop without a tray.
    m_x.StopTray();
    EXPECT_TRUE(WaitForVisibleWindow(10000));
    kelvara::test::WaitUntil([] { return false; }, 500);
    escape();
    EXPECT_TRUE(program.WaitForExit(10000));
}

TEST_F(OnADisplay, WithoutATrayAHiddenStartIsShown)
{
    Program program({QStringLiteral("/hidden")}, m_x.Environment());
    ASSERT_TRUE(program.WaitUntilListening(kStartMs));
    EXPECT_TRUE(WaitForVisibleWindow(kStartMs));
}

} // namespace
