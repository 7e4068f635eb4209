#include "shell/instancechannel.h"

#include "support/testenv.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The question is asked from another thread while this one serves, as two processes would.
kelvara::AskResult AskWhileServing(const std::string& folder, int timeoutMs = 2000)
{
    auto future =
        std::async(std::launch::async, [=] { return kelvara::AskRunningInstances(folder, timeoutMs); });
    while (future.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return future.get();
}

std::string RuntimeDir()
{
    return std::getenv("XDG_RUNTIME_DIR");
}

unsigned Mode(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A socket file whose listener is gone, as a crashed copy leaves it.
void MakeStaleSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

class InstanceChannel : public testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ec;
        fs::remove_all(RuntimeDir() + "/kelvara", ec);
        m_folder = kelvara::InstanceFolder();
        ASSERT_FALSE(m_folder.empty());
    }
    std::string m_folder;
};

TEST_F(InstanceChannel, FolderIsTheUsersAloneUnderTheRuntimeDirectory)
{
    EXPECT_EQ(m_folder, RuntimeDir() + "/kelvara");
    EXPECT_EQ(Mode(m_folder), 0700u);
    ::chmod(m_folder.c_str(), 0755);
    EXPECT_EQ(kelvara::InstanceFolder(), m_folder);
    EXPECT_EQ(Mode(m_folder), 0700u);
}

TEST_F(InstanceChannel, FolderThatIsNotAFolderIsRefused)
{
    fs::remove_all(m_folder);
    fs::create_directories(RuntimeDir() + "/elsewhere");
    fs::create_directory_symlink(RuntimeDir() + "/elsewhere", m_folder);
    EXPECT_EQ(kelvara::InstanceFolder(), "");
    fs::remove(m_folder);
}

TEST_F(InstanceChannel, WithoutARuntimeDirectoryAFolderOfOurOwnInTheTemporaryOne)
{
    const std::string saved = RuntimeDir();
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string folder = kelvara::InstanceFolder();
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    EXPECT_EQ(folder, std::string(std::getenv("TMPDIR")) + "/kelvara-" + std::to_string(::geteuid()));
    EXPECT_EQ(Mode(folder), 0700u);
}

TEST_F(InstanceChannel, AFallbackFolderThatIsNotPrivatelyOursIsNeverUsed)
{
    const std::string saved = RuntimeDir();
    const std::string tmp = std::getenv("TMPDIR");
    const std::string folder = tmp + "/kelvara-" + std::to_string(::geteuid());
    const std::string elsewhere = tmp + "/elsewhere";
    struct Case {
        const char* what;
        std::function<void()> make;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"open to others",
         [&] {
             fs::create_directory(folder);
             ::chmod(folder.c_str(), 0755);
         },
         folder + " is open to other users (mode 0755)"},
        {"a link to a private folder",
         [&] {
             fs::create_directory(elsewhere);
             ::chmod(elsewhere.c_str(), 0700);
             fs::create_directory_symlink(elsewhere, folder);
         },
         folder + " is not a folder"},
        {"a file", [&] { std::ofstream(folder).put('x'); }, folder + " is not a folder"},
        // Only root can give a folder away; elsewhere this row checks the other rows' clean-up.
        {"another user's",
         [&] {
             fs::create_directory(folder);
             ::chmod(folder.c_str(), 0700);
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
             }
         },
         ::geteuid() == 0 ? folder + " belongs to another user (uid 65534)" : std::string()},
    };
    ::unsetenv("XDG_RUNTIME_DIR");
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::remove_all(elsewhere);
        c.make();
        std::string problem = "unset";
        const std::string found = kelvara::InstanceFolder(&problem);
        EXPECT_EQ(problem, c.problem) << c.what;
        EXPECT_EQ(found, c.problem.empty() ? folder : std::string()) << c.what;
    }
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    fs::remove_all(folder);
    fs::remove_all(elsewhere);
}

TEST_F(InstanceChannel, ACopyThatTakesOverIsFound)
{
    int asked = 0;
    kelvara::InstanceServer server([&] {
        ++asked;
        return kelvara::kInstanceTag;
    });
    ASSERT_TRUE(server.Listen(m_folder));
    const std::string socket = server.SocketPath().toStdString();
    EXPECT_EQ(fs::path(socket).parent_path(), fs::path(m_folder));
    EXPECT_EQ(Mode(socket) & 077, 0u);

    const auto result = AskWhileServing(m_folder);
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.asked, 1);
    EXPECT_EQ(asked, 1);
}

TEST_F(InstanceChannel, ACopyThatAnswersZeroIsLeftAlone)
{
    kelvara::InstanceServer first([] { return 0u; });
    kelvara::InstanceServer second([] { return 0x54565259u; }); // the tag's bytes the wrong way round
    ASSERT_TRUE(first.Listen(m_folder));
    ASSERT_TRUE(second.Listen(m_folder));
    const auto result = AskWhileServing(m_folder);
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.asked, 2);
    EXPECT_EQ(result.removed, 0);
    EXPECT_TRUE(fs::exists(first.SocketPath().toStdString()));
}

