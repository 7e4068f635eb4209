#include "text/textmatch.h"

#include <gtest/gtest.h>

using kelvara::MatchesQuery;
using kelvara::TextQuery;

TEST(TextMatch, AnyPartOfTheTextWithoutRegardToCase)
{
    EXPECT_TRUE(MatchesQuery("Japan Yen (JPY)", "yen"));
    EXPECT_TRUE(MatchesQuery("Japan Yen (JPY)", "YEN"));
    EXPECT_TRUE(MatchesQuery("Japan Yen (JPY)", "an ye"));
    EXPECT_TRUE(MatchesQuery("United States Dollar (USD)", "usd"));
    EXPECT_TRUE(MatchesQuery("(UTC+09:00) Asia/Tokyo", "tokyo"));
    EXPECT_FALSE(MatchesQuery("Japan Yen (JPY)", "yens"));
    EXPECT_FALSE(MatchesQuery("", "a"));
}

TEST(TextMatch, AccentsFoldAsTheListsSort)
{
    EXPECT_TRUE(MatchesQuery("° Réaumur (°R)", "reaumur"));
    EXPECT_TRUE(MatchesQuery("° Reaumur (°R)", "RÉAUMUR"));
    EXPECT_TRUE(MatchesQuery("Côte d'Ivoire", "cote"));
    EXPECT_TRUE(MatchesQuery("Ångström (Å)", "angstrom"));
    EXPECT_TRUE(MatchesQuery("São Tomé and Príncipe", "SAO TOME"));
    // Symbols are not letters: the degree and micro signs stay themselves.
    EXPECT_TRUE(MatchesQuery("° Celsius (°C)", "°c"));
    EXPECT_FALSE(MatchesQuery("° Celsius (°C)", "oc"));
    EXPECT_TRUE(MatchesQuery("micrometer (µm)", "µm"));
    EXPECT_FALSE(MatchesQuery("micrometer (µm)", "um"));
}

TEST(TextMatch, BracketsAndSymbolsAreOrdinaryText)
{
    EXPECT_TRUE(MatchesQuery("foot (ft)", "(ft)"));
    EXPECT_FALSE(MatchesQuery("foot and inch (ft. in.)", "(ft)"));
    EXPECT_TRUE(MatchesQuery("[JP] bu/tsubo", "tsubo"));
    EXPECT_TRUE(MatchesQuery("[JP] bu/tsubo", "[jp]"));
    EXPECT_TRUE(MatchesQuery("square meter (m²)", "m²"));
    EXPECT_TRUE(MatchesQuery("(UTC-03:30) America/St_Johns", "-03:30"));
    EXPECT_FALSE(MatchesQuery("(UTC+03:30) Asia/Tehran", "-03:30"));
}

TEST(TextMatch, EveryWordMustOccurInAnyOrder)
{
    EXPECT_TRUE(MatchesQuery("[US] gallon (gal)", "us gal"));
    EXPECT_TRUE(MatchesQuery("[US] gallon (gal)", "gal us"));
    EXPECT_FALSE(MatchesQuery("[UK] gallon (gal)", "us gal"));
    // Blanks of any kind separate words; a word may occur inside another word's match.
    EXPECT_TRUE(MatchesQuery("[US] gallon (gal)", "\tgallon  gal \n"));
}

TEST(TextMatch, AQueryWithoutWordsMatchesEverything)
{
    EXPECT_TRUE(TextQuery("").IsEmpty());
    EXPECT_TRUE(TextQuery(" \t ").IsEmpty());
    EXPECT_FALSE(TextQuery(" x ").IsEmpty());
    EXPECT_TRUE(MatchesQuery("", ""));
    EXPECT_TRUE(MatchesQuery("meter (m)", "  "));
}

TEST(TextMatch, BytesThatAreNotUtf8ReadAsLatin1)
{
    // A data file written in Latin-1 beside the program still finds its accented names.
    EXPECT_TRUE(MatchesQuery("R\xE9"
                             "aumur",
                             "reaumur"));
    EXPECT_TRUE(MatchesQuery("x\xC3", "xa"));
    EXPECT_FALSE(MatchesQuery("\x80\x80", "a"));
    EXPECT_TRUE(MatchesQuery("x\x80y", "\x80"));
}
