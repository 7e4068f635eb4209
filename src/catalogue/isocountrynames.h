#pragma once

#include <string_view>

namespace kelvara {

// The English name iso-codes gives the country with the Internet code `code` (lower case, "de"),
// which is what its catalogue (kCountryDomain) translates; null for a code ISO 3166-1 does not
// have. The table is made at build time from iso-codes' iso_3166-1.json.
const char* IsoCountryName(std::string_view code);

} // namespace kelvara
