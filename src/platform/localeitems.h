#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace kelvara {

// The regional items the number services read, in the form of the system's locale items (the
// pattern numbers of FormatNumber and FormatCurrency).
// An empty text or a negative number means the item cannot be read.
struct LocaleItems {
    std::string decimal = ".";     // decimal separator
    std::string thousand = ",";    // thousands separator
    std::string grouping = "3;0";  // group sizes from the right, ";"-separated; a final 0 repeats the last
    int leadingZero = 1;           // 1: "0.5", 0: ".5"
    int negativeNumber = 1;        // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -"
    std::string monDecimal = ".";  // monetary decimal separator
    std::string monThousand = ","; // monetary thousands separator
    std::string monGrouping = "3;0";
    int negativeCurrency = 0; // 0 to 15, see FormatCurrency
    int positiveCurrency = 0; // 0 to 3, see FormatCurrency
};

// Where the items come from. The program reads the user's environment through the C library;
// tests install a source with fixed items.
class LocaleItemsSource {
public:
    virtual ~LocaleItemsSource() = default;
    // The items as they are now; called for every conversion, so a change applies at once.
    virtual LocaleItems Read() const = 0;
};

// A source that always answers the same items.
class FixedLocaleItems : public LocaleItemsSource {
public:
    explicit FixedLocaleItems(LocaleItems items) : m_items(std::move(items)) {}
    LocaleItems Read() const override { return m_items; }
    void Set(LocaleItems items) { m_items = std::move(items); }

private:
    LocaleItems m_items;
};

// Installs `source` (not owned; null: the C library's reading of the environment).
void SetLocaleItemsSource(const LocaleItemsSource* source);
// The items from the installed source.
LocaleItems ReadLocaleItems();

// The items of the locale the environment names for LC_NUMERIC and LC_MONETARY (LC_ALL, LC_*,
// LANG), read through a private locale object so that the process-wide setlocale state plays no
// part. A category whose locale cannot be loaded reads as the "C" locale.
LocaleItems ReadEnvironmentLocaleItems();

// The items of one named locale ("de_DE.UTF-8"); false when the C library cannot load it.
bool ReadNamedLocaleItems(const char* name, LocaleItems& items);

// The C library's conventions of a locale, as localeconv reports them.
struct CLocaleConventions {
    std::string decimalPoint;
    std::string thousandsSep;
    std::string grouping; // bytes: group sizes; a final NUL repeats the last, CHAR_MAX stops
    std::string monDecimalPoint;
    std::string monThousandsSep;
    std::string monGrouping;
    int nCsPrecedes = -1; // -1 or CHAR_MAX: not given
    int nSepBySpace = -1;
    int nSignPosn = -1;
    int pCsPrecedes = -1;
    int pSepBySpace = -1;
};

// Maps the C library's conventions onto the items.
LocaleItems MapLocaleConventions(const CLocaleConventions& conventions);

// "\3" -> "3;0", "\3\2" -> "3;2;0", "\3\x7f" -> "3", "" -> "0".
std::string GroupingItem(std::string_view cGrouping);

// The negative (0 to 15) and positive (0 to 3) currency patterns for the C library's placement of
// the symbol, the space and the sign. Values out of range count as not given.
int NegativeCurrencyPattern(int csPrecedes, int sepBySpace, int signPosn);
int PositiveCurrencyPattern(int csPrecedes, int sepBySpace);

} // namespace kelvara
