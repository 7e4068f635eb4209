#include "online/bytesize.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

using kelvara::FormatByteSize;

TEST(ByteSize, BytesBelowOneKilobyte)
{
    EXPECT_EQ(FormatByteSize(0), "0 bytes");
    EXPECT_EQ(FormatByteSize(1), "1 bytes");
    EXPECT_EQ(FormatByteSize(1023), "1023 bytes");
}

TEST(ByteSize, ThreeSignificantDigitsTruncated)
{
    EXPECT_EQ(FormatByteSize(1024), "1.00 KB");
    EXPECT_EQ(FormatByteSize(1229), "1.20 KB");
    EXPECT_EQ(FormatByteSize(1535), "1.49 KB");
    EXPECT_EQ(FormatByteSize(10239), "9.99 KB");
    EXPECT_EQ(FormatByteSize(10240), "10.0 KB");
    EXPECT_EQ(FormatByteSize(100000), "97.6 KB");
    EXPECT_EQ(FormatByteSize(102400), "100 KB");
    EXPECT_EQ(FormatByteSize(1023999), "999 KB");
}

TEST(ByteSize, ThousandOfAUnitMovesToTheNext)
{
    EXPECT_EQ(FormatByteSize(1024000), "0.97 MB");
    EXPECT_EQ(FormatByteSize(1048576), "1.00 MB");
    EXPECT_EQ(FormatByteSize(4u * 1024 * 1024), "4.00 MB");
    EXPECT_EQ(FormatByteSize(1536ull * 1024 * 1024), "1.50 GB");
    EXPECT_EQ(FormatByteSize(1ull << 40), "1.00 TB");
    EXPECT_EQ(FormatByteSize(UINT64_MAX), "15.9 EB");
}

} // namespace
