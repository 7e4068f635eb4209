// The real program on a real Wayland compositor: sway without a screen, waybar's tray, wtype's keys
// and swaymsg's view of the windows. Every test skips, saying why, where the compositor cannot start.
#include "process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kelvara::test::Program;
using kelvara::test::WaitUntil;
using kelvara::test::WaylandSession;

constexpr int kStartMs = 20000;

// wtype's arguments, written as words: "-M alt -k a -m alt" holds Alt while it presses A.
QStringList Keys(const char* words)
{
    return QString::fromLatin1(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

class Wayland : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString missing = WaylandSession::Missing(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString()
                         << " is not installed (Debian packages sway, wtype, dbus, util-linux)";
        QString why;
        if (!m_session.Start(&why))
            GTEST_SKIP() << "no Wayland compositor here: " << why.toStdString();
    }

    void WriteSettings(const QByteArray& ini) const
    {
        // Written through the session's user, so that the program may replace the file.
        m_session.Run(QStringLiteral("mkdir"),
                      {QStringLiteral("-p"), m_session.SettingsFile().section(QLatin1Char('/'), 0, -2)});
        m_session.Run(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("printf '%s' \"$0\" > \"$1\""),
                       QString::fromUtf8(ini), m_session.SettingsFile()});
    }
    QByteArray Settings() const
    {
        QFile file(m_session.SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts the program and waits until its window is shown and has the keyboard.
    void StartShown(const QStringList& arguments = {})
    {
        m_program = m_session.StartProgram(arguments, m_session.Environment());
        ASSERT_TRUE(WaitUntil(
            [&] {
                return m_session.FocusedTitle().contains(
                           QRegularExpression(kelvara::test::kWindowTitlePattern)) ||
                       !m_program->IsRunning();
            },
            kStartMs))
            << "no window: " << m_program->Output().constData()
            << m_session.Run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")})
                   .toStdString();
        ASSERT_TRUE(m_program->IsRunning()) << m_program->Output().constData();
    }
    bool WaitForTitle(const QString& title) const
    {
        return WaitUntil([&] { return m_session.WindowTitles().contains(title); }, 5000);
    }

    WaylandSession m_session;
    std::unique_ptr<Program> m_program;
};

// Qt's Wayland support closes an open list on the shortcut check of Escape and hands the press to
// the window: the list's Escape must not end the program. Alt+A Down afterwards shows the list
// closed (it picks the next category) and the program alive; a second Escape is the window's again.
TEST_F(Wayland, EscapeInAnOpenListClosesOnlyTheList)
{
    struct Case {
        const char* list;
        const char* open;
    };
    for (const Case& c :
         {Case{"category list", "-M alt -k a -m alt -k F4"}, Case{"unit list", "-M alt -k n -m alt -k F4"},
          Case{"unit list, filtered", "-M alt -k i -m alt -k F4 -s 300 me"},
          Case{"menu of the value field", "-M alt -k v -m alt -k Menu"}}) {
        SCOPED_TRACE(c.list);
        ASSERT_NO_FATAL_FAILURE(StartShown());
        const QString before = m_session.FocusedTitle();
        ASSERT_TRUE(
            m_session.Type(Keys(c.open) + Keys("-s 400 -k Escape -s 300 -M alt -k a -m alt -k Down")));
        EXPECT_TRUE(WaitUntil(
            [&] {
                const QString now = m_session.FocusedTitle();
                return now != before && now.startsWith(QStringLiteral("Kelvara ["));
            },
            5000))
            << m_session.WindowTitles().join(QLatin1Char(',')).toStdString()
            << m_program->Output().constData();
        ASSERT_TRUE(m_program->IsRunning());
        ASSERT_TRUE(m_session.Type(Keys("-k Escape")));
        EXPECT_TRUE(m_program->WaitForExit(10000));
        m_program.reset();
    }
}

TEST_F(Wayland, TypingAtOnceAfterALaterStartGoesToTheFirstControl)
{
    // Not a first start (that one gives the keys to the value field): Length was used before.
    QDir().mkpath(QFileInfo(m_session.SettingsFile()).path());
    QFile settings(m_session.SettingsFile());
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Settings]\nCategory=1\nCategoryOrder=1\n");
    settings.close();
    ASSERT_NO_FATAL_FAILURE(StartShown());
    // The category list, first of the page: typing picks a category by its name.
    ASSERT_TRUE(m_session.Type(Keys("te")));
    EXPECT_TRUE(WaitForTitle(QStringLiteral("Kelvara [Temperature]")))
        << m_session.WindowTitles().join(QLatin1Char(',')).toStdString();
}

TEST_F(Wayland, AlwaysOnTopCannotBeTickedWhereTheCompositorDecides)
{
    ASSERT_NO_FATAL_FAILURE(StartShown());
    // The category list, then Shift+Tab to the tabs and Right: the Options tab. Alt+T would tick "Always on
    // &top", Alt+S then unticks "&Show balloon tooltips", which shows that both keys arrived.
    ASSERT_TRUE(m_session.Type(
        Keys("-M alt -k a -m alt -M shift -k Tab -m shift -k Right -s 300 -M alt -k t -k s -m alt")));
    EXPECT_TRUE(WaitUntil([&] { return Settings().contains("ShowBalloon=0"); }, 5000))
        << Settings().constData();
    EXPECT_FALSE(Settings().contains("AlwaysOnTop=1"));
}

// The usual log-in starts the program beside the panel: the panel after the window showed, or at
// the same moment. Either way the icon is registered once the panel's tray is there.
TEST_F(Wayland, TheTrayIconAppearsWhenThePanelComesAfterTheWindow)
{
    if (QStandardPaths::findExecutable(QStringLiteral("waybar")).isEmpty())
        GTEST_SKIP() << "waybar is not installed";
    ASSERT_NO_FATAL_FAILURE(StartShown({QStringLiteral("/hidden")}));
    ASSERT_TRUE(m_session.StartPanel());
    EXPECT_TRUE(WaitUntil([&] { return m_session.RegisteredItems().contains(QStringLiteral("string \"")); },
                          kStartMs))
        << m_session.RegisteredItems().toStdString() << m_program->Output().constData();
    EXPECT_TRUE(m_program->IsRunning());
}

TEST_F(Wayland, TheTrayIconAppearsWhenThePanelStartsAtTheSameMoment)
{
    if (QStandardPaths::findExecutable(QStringLiteral("waybar")).isEmpty())
        GTEST_SKIP() << "waybar is not installed";
    ASSERT_TRUE(m_session.StartPanel());
    m_program = m_session.StartProgram({QStringLiteral("/hidden")}, m_session.Environment());
    EXPECT_TRUE(WaitUntil([&] { return m_session.RegisteredItems().contains(QStringLiteral("string \"")); },
                          kStartMs))
        << m_session.RegisteredItems().toStdString() << m_program->Output().constData();
    EXPECT_TRUE(m_program->IsRunning());
}

// A second start while the window is open on another workspace: the new copy's activation token
// (its launcher's) reaches the running copy, and sway, told to focus on activation, brings the
// window forward.
TEST_F(Wayland, ASecondStartBringsTheWindowForward)
{
    WriteSettings("[Options]\nCloseToSystray=1\n");
    ASSERT_NO_FATAL_FAILURE(StartShown());
    const QString title = m_session.FocusedTitle();
    m_session.Run(QStringLiteral("swaymsg"), {QStringLiteral("workspace"), QStringLiteral("2")});
    ASSERT_TRUE(WaitUntil([&] { return m_session.FocusedTitle().isEmpty(); }, 5000));
    const QString token = m_session.ActivationToken();
    if (token.isEmpty())
        GTEST_SKIP() << "no activation token from the compositor";

    QProcessEnvironment environment = m_session.Environment();
    environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), token);
    const std::unique_ptr<Program> second = m_session.StartProgram({}, environment);
    ASSERT_TRUE(second->WaitForExit(kStartMs));
    EXPECT_EQ(second->ExitCode(), 0) << second->Output().constData();
    EXPECT_TRUE(WaitUntil([&] { return m_session.FocusedTitle() == title; }, 5000))
        << "focused: " << m_session.FocusedTitle().toStdString();
    EXPECT_TRUE(m_program->IsRunning());
}

} // namespace
