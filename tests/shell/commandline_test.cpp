#include "shell/mycommandlineinfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CMyCommandLineInfo Parse(const std::vector<std::string>& arguments)
{
    CMyCommandLineInfo info;
    info.ParseCommandLine(arguments);
    return info;
}

TEST(CommandLine, EveryLeadingPartOfHiddenInAnyCaseStartsHidden)
{
    for (const char* arg :
         {"/hidden", "-hidden", "/HIDDEN", "-Hidden", "/h", "-h", "/HID", "/hId", "/", "-", "--hidden"}) {
        SCOPED_TRACE(arg);
        const auto info = Parse({arg});
        EXPECT_TRUE(info.m_hidden);
        EXPECT_EQ(info.m_action, CMyCommandLineInfo::Action::Run);
    }
}

TEST(CommandLine, OtherArgumentsStartVisibleAndAreIgnored)
{
    for (const char* arg : {"/hiddenx", "/hidden2", "/hide", "-x", "hidden", "h", "/hidden ",
                            "/h\xc3\xaf"
                            "dden",
                            "/\xc4\xb1"}) {
        SCOPED_TRACE(arg);
        const auto info = Parse({arg});
        EXPECT_FALSE(info.m_hidden);
        EXPECT_EQ(info.m_action, CMyCommandLineInfo::Action::Run);
    }
    EXPECT_FALSE(Parse({}).m_hidden);
}

TEST(CommandLine, TheSwitchCountsAnywhereAmongOtherArguments)
{
    EXPECT_TRUE(Parse({"file.txt", "/x", "-HIDDEN", "more"}).m_hidden);
    // The framework's hook sees the switch without its leading character.
    CMyCommandLineInfo info;
    info.ParseParam("hid", true, true);
    EXPECT_TRUE(info.m_hidden);
    CMyCommandLineInfo plain;
    plain.ParseParam("hidden", false, true);
    EXPECT_FALSE(plain.m_hidden);
}

TEST(CommandLine, DoubleDashEndsTheOptions)
{
    EXPECT_FALSE(Parse({"--", "/hidden"}).m_hidden);
    EXPECT_EQ(Parse({"--", "--help"}).m_action, CMyCommandLineInfo::Action::Run);
}

TEST(CommandLine, LongOptions)
{
    EXPECT_EQ(Parse({"--help"}).m_action, CMyCommandLineInfo::Action::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).m_action, CMyCommandLineInfo::Action::ShowVersion);
    EXPECT_EQ(Parse({"/hidden", "--version", "--help"}).m_action, CMyCommandLineInfo::Action::ShowVersion);

    const auto unknown = Parse({"--hid", "--help"});
    EXPECT_EQ(unknown.m_action, CMyCommandLineInfo::Action::Error);
    EXPECT_EQ(unknown.m_error, "--hid");
}

TEST(CommandLine, QtsOwnOptionsAndTheirValuesAreLeftToQt)
{
    const std::vector<std::vector<std::string>> lines = {
        {"--platform", "offscreen"},
        {"-platform", "xcb"},
        {"--style", "fusion"},
        {"--style=fusion"},
        {"-stylesheet=a.qss"},
        {"-display", ":1"},
        {"--reverse"},
        {"-reverse"},
        {"--qwindowgeometry", "300x200+0+0"},
        {"-qwindowtitle", "/h"},
        {"--title", "-hid"},
        {"--qmljsdebugger=port:1234"},
        {"--platformtheme", "gtk3"},
        {"--name", "kelvara"},
        {"--widgetcount"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.front());
        const auto info = Parse(line);
        EXPECT_EQ(info.m_action, CMyCommandLineInfo::Action::Run) << info.m_error;
        // A value that looks like our switch is Qt's value, not the switch.
        EXPECT_FALSE(info.m_hidden);
    }
    // Ours still count around them; an option Qt does not know is still refused.
    EXPECT_TRUE(Parse({"--platform", "offscreen", "/hidden"}).m_hidden);
    EXPECT_TRUE(Parse({"-h", "--reverse"}).m_hidden);
    EXPECT_EQ(Parse({"--platformx", "offscreen"}).m_action, CMyCommandLineInfo::Action::Error);
    // A value-taking option at the end takes nothing more.
    EXPECT_EQ(Parse({"--style"}).m_action, CMyCommandLineInfo::Action::Run);
}

TEST(CommandLine, HelpAndVersionTexts)
{
    const std::string usage = kelvara::CommandLineUsage("kelvara");
    EXPECT_EQ(usage.rfind("Usage: kelvara [/hidden | --hidden]\n", 0), 0u);
    EXPECT_NE(usage.find("--version"), std::string::npos);
    EXPECT_EQ(kelvara::VersionText().rfind("Kelvara ", 0), 0u);
}

} // namespace
