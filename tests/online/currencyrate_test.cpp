#include "online/currencyrate.h"

#include <gtest/gtest.h>

namespace {

double Parse(std::string_view page, std::string_view code, bool expectFound = true)
{
    double rate = -1;
    EXPECT_EQ(ParseRatePage(page, code, rate), expectFound) << page;
    return rate;
}

TEST(RatePage, ReadsTheNumberBetweenTheMarkers)
{
    EXPECT_DOUBLE_EQ(Parse("<p>1 EUR = 1.29301 USD</p>", "USD"), 1.29301);
    // Blanks and line breaks around the number do not matter.
    EXPECT_DOUBLE_EQ(Parse("x1 EUR = \n\t 0.85 \r\n GBP", "GBP"), 0.85);
}

TEST(RatePage, CommasAreThousandsSeparatorsOnly)
{
    EXPECT_DOUBLE_EQ(Parse("1 EUR = 1,250.5 TRL", "TRL"), 1250.5);
    EXPECT_DOUBLE_EQ(Parse("1 EUR = 1,29 XYZ", "XYZ"), 129);
    EXPECT_DOUBLE_EQ(Parse("1 EUR = 1,234,567.25 IDR", "IDR"), 1234567.25);
}

TEST(RatePage, WhatIsNotANumberReadsAsZeroOrStopsEarly)
{
    // Markup right after the marker: found, but no number.
    EXPECT_EQ(Parse("1 EUR = <b>1.29301</b> USD", "USD"), 0);
    EXPECT_EQ(Parse("1 EUR = about 2 USD", "USD"), 0);
    EXPECT_DOUBLE_EQ(Parse("1 EUR = 1.5 US dollars (USD)", "USD"), 1.5);
    // The code may be anywhere after the marker; only its first occurrence counts.
    EXPECT_DOUBLE_EQ(Parse("1 EUR = 2.5 CAD, 1 CAD = 0.7 USD", "USD"), 2.5);
}

TEST(RatePage, MarkersAreMatchedExactly)
{
    Parse("1 eur = 1.29 USD", "USD", false);
    Parse("1 EUR= 1.29 USD", "USD", false);
    Parse("1  EUR = 1.29 USD", "USD", false);
    // The code must follow the start marker; before it does not count.
    Parse("USD: 1 EUR = 1.29", "USD", false);
    Parse("1 EUR = 1.29 usd", "USD", false);
    Parse("", "USD", false);
    // Only the first start marker counts, even if a later one would read.
    EXPECT_EQ(Parse("1 EUR = n/a; 1 EUR = 1.3 USD", "USD"), 0);
}

TEST(RatePage, EmbeddedNulAndBinaryBytesAreJustText)
{
    const std::string page("\0\xff"
                           "1 EUR = 3.5\0USD",
                           17);
    EXPECT_DOUBLE_EQ(Parse(page, "USD"), 3.5);
}

TEST(RateUrl, AppendsTheCodeToTheFixedQuery)
{
    EXPECT_EQ(BuildRateUrl("https://rates.example", "USD"),
              "https://rates.example/ucc/convert.cgi?Amount=1&From=EUR&To=USD");
    // A code from a hand-edited data file cannot add parameters or break the address.
    EXPECT_EQ(BuildRateUrl("http://h", "A&B C#"),
              "http://h/ucc/convert.cgi?Amount=1&From=EUR&To=A%26B%20C%23");
}

} // namespace
