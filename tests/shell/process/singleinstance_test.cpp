// The single-instance protocol between real copies of the program, drawing offscreen.
#include "process.h"
#include "support/locales.h"
#include "support/testenv.h"

#include "shell/instancechannel.h"

#include "kelvara/version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using kelvara::test::InstanceSockets;
using kelvara::test::Program;
using kelvara::test::WriteSettings;

constexpr int kStartMs = 20000;

TEST(CommandLineOfTheProgram, HelpVersionAndUnknownOptions)
{
    Program version({QStringLiteral("--version")});
    ASSERT_TRUE(version.WaitForExit(kStartMs));
    EXPECT_EQ(version.ExitCode(), 0);
    EXPECT_EQ(version.Output(), QByteArray("Kelvara " KELVARA_VERSION_STRING "\n"));

    Program help({QStringLiteral("--help")});
    ASSERT_TRUE(help.WaitForExit(kStartMs));
    EXPECT_EQ(help.ExitCode(), 0);
    EXPECT_TRUE(help.Output().startsWith("Usage: kelvara [/hidden | --hidden]"));

    Program unknown({QStringLiteral("--frobnicate")});
    ASSERT_TRUE(unknown.WaitForExit(kStartMs));
    EXPECT_EQ(unknown.ExitCode(), 2);
    EXPECT_TRUE(unknown.Output().startsWith("kelvara: unknown option '--frobnicate'"))
        << unknown.Output().constData();
    EXPECT_TRUE(InstanceSockets().isEmpty());
}

TEST(CommandLineOfTheProgram, HelpAndErrorsAreInTheUsersLanguage)
{
    const std::string problem = kelvara::test::ProvideLocale("en_US.UTF-8");
    if (!problem.empty())
        GTEST_SKIP() << problem;
    // The pseudo-language of the build wraps each text of the catalogue in "⟦" and "⟧".
    QProcessEnvironment pseudo = kelvara::test::OffscreenEnvironment();
    pseudo.remove(QStringLiteral("LC_ALL"));
    pseudo.remove(QStringLiteral("LC_MESSAGES"));
    pseudo.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    pseudo.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en@pseudo"));
    QProcessEnvironment english = kelvara::test::OffscreenEnvironment();
    english.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    for (const QString& argument : {QStringLiteral("--help"), QStringLiteral("--frobnicate")}) {
        Program translated({argument}, pseudo);
        Program plain({argument}, english);
        ASSERT_TRUE(translated.WaitForExit(kStartMs) && plain.WaitForExit(kStartMs));
        const QString text = QString::fromUtf8(translated.Output());
        // Each line is the catalogue's, and without a catalogue the same English as always.
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            EXPECT_TRUE(line.startsWith(QStringLiteral("⟦")) && line.endsWith(QStringLiteral("⟧")))
                << argument.toStdString() << ": " << line.toStdString();
        EXPECT_EQ(QString(text).remove(QStringLiteral("⟦")).remove(QStringLiteral("⟧")),
                  QString::fromUtf8(plain.Output()))
            << argument.toStdString();
    }
}

TEST(CommandLineOfTheProgram, QtsOwnOptionsReachQt)
{
    // Two dashes or one, with the value apart or after "=": the program starts and runs.
    Program program({QStringLiteral("--platform"), QStringLiteral("offscreen"),
                     QStringLiteral("--style=fusion"), QStringLiteral("-reverse"),
                     QStringLiteral("--qwindowgeometry"), QStringLiteral("300x200+0+0")});
    ASSERT_TRUE(program.WaitUntilListening(kStartMs)) << program.Output().constData();
    EXPECT_EQ(program.Terminate(), 0);
    EXPECT_FALSE(program.Output().contains("unknown option")) << program.Output().constData();

    // Qt refuses a platform it does not have: so the option did reach it.
    Program missing({QStringLiteral("--platform"), QStringLiteral("no-such-platform")});
    ASSERT_TRUE(missing.WaitForExit(kStartMs));
    EXPECT_TRUE(missing.Output().contains("no-such-platform")) << missing.Output().constData();
}

