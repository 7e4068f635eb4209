#include "platform/settingsprofilestore.h"
#include "support/process.h"
#include "support/testenv.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Access = kelvara::SettingsProfileStore::Access;

std::string FreshFile(const std::string& name)
{
    const std::string dir = kelvara::test::TestRoot() + "/settings";
    fs::create_directories(dir);
    fs::remove(dir + "/" + name);
    return dir + "/" + name;
}

TEST(SettingsProfileStore, SectionsBecomeGroupsAndWritesAreSyncedAtOnce)
{
    const std::string path = FreshFile("groups.conf");
    kelvara::SettingsProfileStore store(path, Access::ReadWrite);
    ASSERT_TRUE(store.WriteProfileInt("Settings\\Categories\\3", "SourceUnit", 5));
    ASSERT_TRUE(store.WriteProfileString("Settings\\Rates", "JPY", "157.538"));
    // Another reader sees the values in the file before this store goes away.
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    EXPECT_EQ(file.value("Settings/Categories/3/SourceUnit").toInt(), 5);
    EXPECT_EQ(file.value("Settings/Rates/JPY").toString(), "157.538");
    EXPECT_EQ(store.GetProfileInt("Settings\\Categories\\3", "SourceUnit", 0), 5);
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "JPY"), "157.538");
}

TEST(SettingsProfileStore, MissingValuesGiveTheDefaultAndTextReadsByItsLeadingNumber)
{
    const std::string path = FreshFile("values.conf");
    kelvara::SettingsProfileStore store(path, Access::ReadWrite);
    EXPECT_EQ(store.GetProfileInt("Options", "ShowBalloon", 1), 1);
    std::string value = "untouched";
    EXPECT_FALSE(store.GetProfileString("Settings\\Rates", "USD", value));
    EXPECT_EQ(value, "untouched");
    ASSERT_TRUE(store.WriteProfileString("Options", "AlwaysOnTop", "12abc"));
    EXPECT_EQ(store.GetProfileInt("Options", "AlwaysOnTop", 0), 12);
    ASSERT_TRUE(store.WriteProfileInt("Settings", "Category", -1));
    EXPECT_EQ(store.GetProfileInt("Settings", "Category", 0), -1);
    EXPECT_EQ(store.GetProfileString("Settings", "Category"), "-1");
}

TEST(SettingsProfileStore, TextKeepsCommasAndUtf8)
{
    const std::string path = FreshFile("text.conf");
    {
        // As a user might edit the file: an unquoted value with a comma.
        std::ofstream(path) << "[Settings]\nRates\\XAU=1,5\n";
    }
    kelvara::SettingsProfileStore store(path, Access::ReadWrite);
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "XAU"), "1,5");
    ASSERT_TRUE(store.WriteProfileString("Settings\\Rates", "EUR", "1 €, fixed"));
    kelvara::SettingsProfileStore again(path, Access::ReadOnly);
    EXPECT_EQ(again.GetProfileString("Settings\\Rates", "EUR"), "1 €, fixed");
}

// A category's load reads hundreds of values through one opening; it must still see its own writes
// at once, and what another copy wrote once the reads are over.
TEST(SettingsProfileStore, ReadsThatShareAnOpeningSeeWritesMadeBetweenThem)
{
    const std::string path = FreshFile("reads.conf");
    kelvara::SettingsProfileStore store(path, Access::ReadWrite);
    kelvara::SettingsProfileStore otherCopy(path, Access::ReadWrite);
    ASSERT_TRUE(store.WriteProfileString("Settings\\Rates", "JPY", "157"));
    {
        const kelvara::ProfileReads reads(store);
        EXPECT_EQ(store.GetProfileString("Settings\\Rates", "JPY"), "157");
        ASSERT_TRUE(store.WriteProfileString("Settings\\Rates", "JPY", "162.35"));
        EXPECT_EQ(store.GetProfileString("Settings\\Rates", "JPY"), "162.35");
        const kelvara::ProfileReads nested(store);
        ASSERT_TRUE(otherCopy.WriteProfileString("Settings\\Rates", "USD", "1.0523"));
    }
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "USD"), "1.0523");
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "JPY"), "162.35");
}

TEST(SettingsProfileStore, AReadOnlyStoreNeverWrites)
{
    const std::string path = FreshFile("readonly.conf");
    kelvara::SettingsProfileStore store(path, Access::ReadOnly);
    EXPECT_FALSE(store.WriteProfileInt("Options", "AlwaysOnTop", 1));
    EXPECT_FALSE(store.WriteProfileString("Settings\\Rates", "USD", "1.3"));
    EXPECT_EQ(store.GetProfileInt("Options", "AlwaysOnTop", 0), 0);
    EXPECT_FALSE(fs::exists(path));
}

TEST(SettingsProfileStore, TheProgramsStoreLivesUnderTheUsersConfigFolder)
{
    kelvara::SettingsProfileStore store(Access::ReadOnly);
    EXPECT_EQ(store.GetLocation(), std::string(std::getenv("XDG_CONFIG_HOME")) + "/Brask/Kelvara.conf");
}

// Run with another user's HOME (sudo -E), a settings file of that user, or a link that user planted
// towards a file of ours, is never written; a link of our own is followed. Files are handed to
// another user with chown, so only root can set the scene.
TEST(SettingsProfileStore, FilesAndLinksOfAnotherUserAreNeverWritten)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    constexpr uid_t kOther = 65534; // nobody
    const std::string dir = FreshFile("owner") + ".d";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string precious = dir + "/precious";
    std::ofstream(precious) << "root's own\n";
    const auto contents = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    const struct {
        const char* name;
        bool linked;    // a link to `precious` instead of a file
        bool othersOwn; // the file, or the link, belongs to kOther
        bool written;
    } cases[] = {
        {"theirs.conf", false, true, false},
        {"planted.conf", true, true, false},
        {"ours.conf", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        if (c.linked)
            fs::create_symlink(precious, path);
        else
            std::ofstream(path) << "[Settings]\nCategory=3\n";
        if (c.othersOwn) {
            ASSERT_EQ(lchown(path.c_str(), kOther, kOther), 0);
        }
        const std::string before = contents(path);
        kelvara::SettingsProfileStore store(path, Access::ReadWrite);
        EXPECT_EQ(store.WriteProfileStrings({{"Settings", "Category", "1"}}), c.written);
        EXPECT_EQ(store.GetWriteProblem().empty(), c.written);
        if (!c.written) {
            EXPECT_EQ(store.GetWriteProblem(),
                      "the settings file " + path + " belongs to another user; nothing was written to it");
            EXPECT_EQ(contents(path), before);
            EXPECT_EQ(contents(precious), "root's own\n");
        }
    }
    EXPECT_NE(contents(precious).find("Category=1"), std::string::npos) << "our own link is followed";
}

} // namespace
