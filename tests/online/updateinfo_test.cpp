#include "online/updateinfo.h"

#include <gtest/gtest.h>

namespace {

using kelvara::PackedVersion;
using kelvara::PackVersion;

PackedVersion Read(std::string_view text, bool expectRead = true)
{
    PackedVersion v{0xDEAD, 0xBEEF};
    EXPECT_EQ(kelvara::ParseVersionText(text, v), expectRead) << text;
    return v;
}

TEST(VersionText, ReadsFourDottedNumbersIntoTheTwoWords)
{
    EXPECT_EQ(Read("1.25.67.4"), (PackedVersion{0x00010019, 0x00430004}));
    // Blanks before each number, a sign, and anything after the fourth number are allowed.
    EXPECT_EQ(Read(" 1. 2.\t3. +4"), PackVersion(1, 2, 3, 4));
    EXPECT_EQ(Read("1.2.3.4 beta\n"), PackVersion(1, 2, 3, 4));
    EXPECT_EQ(Read("1.2.3.4.5"), PackVersion(1, 2, 3, 4));
}

TEST(VersionText, ComponentsCountModulo65536)
{
    EXPECT_EQ(Read("65537.0.0.65536"), PackVersion(1, 0, 0, 0));
    EXPECT_EQ(Read("-1.0.0.0"), (PackedVersion{0xFFFF0000, 0}));
    EXPECT_EQ(Read("99999999999999999999.0.0.1").low, 1u);
}

TEST(VersionText, AnythingShortOfFourNumbersIsZero)
{
    for (const char* text :
         {"1.26", "", "1.2.3", "1.2.3.", "1 .2.3.4", "1.2.x.4", "v1.2.3.4", "1..2.3.4", "<html>"})
        EXPECT_EQ(Read(text, false), PackVersion(0, 0, 0, 0)) << text;
}

TEST(VersionCompare, HighWordsFirstThenLowWords)
{
    EXPECT_FALSE(kelvara::IsNewerVersion(PackVersion(1, 25, 67, 3), PackVersion(1, 25, 67, 3)));
    EXPECT_TRUE(kelvara::IsNewerVersion(PackVersion(1, 25, 67, 4), PackVersion(1, 25, 67, 3)));
    EXPECT_FALSE(kelvara::IsNewerVersion(PackVersion(1, 25, 67, 3), PackVersion(1, 25, 67, 4)));
    EXPECT_TRUE(kelvara::IsNewerVersion(PackVersion(2, 0, 0, 0), PackVersion(1, 99, 9, 9)));
    EXPECT_FALSE(kelvara::IsNewerVersion(PackVersion(1, 99, 9, 9), PackVersion(2, 0, 0, 0)));
    EXPECT_FALSE(kelvara::IsNewerVersion(PackVersion(0, 0, 0, 0), PackVersion(1, 0, 0, 0)));
}

TEST(VersionCompare, HighWordIsSignedLowWordUnsigned)
{
    // a >= 32768 makes the high word negative: such a version is never newer.
    EXPECT_FALSE(kelvara::IsNewerVersion(PackVersion(40000, 0, 0, 0), PackVersion(1, 0, 0, 0)));
    EXPECT_TRUE(kelvara::IsNewerVersion(PackVersion(32767, 0, 0, 0), PackVersion(1, 0, 0, 0)));
    // c >= 32768 in the low word still counts as large.
    EXPECT_TRUE(kelvara::IsNewerVersion(PackVersion(1, 0, 40000, 0), PackVersion(1, 0, 1, 0)));
}

TEST(UpdateAddresses, FixedPathsWithEscapedValues)
{
    EXPECT_EQ(kelvara::BuildVersionQueryUrl("https://u.example", "Kelvara"),
              "https://u.example/getversion.asp?name=Kelvara");
    EXPECT_EQ(kelvara::BuildDownloadUrl("https://u.example", "kelvara-1.26.exe"),
              "https://u.example/dl.asp?path=kelvara-1.26.exe");
    EXPECT_EQ(kelvara::BuildDownloadUrl("https://u.example", "setup 2&x=/../a#b\xC3\xA9"),
              "https://u.example/dl.asp?path=setup%202%26x%3D%2F..%2Fa%23b%C3%A9");
}

} // namespace
