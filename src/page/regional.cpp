#include "page/regional.h"

// Neutral pass-through until the locale items are wired in.
std::string ToRegionalNumber(const std::string& text) { return text; }
std::string ToRegionalCurrency(const std::string& text) { return text; }
std::string FromRegionalNumber(const std::string& text) { return text; }
std::string FromRegionalCurrency(const std::string& text) { return text; }
std::string GetRegionalNumberChars() { return ".,-"; }
std::string GetRegionalCurrencyChars() { return ".,-"; }
