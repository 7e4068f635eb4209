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

TEST(FormatText, ATranslationMayTakeTheArgumentsInAnotherOrder)
{
    // As msgfmt lets translations do: "%2$s" is the second argument wherever it stands.
    EXPECT_EQ(FormatText("unknown %s \"%s\" in %s", {"Source Unit", "furlong", "Length"}),
              "unknown Source Unit \"furlong\" in Length");
    EXPECT_EQ(FormatText("%3$s: %1$s \"%2$s\" unbekannt", {"Source Unit", "furlong", "Length"}),
              "Length: Source Unit \"furlong\" unbekannt");
    // With flags, width and precision, and an argument used twice.
    EXPECT_EQ(FormatText("%2$04o|%1$5.1f|%2$d", {2.25, 0755}), "0755|  2.2|493");
    // A position beyond the arguments prints nothing; "%0$" is no position; a width is no position.
    EXPECT_EQ(FormatText("[%3$s]", {"a"}), "[]");
    EXPECT_EQ(FormatText("%0$s|%12d", {"a", 7}), "%0$s|a");
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