TEST(SingleInstance, ACopyInTheTrayTakesOverAndTheNewcomerLeavesSilently)
{
    WriteSettings("[Options]\nCloseToSystray=1\n");
    Program first({QStringLiteral("/hidden")});
    ASSERT_TRUE(first.WaitUntilListening(kStartMs)) << first.Output().constData();

    Program second;
    ASSERT_TRUE(second.WaitForExit(kStartMs));
    EXPECT_EQ(second.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(second.Output(), QByteArray());
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(InstanceSockets().size(), 1);

    // The answer on the wire is the tag.
    const auto asked = kelvara::AskRunningInstances(
        (qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/kelvara")).toStdString(), 5000);
    EXPECT_TRUE(asked.found);

    EXPECT_EQ(first.Terminate(), 0);
    EXPECT_TRUE(InstanceSockets().isEmpty()); // cleaned up on the way out
}

TEST(SingleInstance, WithCloseToTrayOffASecondCopyRuns)
{
    WriteSettings("[Options]\nCloseToSystray=0\n");
    Program first;
    ASSERT_TRUE(first.WaitUntilListening(kStartMs));
    Program second;
    ASSERT_TRUE(second.WaitUntilListening(kStartMs)) << second.Output().constData();
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(InstanceSockets().size(), 2);

    // Now either copy could be asked; neither takes over, so a third one runs too.
    Program third;
    EXPECT_TRUE(third.WaitUntilListening(kStartMs));
    EXPECT_EQ(third.Terminate(), 0);
    EXPECT_EQ(second.Terminate(), 0);
    EXPECT_EQ(first.Terminate(), 0);
}

TEST(SingleInstance, CopiesStartedTogetherBehaveAsIfOneCameFirst)
{
    WriteSettings("[Options]\nCloseToSystray=1\n");
    Program a;
    Program b;
    ASSERT_TRUE(kelvara::test::WaitUntil([&] { return !a.IsRunning() || !b.IsRunning(); }, kStartMs));
    Program& survivor = a.IsRunning() ? a : b;
    Program& leaver = a.IsRunning() ? b : a;
    EXPECT_EQ(leaver.ExitCode(), 0);
    EXPECT_TRUE(survivor.WaitUntilListening(kStartMs));
    kelvara::test::WaitUntil([] { return false; }, 500);
    EXPECT_TRUE(survivor.IsRunning());
    EXPECT_EQ(InstanceSockets().size(), 1);
}

TEST(SingleInstance, AMessageAtStartHoldsUpNoOtherCopy)
{
    // A copy of the program with a folder where its first category's data file would be: each
    // copy says it cannot open the data while it builds its window, and waits for the user.
    const QString folder = QString::fromStdString(kelvara::test::TestRoot()) + QStringLiteral("/broken");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/weight.dat")));
    const QString program = folder + QStringLiteral("/kelvara");
    QFile::remove(program);
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELVARA_PROGRAM), program));
    const QProcessEnvironment environment = kelvara::test::OffscreenEnvironment();

    WriteSettings("[Options]\nCloseToSystray=0\n");
    Program first({}, environment, program);
    ASSERT_TRUE(first.WaitUntilListening(kStartMs)) << first.Output().constData();
    // Well within the time a copy waits for another one's start.
    Program second({}, environment, program);
    ASSERT_TRUE(second.WaitUntilListening(5000)) << second.Output().constData();
    EXPECT_EQ(InstanceSockets().size(), 2);
    // A copy waiting in its message still stops when asked to.
    EXPECT_EQ(second.Terminate(), 0);

    EXPECT_EQ(first.Terminate(), 0);

    // With close-to-tray on, the copy in its message takes over at once.
    WriteSettings("[Options]\nCloseToSystray=1\n");
    Program waiting({}, environment, program);
    ASSERT_TRUE(waiting.WaitUntilListening(kStartMs)) << waiting.Output().constData();
    Program third({}, environment, program);
    ASSERT_TRUE(third.WaitForExit(5000));
    EXPECT_EQ(third.ExitCode(), 0);
    EXPECT_EQ(third.Output(), QByteArray());
    EXPECT_TRUE(waiting.IsRunning());
    EXPECT_EQ(waiting.Terminate(), 0);
}

TEST(SingleInstance, SocketOfACrashedCopyIsRemovedNotALiveOne)
{
    WriteSettings("[Options]\nCloseToSystray=1\n");
    Program crashed;
    ASSERT_TRUE(crashed.WaitUntilListening(kStartMs));
    const QStringList left = InstanceSockets();
    ::kill(static_cast<pid_t>(crashed.Pid()), SIGKILL);
    ASSERT_TRUE(crashed.WaitForExit(5000));
    ASSERT_EQ(InstanceSockets(), left); // it left its socket behind

    Program next;
    ASSERT_TRUE(next.WaitUntilListening(kStartMs)) << next.Output().constData();
    const QStringList now = InstanceSockets();
    ASSERT_EQ(now.size(), 1);
    EXPECT_NE(now.first(), left.first());

    // The live copy is asked, answers and stays; its socket is never touched.
    Program newcomer;
    ASSERT_TRUE(newcomer.WaitForExit(kStartMs));
    EXPECT_EQ(InstanceSockets(), now);
}

} // namespace
