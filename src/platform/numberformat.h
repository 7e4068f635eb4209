#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvara {

// How FormatNumber lays out a number.
struct NumberFormat {
    unsigned digits = 0;      // fractional digits shown (the value is rounded or padded)
    unsigned leadingZero = 1; // 0: a value below 1 starts with the decimal separator
    // Group sizes as decimal digits, least significant group first: 3 = 1,234,567; 32 =
    // 12,34,567; 0 = no grouping. A last digit of 0 ends the grouping, any other repeats.
    unsigned grouping = 3;
    std::string decimal = ".";
    std::string thousand = ",";
    unsigned negativeOrder = 1; // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -"
};

// How FormatCurrency lays out an amount: the number settings plus the place of the symbol.
struct CurrencyFormat {
    unsigned digits = 2;
    unsigned leadingZero = 1;
    unsigned grouping = 3;
    std::string decimal = ".";
    std::string thousand = ",";
    // Negative:  0 ($1.1)   1 -$1.1   2 $-1.1   3 $1.1-   4 (1.1$)   5 -1.1$   6 1.1-$   7 1.1$-
    //            8 -1.1 $   9 -$ 1.1 10 1.1 $- 11 $ 1.1- 12 $ -1.1  13 1.1- $ 14 ($ 1.1) 15 (1.1 $)
    unsigned negativeOrder = 0;
    // Positive:  0 $1.1   1 1.1$   2 $ 1.1   3 1.1 $
    unsigned positiveOrder = 0;
    std::string symbol;
};

// Formats `value`, an optional "-" followed by digits with an optional "." and digits, by
// `format`. Nothing (no value) when the value has another form or the format is out of range.
// Separators may be any UTF-8 text.
std::optional<std::string> FormatNumber(std::string_view value, const NumberFormat& format);
std::optional<std::string> FormatCurrency(std::string_view value, const CurrencyFormat& format);

// The grouping number of a grouping item: each piece above 0, in order, as one decimal digit
// ("3;0" -> 3, "3;2;0" -> 32, "0;0" -> 0).
unsigned GroupingNumber(std::string_view item);

} // namespace kelvara
