// The end-to-end road: start the program on a display, find its window, type a value, read the
// result from the clipboard, close the window.
#include "process.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using kelvara::test::Program;
using kelvara::test::RunTool;
using kelvara::test::XServer;

TEST(Smoke, TypeReadTheClipboardAndClose)
{
    if (!XServer::Available() || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "Xvfb, xdotool or xclip is not installed";
    XServer x;
    ASSERT_TRUE(x.Start());
    const QProcessEnvironment environment = x.Environment();

    Program program({}, environment);
    QStringList windows;
    ASSERT_TRUE(kelvara::test::WaitForProgramWindows(x, program, windows)) << program.Output().constData();
    ASSERT_EQ(windows.size(), 1);
    const QString window = windows.first();

    // Without a window manager nobody gives the window the keyboard: the test does, and keys then go
    // to it through the XTEST extension like a user's.
    int status = 0;
    const auto focus = [&] { return kelvara::test::FocusWindow(window, environment); };
    ASSERT_TRUE(focus());
    // To the source field by its label's shortcut, "Source &Value:", as a user would.
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+v")}, environment,
            &status);
    ASSERT_EQ(status, 0);
    RunTool(QStringLiteral("xdotool"),
            {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("1")},
            environment, &status);
    ASSERT_EQ(status, 0);
    kelvara::test::WaitUntil([] { return false; }, 500);

    // First start: the first category and the first unit on both sides, so 1 converts to 1.
    EXPECT_TRUE(x.WindowTitle(window).startsWith(QStringLiteral("Kelvara [")))
        << x.WindowTitle(window).toStdString();
    const QString clipboard =
        RunTool(QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")},
                environment, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(clipboard, QStringLiteral("1"));

    // Escape is OK; with close-to-tray off (the default) it ends the program.
    ASSERT_TRUE(focus());
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")}, environment,
            &status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(program.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_TRUE(x.VisibleWindows(kelvara::test::kWindowTitlePattern).isEmpty());
}

} // namespace
