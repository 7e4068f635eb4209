#include "text/formattext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using kelvara::FormatText;

TEST(FormatText, FillsPlaceholdersByKind)
{
    EXPECT_EQ(FormatText("Version: %d.%02d (build %d.%d)", {1, 5, 0, 0}), "Version: 1.05 (build 0.0)");
    EXPECT_EQ(FormatText("Downloaded %s of %s...", {"1.20 KB", std::string("3.00 KB")}),
              "Downloaded 1.20 KB of 3.00 KB...");
    EXPECT_EQ(FormatText("[0x%08X] %u%%", {0x8007000Eu, 42u}), "[0x8007000E] 42%");
    EXPECT_EQ(FormatText("%f", {2.5}), "2.500000");
    EXPECT_EQ(FormatText("%ld items", {7L}), "7 items");
}

TEST(FormatText, MismatchedOrMissingArgumentsAreSafe)
{
    // A text where a number belongs prints the text; a number for %s prints the number.
    EXPECT_EQ(FormatText("%d", {"seven"}), "seven");
    EXPECT_EQ(FormatText("%s", {12}), "12");
    EXPECT_EQ(FormatText("a %s b %d c", {}), "a  b  c");
    EXPECT_EQ(FormatText("%n %p %", {1, 2}), "%n %p %");
    EXPECT_EQ(FormatText("%s", {static_cast<const char*>(nullptr)}), "");
}

TEST(FormatText, NumbersOutOfRangeOrOfAnotherKindAreNeverUndefined)
{
    // A double for an integer placeholder saturates instead of overflowing the conversion.
    EXPECT_EQ(FormatText("%d", {1e300}), "9223372036854775807");
    EXPECT_EQ(FormatText("%d", {-1e300}), "-9223372036854775808");
    EXPECT_EQ(FormatText("%d", {std::nan("")}), "0");
    EXPECT_EQ(FormatText("%u", {std::numeric_limits<double>::infinity()}), "9223372036854775807");
    EXPECT_EQ(FormatText("%5.2f|%x", {3, 255u}), " 3.00|ff");
    // %c writes UTF-8 and never a NUL or a code that is no character.
    EXPECT_EQ(FormatText("%c%c%c", {65, 0x263A, 0}), "A\u263A");
    EXPECT_EQ(FormatText("%c%c", {std::uint64_t{0x110000}, 0xD800}), "");
}

} // namespace
