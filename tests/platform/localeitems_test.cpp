#include "platform/localeitems.h"
#include "platform/regional.h"
#include "support/locales.h"
#include "support/testenv.h"
#include "text/formatting.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <locale.h>
#include <monetary.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using kelvara::CLocaleConventions;
using kelvara::GroupingItem;
using kelvara::LocaleItems;
using kelvara::NegativeCurrencyPattern;
using kelvara::PositiveCurrencyPattern;

TEST(LocaleItemsMapping, GroupingTakesTheWindowsForm)
{
    EXPECT_EQ(GroupingItem("\3"), "3;0");
    EXPECT_EQ(GroupingItem("\3\3"), "3;3;0");
    EXPECT_EQ(GroupingItem("\3\2"), "3;2;0");
    EXPECT_EQ(GroupingItem("\3\x7f"), "3");
    EXPECT_EQ(GroupingItem(""), "0");
    EXPECT_EQ(GroupingItem("\x7f"), "0");
    // A group the item cannot write ends the grouping.
    EXPECT_EQ(GroupingItem("\3\x0c"), "3");
}

TEST(LocaleItemsMapping, CurrencyPatternsFollowSymbolSpaceAndSignPlacement)
{
    // The locales people use: fr_FR and de_DE "-1 234,56 €", en_US and en_IN "-$1,234.56",
    // de_CH "CHF -1'234.56", nl_NL "€ -1.234,56".
    EXPECT_EQ(NegativeCurrencyPattern(0, 1, 1), 8);
    EXPECT_EQ(NegativeCurrencyPattern(1, 0, 1), 1);
    EXPECT_EQ(NegativeCurrencyPattern(1, 1, 4), 12);
    EXPECT_EQ(NegativeCurrencyPattern(1, 2, 4), 12);
    EXPECT_EQ(PositiveCurrencyPattern(0, 1), 3);
    EXPECT_EQ(PositiveCurrencyPattern(1, 0), 0);
    EXPECT_EQ(PositiveCurrencyPattern(1, 1), 2);
    EXPECT_EQ(PositiveCurrencyPattern(0, 0), 1);

    // Symbol first: (0) ($1.1), (1) -$1.1, (2) $1.1-, (3) -$1.1, (4) $-1.1; spaced after the symbol.
    const int before[2][5] = {{0, 1, 3, 1, 2}, {14, 9, 11, 9, 12}};
    // Symbol last: (0) (1.1$), (1) -1.1$, (2) 1.1$-, (3) 1.1-$, (4) 1.1$-; spaced before it.
    const int after[2][5] = {{4, 5, 7, 6, 7}, {15, 8, 10, 13, 10}};
    for (int sep = 0; sep <= 1; ++sep) {
        for (int posn = 0; posn <= 4; ++posn) {
            EXPECT_EQ(NegativeCurrencyPattern(1, sep, posn), before[sep][posn]) << sep << "/" << posn;
            EXPECT_EQ(NegativeCurrencyPattern(0, sep, posn), after[sep][posn]) << sep << "/" << posn;
        }
    }
    // Not given (CHAR_MAX): the sign first, the symbol before the number, no space.
    EXPECT_EQ(NegativeCurrencyPattern(-1, -1, -1), 1);
    EXPECT_EQ(NegativeCurrencyPattern(CHAR_MAX, CHAR_MAX, CHAR_MAX), 1);
    EXPECT_EQ(PositiveCurrencyPattern(CHAR_MAX, CHAR_MAX), 0);
}

TEST(LocaleItemsMapping, TheCLocaleReadsAmountsLikeNumbers)
{
    CLocaleConventions c;
    c.decimalPoint = ".";
    const LocaleItems items = kelvara::MapLocaleConventions(c);
    EXPECT_EQ(items.decimal, ".");
    EXPECT_EQ(items.thousand, "");
    EXPECT_EQ(items.grouping, "0");
    EXPECT_EQ(items.monDecimal, ".");
    EXPECT_EQ(items.monThousand, "");
    EXPECT_EQ(items.monGrouping, "0");
    EXPECT_EQ(items.negativeNumber, 1);
    EXPECT_EQ(items.leadingZero, 1);
    EXPECT_EQ(items.negativeCurrency, 1);
    EXPECT_EQ(items.positiveCurrency, 0);
}

using kelvara::test::ScopedEnv;

class LocaleObject {
public:
    explicit LocaleObject(const std::string& name) : m_locale(newlocale(LC_ALL_MASK, name.c_str(), nullptr))
    {
    }
    ~LocaleObject()
    {
        if (m_locale)
            freelocale(m_locale);
    }
    LocaleObject(const LocaleObject&) = delete;
    LocaleObject& operator=(const LocaleObject&) = delete;
    locale_t Get() const { return m_locale; }

private:
    locale_t m_locale;
};

// The C library's own rendering of a number with grouping, in `locale`.
std::string LibraryNumber(locale_t locale, double value, int digits)
{
    const locale_t previous = uselocale(locale);
    char buffer[256];
    // The "'" flag (group digits) is POSIX, not ISO C++; a runtime format keeps -Wpedantic quiet.
    const std::string format = "%'.*f";
    std::snprintf(buffer, sizeof buffer, format.c_str(), digits, value);
    uselocale(previous);
    return buffer;
}

std::string CurrencySymbol(locale_t locale)
{
    const locale_t previous = uselocale(locale);
    std::string symbol = localeconv()->currency_symbol;
    uselocale(previous);
    return symbol;
}

