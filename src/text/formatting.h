#pragma once

#include <string>

// A double in neutral notation: printed with fifteen decimals from at most 17 significant digits
// (zeros after them), then trailing zeros and a trailing point removed (2.5 -> "2.5", 100 -> "100",
// 123.45 -> "123.45", 655.957 -> "655.95699999999999"). A value that fifteen decimals would show
// as 0 gets the decimals its leading fifteen significant digits need (1.5e-16 ->
// "0.00000000000000015"); zero, -0.0 included, is "0". Independent of the process locale.
std::string FormatDouble(double value);

namespace kelvara {

// `value` rounded to `digits` significant digits (1 to 17), as printf's "%.*e" rounds, in neutral
// notation without trailing zeros: 37.77777 at 6 digits is "37.7778", 9.9999996 is "10". Zero or
// fewer digits mean all of them: FormatDouble.
std::string FormatSignificant(double value, int digits);
// The double nearest to `value` rounded to `digits` significant digits; zero or fewer: `value`.
double RoundSignificant(double value, int digits);

// printf's "%.Nf" with "." as the decimal point, whatever the process locale.
std::string FormatFixed(double value, int decimals);

} // namespace kelvara
