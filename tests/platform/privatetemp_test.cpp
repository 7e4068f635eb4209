#include "platform/privatetemp.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(PrivateTemp, OneFolderOnlyTheUserCanEnterUnderTmpdir)
{
    const std::string& folder = kelvara::PrivateTempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(std::string(std::getenv("TMPDIR")) + "/", 0), 0u) << folder;
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(&kelvara::PrivateTempFolder(), &folder);
}

TEST(PrivateTemp, FilesAreNewPrivateAndNamedWithThePrefix)
{
    std::string first;
    std::string second;
    const int a = kelvara::CreatePrivateTempFile("Tav", first);
    const int b = kelvara::CreatePrivateTempFile("Tav", second);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_NE(first, second);
    const std::string prefix = kelvara::PrivateTempFolder() + "/Tav";
    EXPECT_EQ(first.rfind(prefix, 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".tmp");
    struct stat info {};
    ASSERT_EQ(::fstat(a, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 0);
    ::close(a);
    ::close(b);
    ::unlink(first.c_str());
    ::unlink(second.c_str());
}

} // namespace
