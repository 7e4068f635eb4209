#include "catalogue/splitrow.h"
#include "support/locales.h"
#include "text/leadingnumber.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

using Fields = std::vector<std::string>;

Fields Split(std::string_view line, std::size_t minimum = 0, bool* ok = nullptr)
{
    Fields fields{"stale"};
    const bool result = SplitRow(line, minimum, fields);
    if (ok)
        *ok = result;
    return fields;
}

TEST(SplitRow, QuotedFieldsKeepCommasAndLoseTheirQuotes)
{
    EXPECT_EQ(Split(R"r("foot and inch (ft. in.)",*,0.3048,"ft",12,"in","x ft y in, 1ft = 12in")r"),
              (Fields{"foot and inch (ft. in.)", "*", "0.3048", "ft", "12", "in", "x ft y in, 1ft = 12in"}));
    EXPECT_EQ(Split(R"r("hand [horses]",0.1016, " 4 in ")r"), (Fields{"hand [horses]", "0.1016", "4 in"}));
    EXPECT_EQ(Split(R"r("Congo, Republic of",cg)r"), (Fields{"Congo, Republic of", "cg"}));
}

TEST(SplitRow, TrailingCommaAddsNothingButInnerCommasAddEmptyFields)
{
    EXPECT_EQ(Split(R"r("[DE] Doppelzentner (dz)",100000 ,)r"),
              (Fields{"[DE] Doppelzentner (dz)", "100000"}));
    EXPECT_EQ(Split("12,12,"), (Fields{"12", "12"}));
    EXPECT_EQ(Split("ac,247,,,,Ascension Island"), (Fields{"ac", "247", "", "", "", "Ascension Island"}));
}

TEST(SplitRow, CommentsAndBlankLinesYieldNoField)
{
    bool ok = true;
    EXPECT_TRUE(Split(";unit,value,comment", 2, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Split("\t").empty());
    EXPECT_TRUE(Split("").empty());
    EXPECT_TRUE(Split("   ; a comment").empty());
}

TEST(SplitRow, SemicolonInsideALastUnquotedFieldStays)
{
    EXPECT_EQ(Split("x,a ;b"), (Fields{"x", "a ;b"}));
}

TEST(SplitRow, UnterminatedQuotesRunToTheEndOfTheLine)
{
    EXPECT_EQ(Split(R"r(a,"open field, more)r"), (Fields{"a", "open field, more"}));
    EXPECT_EQ(Split(R"r(a,b,")r"), (Fields{"a", "b", ""}));
    // A missing comma after a quoted field is tolerated.
    EXPECT_EQ(Split(R"r("a"b,c)r"), (Fields{"a", "b", "c"}));
}

TEST(SplitRow, ReportsWhetherTheMinimumWasMetButKeepsWhatItFound)
{
    bool ok = true;
    EXPECT_EQ(Split("one,two", 3, &ok), (Fields{"one", "two"}));
    EXPECT_FALSE(ok);
    Split("one,two,three", 3, &ok);
    EXPECT_TRUE(ok);
}

TEST(LeadingNumber, DecimalFormReadsTheLongestNumericPrefix)
{
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("1.84333e+006"), 1843330);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("100000 "), 100000);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("  -2.5kg"), -2.5);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("5."), 5);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("1e"), 1);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("2E-3x"), 0.002);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("1.2.3"), 1.2);
    EXPECT_EQ(kelvara::ReadLeadingDouble("0.0000000000000000001602"), 1.602e-19);
}

TEST(LeadingNumber, TextWithoutANumberReadsAsZero)
{
    for (const char* text : {"abc", "", ".", "-", "e5", "inf", "nan", "0x10"})
        EXPECT_EQ(kelvara::ReadLeadingDouble(text), 0.0) << text;
}

TEST(LeadingNumber, OutOfRangeValuesSaturate)
{
    EXPECT_TRUE(std::isinf(kelvara::ReadLeadingDouble("1e999")));
    EXPECT_EQ(kelvara::ReadLeadingDouble("1e-999"), 0.0);
    EXPECT_EQ(kelvara::ReadLeadingInteger("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(kelvara::ReadLeadingInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(kelvara::ReadLeadingInt32("4294967297"), INT32_MAX);
}

TEST(LeadingNumber, IntegerFormStopsAtTheFirstNonDigit)
{
    EXPECT_EQ(kelvara::ReadLeadingInteger(" 37,abc"), 37);
    EXPECT_EQ(kelvara::ReadLeadingInteger("-12.9"), -12);
    EXPECT_EQ(kelvara::ReadLeadingInteger("+7"), 7);
    EXPECT_EQ(kelvara::ReadLeadingInteger("abc"), 0);
    EXPECT_EQ(kelvara::ReadLeadingInteger("- 3"), 0);
}

TEST(LeadingNumber, PointIsTheDecimalSeparatorUnderEveryLocale)
{
    const std::string problem = kelvara::test::ProvideLocale("de_DE.UTF-8");
    ASSERT_EQ(problem, "");
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(kelvara::ReadLeadingDouble("-2.5e3"), -2500);
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
