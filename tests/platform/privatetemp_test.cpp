#include "platform/privatetemp.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
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

// The program stays resident for days while /tmp is cleaned under it.
TEST(PrivateTemp, AFolderRemovedOrNoLongerPrivateIsMadeAgain)
{
    const std::string first = kelvara::PrivateTempFolder();
    ASSERT_FALSE(first.empty());
    std::filesystem::remove_all(first);

    std::string path;
    const int fd = kelvara::CreatePrivateTempFile("Tav", path);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ::close(fd);
    const std::string second = kelvara::PrivateTempFolder();
    EXPECT_NE(second, first);
    EXPECT_EQ(path.rfind(second + "/Tav", 0), 0u) << path;
    struct stat info {};
    ASSERT_EQ(::stat(second.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // Someone else's folder (here: one others may enter) under the name is never used.
    ASSERT_EQ(::chmod(second.c_str(), 0755), 0);
    const std::string third = kelvara::PrivateTempFolder();
    EXPECT_NE(third, second);
    std::filesystem::remove_all(second);
}

TEST(PrivateTemp, AFailureToMakeTheFolderIsNotKept)
{
    std::filesystem::remove_all(kelvara::PrivateTempFolder());
    const std::string saved = std::getenv("TMPDIR");
    ::setenv("TMPDIR", (saved + "/no/such/folder").c_str(), 1);
    std::string path;
    errno = 0;
    EXPECT_TRUE(kelvara::PrivateTempFolder().empty());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(kelvara::CreatePrivateTempFile("Tav", path), -1);

    ::setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_FALSE(kelvara::PrivateTempFolder().empty());
    const int fd = kelvara::CreatePrivateTempFile("Tav", path);
    EXPECT_GE(fd, 0);
    ::close(fd);
}

} // namespace
