#include "platform/datetimesettings.h"

#include "support/testenv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {
namespace {

class DateTimeSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_bin = test::TestRoot() + "/bin-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(m_bin);
        ::setenv("PATH", ("relative:" + m_bin + "::/nonexistent").c_str(), 1);
        ::unsetenv("XDG_CURRENT_DESKTOP");
    }
    void Tool(const std::string& name, bool executable = true)
    {
        const std::string path = m_bin + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n";
        std::filesystem::permissions(path, executable ? std::filesystem::perms::owner_all
                                                      : std::filesystem::perms::owner_read);
    }

    std::string m_bin;

private:
    kelvara::test::ScopedEnv m_path{"PATH"};
    kelvara::test::ScopedEnv m_desktop{"XDG_CURRENT_DESKTOP"};
};

TEST_F(DateTimeSettingsTest, NoToolInPathDoesNothing)
{
    Tool("gnome-control-center", false);
    EXPECT_TRUE(FindDateTimeSettingsCommand().empty());
    EXPECT_FALSE(StartDateTimeTool());
}

TEST_F(DateTimeSettingsTest, TheRunningDesktopsToolComesFirst)
{
    Tool("gnome-control-center");
    Tool("kcmshell6");
    EXPECT_EQ(FindDateTimeSettingsCommand(),
              (std::vector<std::string>{m_bin + "/gnome-control-center", "datetime"}));
    ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:kde", 1);
    EXPECT_EQ(FindDateTimeSettingsCommand(), (std::vector<std::string>{m_bin + "/kcmshell6", "kcm_clock"}));
    ::setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
    EXPECT_EQ(FindDateTimeSettingsCommand().front(), m_bin + "/gnome-control-center")
        << "XFCE's own tool is missing, so any known one serves";
}

TEST_F(DateTimeSettingsTest, StartsDetachedAndReportsWhatCannotStart)
{
    // The started shell writes into a pipe this test reads with a deadline: the wait ends with the text.
    const std::string marker = m_bin + "/started";
    ASSERT_EQ(::mkfifo(marker.c_str(), 0600), 0);
    const int fd = ::open(marker.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(StartDetached({"/bin/sh", "-c", "echo $1 > " + marker, "sh", "ran"}));
    std::string text;
    pollfd ready{fd, POLLIN, 0};
    while (text.find('\n') == std::string::npos && ::poll(&ready, 1, 5000) > 0) {
        char buffer[64];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EAGAIN)
            break;
    }
    ::close(fd);
    EXPECT_EQ(text, "ran\n");
    EXPECT_FALSE(StartDetached({m_bin + "/no-such-program"}));
    EXPECT_FALSE(StartDetached({}));
}

} // namespace
} // namespace kelvara
