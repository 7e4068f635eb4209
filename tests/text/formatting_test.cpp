#include "text/formatting.h"

#include "support/locales.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(FormatDouble, FifteenDecimalsThenTrailingZerosAndPointGo)
{
    EXPECT_EQ(FormatDouble(2.5), "2.5");
    EXPECT_EQ(FormatDouble(100), "100");
    EXPECT_EQ(FormatDouble(1000), "1000");
    EXPECT_EQ(FormatDouble(-2.5), "-2.5");
    EXPECT_EQ(FormatDouble(12.250), "12.25");
    // Seventeen significant digits, then zeros: 123.45 holds 123.4500000000000028...
    EXPECT_EQ(FormatDouble(123.45), "123.45");
    EXPECT_EQ(FormatDouble(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatDouble(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FormatDouble(1e20), "100000000000000000000");
    EXPECT_EQ(FormatDouble(0), "0");
}

TEST(FormatDouble, ResultsOfTheConvertersAsTheyHaveAlwaysBeenWritten)
{
    // 100 degrees Fahrenheit in Celsius, 0 K in Celsius, 0 degrees Reaumur in Rankine.
    EXPECT_EQ(FormatDouble((100 - 32) * 0.5555555555555556), "37.777777777777779");
    EXPECT_EQ(FormatDouble(0 - 273.15), "-273.14999999999998");
    EXPECT_EQ(FormatDouble(0 * 2.25 + 491.67), "491.67000000000002");
    EXPECT_EQ(FormatDouble((98.6 - 32) * 0.5555555555555556), "37");
    // A rate line: one euro in CFA francs.
    EXPECT_EQ(FormatDouble(655.957), "655.95699999999999");
    EXPECT_EQ(FormatDouble(1.29301 * 100), "129.30099999999999");
    EXPECT_EQ(FormatDouble(1.75 * 1 / 0.3048 * 0.3048), "1.75");
    // The fifteen decimals are rounded from the seventeen digits, not from the exact value:
    // 3.2808398950131234528... is 3.2808398950131235 to seventeen digits.
    EXPECT_EQ(FormatDouble(3.6 / 1.09728), "3.280839895013124");
    // A last kept digit of 5 or more rounds up, also when that carries into the integer part.
    EXPECT_EQ(FormatDouble(6e-16), "0.000000000000001");
    EXPECT_EQ(FormatDouble(-0.9999999999999999), "-1");
}

TEST(FormatDouble, EveryNumberOfIntegerDigitsFromOneToTwentyTwo)
{
    // Beyond seventeen digits the runtime writes zeros, also in the integer part.
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {9.7654321, "9.7654321"},
        {98.7654321, "98.765432099999998"},
        {987.7654321, "987.7654321"},
        {9876.7654321, "9876.7654321000009"},
        {98765.7654321, "98765.765432100001"},
        {987654.7654321, "987654.76543210004"},
        {9876543.7654321, "9876543.7654321007"},
        {98765432.7654321, "98765432.765432104"},
        {987654321.7654321, "987654321.76543212"},
        {9876543210.7654321, "9876543210.7654324"},
        {98765432109.7654321, "98765432109.765427"},
        {987654321098.7654321, "987654321098.76538"},
        {9876543210987.7654321, "9876543210987.7656"},
        {98765432109876.7654321, "98765432109876.766"},
        {987654321098765.7654321, "987654321098765.75"},
        {9876543210987654.7654321, "9876543210987654"},
        {98765432109876543.7654321, "98765432109876544"},
        {987654321098765432.7654321, "987654321098765440"},
        {9876543210987654321.7654321, "9876543210987655200"},
        {98765432109876543210.7654321, "98765432109876543000"},
        {987654321098765432109.7654321, "987654321098765370000"},
        {9876543210987654321098.7654321, "9876543210987653700000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDouble(c.value), c.text);
        EXPECT_EQ(FormatDouble(-c.value), std::string("-") + c.text);
    }
    EXPECT_EQ(FormatDouble(1e21), "1000000000000000000000");
    EXPECT_EQ(FormatDouble(1e22), "10000000000000000000000");
}

TEST(FormatDouble, ExtremesDoNotOverflowTheBuffer)
{
    const std::string max = FormatDouble(std::numeric_limits<double>::max());
    EXPECT_EQ(max.size(), 309u);
    EXPECT_EQ(max.substr(0, 18), "179769313486231570");
    EXPECT_EQ(max.find_first_not_of('0', 17), std::string::npos);
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::max()).size(), 310u);
    EXPECT_EQ(FormatDouble(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatDouble(std::nan("")), "nan");
}

std::string Zeros(int count)
{
    return std::string(static_cast<std::size_t>(count), '0');
}

// Below 0.5e-15 fifteen decimals read 0; such a value shows its leading fifteen significant digits
// instead, and only a zero reads 0. Whatever read non-zero before reads as it did.
TEST(FormatDouble, ANonZeroValueNeverReadsZero)
{
    const struct {
        double value;
        std::string text;
    } cases[] = {
        {-0.0, "0"},
        {1.602176634e-19, "0.0000000000000000001602176634"}, // 1 eV in joules
        {-1e-16, "-0.0000000000000001"},
        {4.999999999999999e-16, "0.0000000000000005"}, // fifteen digits round up to one
        {5e-16, "0.000000000000001"},                  // reads non-zero already: as before
        {1e-300, "0." + Zeros(299) + "1"},
        {-std::numeric_limits<double>::denorm_min(), "-0." + Zeros(323) + "494065645841247"},
        {1e300, "10000000000000001" + Zeros(284)}, // 1.00000000000000005e300 to seventeen digits
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDouble(c.value), c.text) << c.value;
}

// Rounded as printf's "%.*e" rounds the exact double, then written in fixed notation without
// trailing zeros; a rounding that carries adds a digit in front.
TEST(FormatSignificant, RoundsTheValueToTheDigitsAskedFor)
{
    const struct {
        double value;
        int digits;
        std::string text;
    } cases[] = {
        {(100 - 32) * 0.5555555555555556, 6, "37.7778"},
        {(100 - 32) * 0.5555555555555556, 17, "37.777777777777779"},
        {655.957, 6, "655.957"}, // the double is 655.95699999999999...
        {9.9999996, 6, "10"},
        {999.95, 4, "1000"}, // 999.950000000000045... is above the half
        {9.5, 1, "10"},      // an exact half goes to the even digit, as printf does
        {1e-300, 6, "0." + Zeros(299) + "1"},
        {std::numeric_limits<double>::denorm_min(), 4, "0." + Zeros(323) + "4941"},
        {-1e300, 6, "-1" + Zeros(300)},
        {0.5, 6, "0.5"},
        {-2.71828, 2, "-2.7"},
        {123, 6, "123"},                   // as many digits before the point as the value has: no point
        {1.0 / 3, 0, "0.333333333333333"}, // all digits: as FormatDouble writes it
        {std::numeric_limits<double>::infinity(), 6, "inf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kelvara::FormatSignificant(c.value, c.digits), c.text) << c.value << " at " << c.digits;
}

// What compound units carry over (the ounces of 1.3 lb): rounded as the result is written, and
// untouched with "all digits" (0), beyond 17 digits, or when there is nothing to round.
TEST(RoundSignificant, RoundsAsTheResultIsWrittenOrNotAtAll)
{
    const double third = 1.0 / 3;
    const struct {
        double value;
        int digits;
        double rounded;
    } cases[] = {
        {third, 0, third},
        {third, -1, third},
        {third, 17, third},
        {third, 40, third},
        {third, 3, 0.333},
        {-2.71828, 2, -2.7},
        {999.95, 4, 1000},
        {0.0, 6, 0.0},
        {std::numeric_limits<double>::infinity(), 6, std::numeric_limits<double>::infinity()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kelvara::RoundSignificant(c.value, c.digits), c.rounded) << c.value << " at " << c.digits;
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
