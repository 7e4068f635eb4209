// Enter as a new user presses it, in the real program on a real display: after Tab has been
// through the lists and buttons, Enter in the value field still copies and never closes the window.
#include "process.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using kelvara::test::Program;
using kelvara::test::RunTool;
using kelvara::test::XServer;

TEST(EnterKey, AfterTabbingAroundEnterInTheValueFieldCopiesAndTheWindowStays)
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
    ASSERT_TRUE(kelvara::test::FocusWindow(window, environment));

    const auto keys = [&](const QStringList& arguments) {
        int status = 0;
        RunTool(QStringLiteral("xdotool"), arguments, environment, &status);
        EXPECT_EQ(status, 0) << arguments.join(' ').toStdString();
        kelvara::test::WaitUntil([] { return false; }, 200);
    };
    const auto clipboard = [&] {
        return RunTool(QStringLiteral("xclip"),
                       {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")},
                       environment);
    };

    keys({QStringLiteral("key"), QStringLiteral("alt+v")});
    keys({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("12")});
    keys({QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(clipboard().startsWith(QStringLiteral("12 "))) << clipboard().toStdString();

    // Through the lists and the buttons, back to the field, a new value, Enter.
    keys({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("Tab"),
          QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab")});
    keys({QStringLiteral("key"), QStringLiteral("alt+v")});
    keys({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("3")});
    keys({QStringLiteral("key"), QStringLiteral("Return")});
    kelvara::test::WaitUntil([] { return false; }, 500);

    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ(x.VisibleWindows(kelvara::test::kWindowTitlePattern), QStringList{window});
    const QString copied = clipboard();
    EXPECT_TRUE(copied.startsWith(QStringLiteral("3 ")) && copied.contains(QStringLiteral(" = ")))
        << copied.toStdString();
}

} // namespace
