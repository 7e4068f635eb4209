#pragma once

#include <string_view>

namespace kelvara {

// The English name iso-codes gives the country with the Internet code `code` (lower case, "de"),
// which is what its catalogue (kCountryDomain) translates; null for a code ISO 3166-1 does not
// have. The tables are made at build time from iso-codes' JSON lists.
const char* IsoCountryName(std::string_view code);
// Likewise the name of the current currency `code` (upper case, "CHF") in kCurrencyDomain; null
// for a code ISO 4217 no longer (or never) lists.
const char* IsoCurrencyName(std::string_view code);

} // namespace kelvara
