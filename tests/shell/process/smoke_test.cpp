// The end-to-end road: start the program on a display, find its window, type a value, read the
// result from the clipboard, close the window; and Enter as a new user presses it.
#include "process.h"

#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kelvara::test::Program;
using kelvara::test::RunTool;
using kelvara::test::XServer;

// A first start on a display of the test's own: the program's one window found and given the
// keyboard. Without a window manager nobody gives the window the keyboard: the test does, and keys
// then go to it through the XTEST extension like a user's.
class FirstWindow : public testing::Test {
protected:
    void SetUp() override
    {
        if (!XServer::Available() || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            GTEST_SKIP() << "Xvfb, xdotool or xclip is not installed";
        ASSERT_TRUE(x.Start());
        environment = x.Environment();
        program = std::make_unique<Program>(QStringList{}, environment);
        QStringList windows;
        ASSERT_TRUE(kelvara::test::WaitForProgramWindows(x, *program, windows))
            << program->Output().constData();
        ASSERT_EQ(windows.size(), 1);
        window = windows.first();
        ASSERT_TRUE(Focus());
    }

    bool Focus() const { return kelvara::test::FocusWindow(window, environment); }
    QString Clipboard(int* status = nullptr) const
    {
        return RunTool(QStringLiteral("xclip"),
                       {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")},
                       environment, status);
    }

    XServer x;
    QProcessEnvironment environment;
    std::unique_ptr<Program> program;
    QString window;
};

class Smoke : public FirstWindow {};
class EnterKey : public FirstWindow {};

TEST_F(Smoke, TypeReadTheClipboardAndClose)
{
    int status = 0;
    // To the source field by its label's shortcut, "Source &Value:", as a user would.
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+v")}, environment,
            &status);
    ASSERT_EQ(status, 0);
    RunTool(QStringLiteral("xdotool"),
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("1")},
            environment, &status);
    ASSERT_EQ(status, 0);
    kelvara::test::WaitUntil([] { return false; }, 500);

    // First start: Length, from metres (the test's locale measures in metric) to feet.
    EXPECT_EQ(x.WindowTitle(window), QStringLiteral("Kelvara [Length]"));
    const QString clipboard = Clipboard(&status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(clipboard, QStringLiteral("3.28083989501312"));

    // The shown and painted window has not waited for what it does not use: the network layer
    // comes with the first fetch, and no image-format plugin is asked about anything.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(program->Pid()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("libQt6Network"));
    EXPECT_FALSE(mapped.contains("/imageformats/"));

    // Escape is OK; with close-to-tray off (the default) it ends the program.
    ASSERT_TRUE(Focus());
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")}, environment,
            &status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(program->WaitForExit(10000));
    EXPECT_EQ(program->ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program->ExitCode(), 0);
    EXPECT_TRUE(x.VisibleWindows(kelvara::test::kWindowTitlePattern).isEmpty());
}

// After Tab has been through the lists and buttons, Enter in the value field still copies and
// never closes the window.
TEST_F(EnterKey, AfterTabbingAroundEnterInTheValueFieldCopiesAndTheWindowStays)
{
    const auto keys = [&](const QStringList& arguments) {
        int status = 0;
        RunTool(QStringLiteral("xdotool"), arguments, environment, &status);
        EXPECT_EQ(status, 0) << arguments.join(' ').toStdString();
        kelvara::test::WaitUntil([] { return false; }, 200);
    };

    keys({QStringLiteral("key"), QStringLiteral("alt+v")});
    keys({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("12")});
    keys({QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(Clipboard().startsWith(QStringLiteral("12 "))) << Clipboard().toStdString();

    // Through the lists and the buttons, back to the field, a new value, Enter.
    keys({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("Tab"),
          QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab")});
    keys({QStringLiteral("key"), QStringLiteral("alt+v")});
    keys({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("3")});
    keys({QStringLiteral("key"), QStringLiteral("Return")});
    kelvara::test::WaitUntil([] { return false; }, 500);

    EXPECT_TRUE(program->IsRunning());
    EXPECT_EQ(x.VisibleWindows(kelvara::test::kWindowTitlePattern), QStringList{window});
    const QString copied = Clipboard();
    EXPECT_TRUE(copied.startsWith(QStringLiteral("3 ")) && copied.contains(QStringLiteral(" = ")))
        << copied.toStdString();
}

} // namespace

namespace {

class OpenLists : public FirstWindow {
protected:
    void Keys(const QStringList& keys) const
    {
        int status = -1;
        RunTool(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys, environment, &status);
        EXPECT_EQ(status, 0) << keys.join(QLatin1Char(' ')).toStdString();
    }
    QString Title() const { return x.WindowTitle(window); }
};

// Escape in an open list closes the list alone: Alt+A Down afterwards picks the next category (the
// list is closed, the window still there); a last Escape is the window's and ends the program.
TEST_F(OpenLists, EscapeInAnOpenListClosesOnlyTheList)
{
    struct Case {
        const char* list;
        QStringList open;
    };
    const Case cases[] = {
        {"category list", {QStringLiteral("alt+a"), QStringLiteral("F4")}},
        {"unit list", {QStringLiteral("alt+n"), QStringLiteral("F4")}},
        {"unit list, filtered",
         {QStringLiteral("alt+i"), QStringLiteral("F4"), QStringLiteral("m"), QStringLiteral("e")}},
        {"menu of the value field", {QStringLiteral("alt+v"), QStringLiteral("Menu")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        const QString before = Title();
        // Escape only once the list is open: sent earlier, it is the window's and ends the program.
        const auto shown = [&] { return x.VisibleWindows(QStringLiteral(".*")).size(); };
        const auto windows = shown();
        Keys(c.open);
        EXPECT_TRUE(kelvara::test::WaitUntil([&] { return shown() > windows; }, 5000));
        Keys({QStringLiteral("Escape")});
        Keys({QStringLiteral("alt+a"), QStringLiteral("Down")});
        EXPECT_TRUE(kelvara::test::WaitUntil([&] { return Title() != before; }, 5000))
            << before.toStdString();
        ASSERT_TRUE(program->IsRunning()) << program->Output().constData();
    }
    Keys({QStringLiteral("Escape")});
    EXPECT_TRUE(program->WaitForExit(10000));
}

TEST_F(OpenLists, TypingAtOnceAfterAFirstStartGoesToTheValueField)
{
    int status = -1;
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("12")}, environment, &status);
    Keys({QStringLiteral("Return")});
    EXPECT_TRUE(kelvara::test::WaitUntil(
        [&] {
            return Clipboard().startsWith(QStringLiteral("12 ")) && Clipboard().contains("39.3700787401575");
        },
        5000))
        << Clipboard().toStdString();
}

} // namespace
