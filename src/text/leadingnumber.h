#pragma once

#include <cstdint>
#include <string_view>

namespace kelvara {

// The leading-number readings used for every number in a data file and in neutral text.
// Both skip leading white space, stop at the first character that does not fit and read text
// without a leading number as 0. "." is always the decimal point, whatever the locale.

// Decimal form: [sign] digits with at most one "." (at least one digit) [e|E [sign] digits].
double ReadLeadingDouble(std::string_view text);

// Integer form: [sign] decimal digits. Values beyond the 64-bit range saturate.
std::int64_t ReadLeadingInteger(std::string_view text);

// The integer form clamped to 32 bits, as the data files' integer columns are stored.
std::int32_t ReadLeadingInt32(std::string_view text);

// Whether `text` is wholly digits with at most one "." and at least one digit ("1234.5", ".5"):
// no sign, exponent, blank or anything else.
bool IsPlainDecimal(std::string_view text);

// Whether `text` is a number as a value field takes it: an optional minus sign, then a plain
// decimal ("-12.5", ".5").
bool IsNumberInput(std::string_view text);

} // namespace kelvara