TEST_F(InstanceChannel, SocketsOfCrashedCopiesAreRemovedLiveOnesAndOtherFilesKept)
{
    kelvara::InstanceServer live([] { return 0u; });
    ASSERT_TRUE(live.Listen(m_folder));
    MakeStaleSocket(m_folder + "/4242-dead.sock");
    {
        QFile(QString::fromStdString(m_folder + "/start.lock")).open(QIODevice::WriteOnly);
    }

    const auto result = AskWhileServing(m_folder);
    EXPECT_EQ(result.removed, 1);
    EXPECT_FALSE(fs::exists(m_folder + "/4242-dead.sock"));
    EXPECT_TRUE(fs::exists(live.SocketPath().toStdString()));
    EXPECT_TRUE(fs::exists(m_folder + "/start.lock"));
}

TEST_F(InstanceChannel, ACopyThatDoesNotAnswerCostsOnlyTheTimeout)
{
    // Listening but never serving: the kernel takes the connection, nobody answers.
    kelvara::InstanceServer mute([] { return kelvara::kInstanceTag; });
    ASSERT_TRUE(mute.Listen(m_folder));
    const auto start = std::chrono::steady_clock::now();
    const auto result = kelvara::AskRunningInstances(m_folder, 300); // no event loop runs meanwhile
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(result.found);
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_TRUE(fs::exists(mute.SocketPath().toStdString()));
}

TEST_F(InstanceChannel, QuestionInPiecesIsAnswered)
{
    kelvara::InstanceServer server([] { return kelvara::kInstanceTag; });
    ASSERT_TRUE(server.Listen(m_folder));
    QLocalSocket client;
    client.connectToServer(server.SocketPath());
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write("TavrixIdent");
    client.flush();
    // The server takes the first piece before the rest is written.
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.bytesToWrite() == 0; }, 2000));
    QCoreApplication::processEvents();
    client.write("ification\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.bytesAvailable() >= 4; }, 2000));
    EXPECT_EQ(client.readAll(), QByteArray("XRVT"));
}

TEST_F(InstanceChannel, ClientsThatSendSomethingElseAreDropped)
{
    kelvara::InstanceServer server([] { return kelvara::kInstanceTag; });
    ASSERT_TRUE(server.Listen(m_folder));
    for (const QByteArray& junk :
         {QByteArray(4096, 'x'), QByteArray("TavrixIdentification\nmore"), QByteArray("WhoAreYou?\n")}) {
        QLocalSocket client;
        client.connectToServer(server.SocketPath());
        ASSERT_TRUE(client.waitForConnected(2000));
        client.write(junk);
        client.flush();
        EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 2000));
        EXPECT_FALSE(client.readAll().contains("XRVT"));
    }
}

TEST_F(InstanceChannel, IdleClientsNeitherHideTheCopyNorStay)
{
    kelvara::InstanceServer server([] { return kelvara::kInstanceTag; });
    ASSERT_TRUE(server.Listen(m_folder));
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < kelvara::InstanceServer::kMaxClients; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(server.SocketPath());
        ASSERT_TRUE(idle.back()->waitForConnected(2000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.ClientCount() == i + 1; }, 2000));
    }
    // Every place is taken by a client that says nothing: a new copy still gets its answer, and the
    // client waiting longest made room for it.
    EXPECT_TRUE(AskWhileServing(m_folder).found);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return idle.front()->state() == QLocalSocket::UnconnectedState; }, 2000));
    EXPECT_EQ(idle.back()->state(), QLocalSocket::ConnectedState);
    // The others go once they have been silent too long.
    EXPECT_TRUE(QTest::qWaitFor([&] { return idle.back()->state() == QLocalSocket::UnconnectedState; },
                                kelvara::InstanceServer::kClientTimeoutMs + 2000));
    EXPECT_EQ(server.ClientCount(), 0);
}

TEST_F(InstanceChannel, SocketGoesWithTheServer)
{
    std::string path;
    {
        kelvara::InstanceServer server([] { return 0u; });
        ASSERT_TRUE(server.Listen(m_folder));
        path = server.SocketPath().toStdString();
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(kelvara::InstanceServer([] { return 0u; }).Listen(""));
}

} // namespace

namespace {

// A second start hands its activation token to the copy that takes over, once, and only a token.
TEST_F(InstanceChannel, TheActivationTokenIsHandedOverOnceAndOnlyWhenItIsOne)
{
    struct Case {
        const char* name;
        std::string passed;
        std::string taken;
    };
    for (const Case& c :
         {Case{"token", "sway-activation-0123456789abcdef", "sway-activation-0123456789abcdef"},
          Case{"none", "", ""}, Case{"control characters", "abc\n; rm -rf ~", ""},
          Case{"too long", std::string(513, 'x'), ""}}) {
        SCOPED_TRACE(c.name);
        kelvara::PassActivationToken(m_folder, "left over from an earlier start");
        kelvara::PassActivationToken(m_folder, c.passed);
        EXPECT_EQ(kelvara::TakeActivationToken(m_folder), c.taken);
        EXPECT_EQ(kelvara::TakeActivationToken(m_folder), "");
    }
}

} // namespace
