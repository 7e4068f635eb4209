#pragma once

#include <string>

// Conversions between neutral notation ("-1234.5") and the user's regional notation, for plain
// numbers and for monetary amounts, and the characters regional entry admits. The locale items are
// read at every call.
std::string ToRegionalNumber(const std::string& text);
std::string ToRegionalCurrency(const std::string& text);
std::string FromRegionalNumber(const std::string& text);
std::string FromRegionalCurrency(const std::string& text);
std::string GetRegionalNumberChars();
std::string GetRegionalCurrencyChars();
