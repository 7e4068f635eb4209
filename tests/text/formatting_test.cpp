#include "text/formatting.h"

#include "support/locales.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace {

TEST(FormatDouble, FifteenDecimalsThenTrailingZerosAndPointGo)
{
    EXPECT_EQ(FormatDouble(2.5), "2.5");
    EXPECT_EQ(FormatDouble(100), "100");
    EXPECT_EQ(FormatDouble(1000), "1000");
    EXPECT_EQ(FormatDouble(-2.5), "-2.5");
    EXPECT_EQ(FormatDouble(12.250), "12.25");
    // Fifteen decimals show what the double really holds.
    EXPECT_EQ(FormatDouble(123.45), "123.450000000000003");
    EXPECT_EQ(FormatDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatDouble(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatDouble(1e20), "100000000000000000000");
    EXPECT_EQ(FormatDouble(1.5e-16), "0");
    EXPECT_EQ(FormatDouble(-1e-16), "-0");
    EXPECT_EQ(FormatDouble(0), "0");
}

TEST(FormatDouble, ExtremesDoNotOverflowTheBuffer)
{
    const std::string max = FormatDouble(std::numeric_limits<double>::max());
    EXPECT_EQ(max.size(), 309u);
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::max()).size(), 310u);
    EXPECT_EQ(FormatDouble(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatDouble(std::nan("")), "nan");
}

TEST(FormatDouble, IgnoresTheProcessLocale)
{
    ASSERT_EQ(kelvara::test::ProvideLocale("de_DE.UTF-8"), "");
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    EXPECT_EQ(FormatDouble(2.5), "2.5");
    EXPECT_EQ(kelvara::FormatFixed(5.833333333, 6), "5.833333");
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
