#include "platform/localeitems.h"
#include "platform/regional.h"
#include "text/formatting.h"

#include <gtest/gtest.h>

namespace {

using kelvara::LocaleItems;

// Installs fixed locale items for the life of a test.
class Regional : public testing::Test {
protected:
    Regional() { kelvara::SetLocaleItemsSource(&m_source); }
    ~Regional() override { kelvara::SetLocaleItemsSource(nullptr); }

    void Use(const LocaleItems& items) { m_source.Set(items); }

    static LocaleItems German()
    {
        LocaleItems items;
        items.decimal = items.monDecimal = ",";
        items.thousand = items.monThousand = ".";
        return items;
    }

private:
    kelvara::FixedLocaleItems m_source{LocaleItems{}};
};

TEST_F(Regional, NumbersTakeTheSeparatorsAndGroupingOfTheLocale)
{
    EXPECT_EQ(ToRegionalNumber("1234567.891"), "1,234,567.891");
    Use(German());
    EXPECT_EQ(ToRegionalNumber("1234567.891"), "1.234.567,891");
    LocaleItems indian;
    indian.grouping = "3;2;0";
    Use(indian);
    EXPECT_EQ(ToRegionalNumber("1234567.891"), "12,34,567.891");
    EXPECT_EQ(ToRegionalNumber("123456789012"), "1,23,45,67,89,012");
    LocaleItems ungrouped;
    ungrouped.grouping = "0;0";
    Use(ungrouped);
    EXPECT_EQ(ToRegionalNumber("1234567.891"), "1234567.891");
}

TEST_F(Regional, DisplayDropsTrailingZerosButKeepsEveryOtherFractionalDigit)
{
    EXPECT_EQ(ToRegionalNumber("10.500"), "10.5");
    EXPECT_EQ(ToRegionalNumber("10.000"), "10");
    EXPECT_EQ(ToRegionalNumber("0.25"), "0.25");
    EXPECT_EQ(ToRegionalNumber(FormatDouble(1.0 / 3)), "0.333333333333333");
    EXPECT_EQ(ToRegionalNumber(FormatDouble(1e20)), "100,000,000,000,000,000,000");
    EXPECT_EQ(ToRegionalNumber("-0"), "-0");
    EXPECT_EQ(ToRegionalNumber("-0.5"), "-0.5");
    EXPECT_EQ(ToRegionalCurrency("-0.5"), "(0.5)");
}

TEST_F(Regional, NonNumbersPassThroughBothDisplayConversionsUnchanged)
{
    LocaleItems items = German();
    items.negativeNumber = 0;
    Use(items);
    for (const char* text :
         {"FF", "MCMLXX", "####", "12:30:05", "", "-", "1.2.3", ".5", "-.5", "12 kg", "+49", "nan", "-inf"}) {
        EXPECT_EQ(ToRegionalNumber(text), text);
        EXPECT_EQ(ToRegionalCurrency(text), text);
    }
}

TEST_F(Regional, ReadingUndoesTheSeparators)
{
    Use(German());
    EXPECT_EQ(FromRegionalNumber("1.234.567,891"), "1234567.891");
    EXPECT_EQ(FromRegionalNumber("1 234"), "1234");
    EXPECT_EQ(FromRegionalNumber("-12,5"), "-12.5");
    EXPECT_EQ(FromRegionalCurrency("1.234,50"), "1234.50");
    LocaleItems items;
    items.negativeNumber = 0;
    Use(items);
    EXPECT_EQ(FromRegionalNumber("(12)"), "-12");
    items.negativeNumber = 3;
    Use(items);
    EXPECT_EQ(FromRegionalNumber("12-"), "-12");
    // Text that is no number comes back as it was, for the unit to read.
    EXPECT_EQ(FromRegionalNumber("MCMLXX"), "MCMLXX");
}

TEST_F(Regional, ParenthesisedCurrencyPatternsReadAsNegative)
{
    for (int pattern : {0, 4, 14, 15}) {
        LocaleItems items;
        items.negativeCurrency = pattern;
        Use(items);
        EXPECT_EQ(FromRegionalCurrency("(12.50)"), "-12.50") << "pattern " << pattern;
        EXPECT_EQ(FromRegionalCurrency("( 12.50)"), "-12.50") << "pattern " << pattern;
        EXPECT_EQ(FromRegionalCurrency("12.50"), "12.50") << "pattern " << pattern;
        EXPECT_EQ(GetRegionalCurrencyChars(), ".,()") << "pattern " << pattern;
    }
    LocaleItems items;
    items.negativeCurrency = 8;
    Use(items);
    EXPECT_EQ(FromRegionalCurrency("(12.50)"), "(12.50)");
    EXPECT_EQ(GetRegionalCurrencyChars(), ".,-");
}

// Every layout the locale can choose must read back as the value that was shown.
TEST_F(Regional, EveryNegativePatternRoundTripsThroughDisplayAndReading)
{
    const char* values[] = {"-1234567.891", "-0.5", "-12", "-1000", "1234.5", "0", "-0", "999999.25"};
    for (int pattern = 0; pattern <= 4; ++pattern) {
        for (const LocaleItems& base : {LocaleItems{}, German()}) {
            LocaleItems items = base;
            items.negativeNumber = pattern;
            Use(items);
            for (const char* value : values)
                EXPECT_EQ(FromRegionalNumber(ToRegionalNumber(value)), value)
                    << "number pattern " << pattern << " shows " << ToRegionalNumber(value);
        }
    }
    for (int negative = 0; negative <= 15; ++negative) {
        for (int positive = 0; positive <= 3; ++positive) {
            LocaleItems items = German();
            items.negativeCurrency = negative;
            items.positiveCurrency = positive;
            Use(items);
            for (const char* value : values)
                EXPECT_EQ(FromRegionalCurrency(ToRegionalCurrency(value)), value)
                    << "currency patterns " << negative << "/" << positive << " show "
                    << ToRegionalCurrency(value);
        }
    }
}

TEST_F(Regional, SignsAndParenthesesEncloseTheWholeNumber)
{
    LocaleItems items;
    items.negativeNumber = 0;
    Use(items);
    EXPECT_EQ(ToRegionalNumber("-1234.5"), "(1,234.5)");
    items.negativeNumber = 3;
    Use(items);
    EXPECT_EQ(ToRegionalNumber("-1234.5"), "1,234.5-");
    items.negativeNumber = 4;
    Use(items);
    EXPECT_EQ(ToRegionalNumber("-1234.5"), "1,234.5 -");
    // Monetary patterns with a separated symbol keep only the inner space.
    items.negativeCurrency = 14;
    Use(items);
    EXPECT_EQ(ToRegionalCurrency("-1234.5"), "( 1,234.5)");
    items.negativeCurrency = 8;
    items.positiveCurrency = 3;
    Use(items);
    EXPECT_EQ(ToRegionalCurrency("-1234.5"), "-1,234.5");
    EXPECT_EQ(ToRegionalCurrency("1234.5"), "1,234.5");
}

TEST_F(Regional, CurrencyUsesTheMonetaryItemsOnly)
{
    LocaleItems items;
    items.decimal = "!";
    items.thousand = "?";
    items.monDecimal = ",";
    items.monThousand = "'";
    items.monGrouping = "3;2;0";
    Use(items);
    EXPECT_EQ(ToRegionalCurrency("1234567.5"), "12'34'567,5");
    EXPECT_EQ(FromRegionalCurrency("12'34'567,5"), "1234567.5");
    EXPECT_EQ(ToRegionalNumber("1234567.5"), "1?234?567!5");
}

TEST_F(Regional, MultiByteSeparatorsWorkBothWays)
{
    LocaleItems items;
    items.decimal = items.monDecimal = ",";
    items.thousand = items.monThousand = "\u202F";
    Use(items);
    EXPECT_EQ(ToRegionalNumber("-1234567.25"), "-1\u202F234\u202F567,25");
    EXPECT_EQ(FromRegionalNumber("-1\u202F234\u202F567,25"), "-1234567.25");
    EXPECT_EQ(GetRegionalNumberChars(), ",\u202F-");
    items.decimal = ".";
    items.thousand = "\u2019";
    Use(items);
    EXPECT_EQ(ToRegionalNumber("1234567.25"), "1\u2019234\u2019567.25");
    EXPECT_EQ(FromRegionalNumber("1\u2019234\u2019567.25"), "1234567.25");
    // A separator that only shares bytes with a character of the text takes nothing from it.
    EXPECT_EQ(FromRegionalNumber("\u2018x\u2019"), "\u2018x");
}

TEST_F(Regional, InputCharactersFollowTheNegativePatterns)
{
    Use(German());
    EXPECT_EQ(GetRegionalNumberChars(), ",.-");
    LocaleItems items;
    items.negativeNumber = 0;
    Use(items);
    EXPECT_EQ(GetRegionalNumberChars(), ".,()");
    // Items that cannot be read add nothing.
    items.thousand.clear();
    items.negativeNumber = -1;
    Use(items);
    EXPECT_EQ(GetRegionalNumberChars(), ".");
}

TEST_F(Regional, ItemsAreReadAtEveryCall)
{
    EXPECT_EQ(ToRegionalNumber("1234.5"), "1,234.5");
    Use(German());
    EXPECT_EQ(ToRegionalNumber("1234.5"), "1.234,5");
}

TEST_F(Regional, PatternsOutOfRangeLeaveTheTextAlone)
{
    LocaleItems items;
    items.negativeNumber = 7;
    items.negativeCurrency = 16;
    Use(items);
    EXPECT_EQ(ToRegionalNumber("-1234.5"), "-1234.5");
    EXPECT_EQ(ToRegionalCurrency("-1234.5"), "-1234.5");
}

} // namespace
