#include "platform/numberformat.h"

#include <gtest/gtest.h>

namespace {

using kelvara::CurrencyFormat;
using kelvara::FormatCurrency;
using kelvara::FormatNumber;
using kelvara::NumberFormat;

std::string Number(std::string_view value, NumberFormat f)
{
    return FormatNumber(value, f).value_or("<failed>");
}

std::string Currency(std::string_view value, CurrencyFormat f)
{
    return FormatCurrency(value, f).value_or("<failed>");
}

TEST(FormatNumber, GroupsByTheGroupingNumber)
{
    NumberFormat f;
    EXPECT_EQ(Number("1234567", f), "1,234,567");
    EXPECT_EQ(Number("123", f), "123");
    EXPECT_EQ(Number("123456", f), "123,456");
    f.grouping = 32;
    EXPECT_EQ(Number("1234567", f), "12,34,567");
    EXPECT_EQ(Number("123456789012", f), "1,23,45,67,89,012");
    f.grouping = 0;
    EXPECT_EQ(Number("1234567", f), "1234567");
    // A final 0 stops the grouping after the groups before it.
    f.grouping = 30;
    EXPECT_EQ(Number("1234567", f), "1234,567");
    f.grouping = 3;
    f.thousand = "";
    EXPECT_EQ(Number("1234567", f), "1234567");
}

TEST(FormatNumber, LaysOutEveryNegativePattern)
{
    NumberFormat f;
    f.digits = 1;
    const char* expected[] = {"(1,234.5)", "-1,234.5", "- 1,234.5", "1,234.5-", "1,234.5 -"};
    for (unsigned order = 0; order < 5; ++order) {
        f.negativeOrder = order;
        EXPECT_EQ(Number("-1234.5", f), expected[order]) << "pattern " << order;
        EXPECT_EQ(Number("1234.5", f), "1,234.5") << "pattern " << order;
    }
    f.negativeOrder = 5;
    EXPECT_FALSE(FormatNumber("-1", f));
}

TEST(FormatNumber, RoundsOrPadsToTheFractionalDigitsAndHonoursTheLeadingZero)
{
    NumberFormat f;
    EXPECT_EQ(Number("1234.5", f), "1,235");
    EXPECT_EQ(Number("999.5", f), "1,000");
    EXPECT_EQ(Number("-0.4", f), "-0");
    f.digits = 2;
    EXPECT_EQ(Number("7", f), "7.00");
    EXPECT_EQ(Number("0.996", f), "1.00");
    EXPECT_EQ(Number("0.25", f), "0.25");
    EXPECT_EQ(Number("000012.5", f), "12.50");
    f.leadingZero = 0;
    EXPECT_EQ(Number("0.25", f), ".25");
    EXPECT_EQ(Number(".25", f), ".25");
    f.digits = 0;
    EXPECT_EQ(Number("0", f), "0");
}

TEST(FormatNumber, RejectsWhatIsNotANumber)
{
    const NumberFormat f;
    for (const char* text : {"", "-", ".", "-.", "FF", "MCMLXX", "####", "12:30", "1.2.3", " 12", "12 ",
                             "+12", "1e5", "--1", "1-"})
        EXPECT_FALSE(FormatNumber(text, f)) << '"' << text << '"';
}

TEST(FormatCurrency, LaysOutEveryPatternWithASymbol)
{
    CurrencyFormat f;
    f.digits = 1;
    f.grouping = 0;
    f.symbol = "$";
    const char* negative[] = {"($1.1)", "-$1.1",  "$-1.1",   "$1.1-",  "(1.1$)", "-1.1$",
                              "1.1-$",  "1.1$-",  "-1.1 $",  "-$ 1.1", "1.1 $-", "$ 1.1-",
                              "$ -1.1", "1.1- $", "($ 1.1)", "(1.1 $)"};
    for (unsigned order = 0; order < 16; ++order) {
        f.negativeOrder = order;
        EXPECT_EQ(Currency("-1.1", f), negative[order]) << "negative pattern " << order;
    }
    const char* positive[] = {"$1.1", "1.1$", "$ 1.1", "1.1 $"};
    for (unsigned order = 0; order < 4; ++order) {
        f.positiveOrder = order;
        EXPECT_EQ(Currency("1.1", f), positive[order]) << "positive pattern " << order;
    }
    f.negativeOrder = 16;
    EXPECT_FALSE(FormatCurrency("-1", f));
    f.negativeOrder = 0;
    f.positiveOrder = 4;
    EXPECT_FALSE(FormatCurrency("1", f));
}

TEST(GroupingNumber, ReadsThePiecesAboveZeroInOrder)
{
    EXPECT_EQ(kelvara::GroupingNumber("3;0"), 3u);
    EXPECT_EQ(kelvara::GroupingNumber("3;2;0"), 32u);
    EXPECT_EQ(kelvara::GroupingNumber("0;0"), 0u);
    EXPECT_EQ(kelvara::GroupingNumber("3"), 3u);
    EXPECT_EQ(kelvara::GroupingNumber(""), 0u);
    EXPECT_EQ(kelvara::GroupingNumber("x;3"), 3u);
    // Far too many pieces saturate instead of overflowing.
    EXPECT_EQ(kelvara::GroupingNumber("1;1;1;1;1;1;1;1;1;1;1;1"), 111111111u);
}

} // namespace