// An amount without its currency symbol and the spaces around symbol and sign, which the
// patterns place differently; the separators inside the number stay.
std::string WithoutSymbol(std::string text, const std::string& symbol)
{
    if (!symbol.empty()) {
        for (auto at = text.find(symbol); at != std::string::npos; at = text.find(symbol))
            text.erase(at, symbol.size());
    }
    std::erase(text, ' ');
    for (const std::string space : {"\u00A0", "\u202F"}) {
        while (text.starts_with(space))
            text.erase(0, space.size());
        while (text.ends_with(space))
            text.erase(text.size() - space.size());
    }
    return text;
}

int FractionDigits(const std::string& neutral)
{
    const auto point = neutral.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(neutral.size() - point - 1);
}

class LocaleAgreement : public testing::TestWithParam<const char*> {};

// Our regional display, from the items read out of the environment, against the C library's own
// grouping and separators: printf's "'" flag for numbers, strfmon for amounts.
TEST_P(LocaleAgreement, DisplayMatchesTheCLibrary)
{
    const std::string name = GetParam();
    const std::string problem = kelvara::test::ProvideLocale(name);
    if (!problem.empty())
        GTEST_SKIP() << problem;
    kelvara::SetLocaleItemsSource(nullptr);
    ScopedEnv all("LC_ALL", name.c_str());
    LocaleObject locale(name);
    ASSERT_TRUE(locale.Get());

    const double values[] = {
        0,        7,         -7,          12.5,         999,      1000, -1000, 1234.5,         -1234.5,
        12345.25, 123456.75, 1234567.891, -1234567.891, 10000000, 0.25, -0.5,  123456789012.0, -98765432.1};
    for (const double value : values) {
        const std::string neutral = FormatDouble(value);
        const std::string shown = ToRegionalNumber(neutral);
        EXPECT_EQ(shown, LibraryNumber(locale.Get(), value, FractionDigits(neutral)))
            << name << ": " << neutral;
        EXPECT_EQ(FromRegionalNumber(shown), neutral) << name << ": " << shown;
    }

    const std::string symbol = CurrencySymbol(locale.Get());
    for (const double value : values) {
        const std::string neutral = FormatDouble(value);
        const int digits = FractionDigits(neutral);
        if (digits > 2)
            continue;
        char buffer[256];
        const std::string format = "%." + std::to_string(digits) + "n";
        ASSERT_GE(strfmon_l(buffer, sizeof buffer, locale.Get(), format.c_str(), value), 0);
        const std::string shown = ToRegionalCurrency(neutral);
        EXPECT_EQ(WithoutSymbol(shown, symbol), WithoutSymbol(buffer, symbol))
            << name << ": " << neutral << " (the C library shows \"" << buffer << "\")";
        EXPECT_EQ(FromRegionalCurrency(shown), neutral) << name << ": " << shown;
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleAgreement,
                         testing::Values("de_DE.UTF-8", "fr_FR.UTF-8", "de_CH.UTF-8", "en_IN.UTF-8",
                                         "en_US.UTF-8", "nl_NL.UTF-8"),
                         [](const testing::TestParamInfo<const char*>& locale) {
                             return std::string(locale.param).substr(0, 5);
                         });

class EnvironmentItems : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string problem = kelvara::test::ProvideLocale("de_DE.UTF-8");
        if (!problem.empty())
            GTEST_SKIP() << problem;
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

// Other code may switch the process-wide locale; the items follow the user's environment only.
TEST_F(EnvironmentItems, IgnoreTheProcessWideLocale)
{
    {
        ScopedEnv all("LC_ALL", "de_DE.UTF-8");
        std::setlocale(LC_ALL, "C");
        const LocaleItems items = kelvara::ReadEnvironmentLocaleItems();
        EXPECT_EQ(items.decimal, ",");
        EXPECT_EQ(items.thousand, ".");
        EXPECT_EQ(items.grouping, "3;3;0");
        EXPECT_EQ(items.monDecimal, ",");
        EXPECT_EQ(items.negativeCurrency, 8);
        EXPECT_EQ(items.positiveCurrency, 3);
    }
    ScopedEnv all("LC_ALL", "C");
    ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8"));
    const LocaleItems items = kelvara::ReadEnvironmentLocaleItems();
    EXPECT_EQ(items.decimal, ".");
    EXPECT_EQ(items.thousand, "");
    // The process-wide locale is as it was.
    EXPECT_STREQ(localeconv()->decimal_point, ",");
}

TEST_F(EnvironmentItems, AnUnknownLocaleLosesOnlyItsOwnCategories)
{
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv lang("LANG", "xx_YY.UTF-8");
    ScopedEnv monetary("LC_MONETARY", nullptr);
    ScopedEnv numeric("LC_NUMERIC", "de_DE.UTF-8");
    const LocaleItems items = kelvara::ReadEnvironmentLocaleItems();
    EXPECT_EQ(items.decimal, ",");
    // Monetary items fall back to the "C" locale, which borrows the number separators.
    EXPECT_EQ(items.monDecimal, ",");
    EXPECT_EQ(items.negativeCurrency, 1);
}

TEST_F(EnvironmentItems, NamedLocalesReadDirectly)
{
    LocaleItems items;
    ASSERT_TRUE(kelvara::ReadNamedLocaleItems("de_DE.UTF-8", items));
    EXPECT_EQ(items.decimal, ",");
    EXPECT_FALSE(kelvara::ReadNamedLocaleItems("xx_YY.UTF-8", items));
}

} // namespace
