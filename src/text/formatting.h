#pragma once

#include <string>

// A double in neutral notation: printed with fifteen decimals from at most 17 significant digits
// (zeros after them), then trailing zeros and a trailing point removed (2.5 -> "2.5", 100 -> "100",
// 123.45 -> "123.45", 655.957 -> "655.95699999999999", 1.5e-16 -> "0"). Independent of the
// process locale.
std::string FormatDouble(double value);

namespace kelvara {

// printf's "%.Nf" with "." as the decimal point, whatever the process locale.
std::string FormatFixed(double value, int decimals);

} // namespace kelvara
