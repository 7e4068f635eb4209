#include "platform/datetimesettings.h"

#include "support/testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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
    const std::string marker = m_bin + "/started";
    ASSERT_TRUE(StartDetached({"/bin/sh", "-c", "echo $1 > " + marker, "sh", "ran"}));
    // The shell creates the file before it writes to it: wait for the text, not the file.
    std::string text;
    for (int i = 0; i < 500 && text.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(marker);
        std::getline(in, text);
    }
    EXPECT_EQ(text, "ran");
    EXPECT_FALSE(StartDetached({m_bin + "/no-such-program"}));
    EXPECT_FALSE(StartDetached({}));
}

} // namespace
} // namespace kelvara
