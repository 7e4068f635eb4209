#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// The web addresses the program talks to or links to. Each has a default chosen when the program
// is built (CMake cache variables KELVARA_SERVICE_URL, KELVARA_UPDATE_URL, KELVARA_HOME_URL) and
// an override in the settings store's options (settingskeys.h):
//   "ServiceUrl"        the currency-rate service
//   "UpdateServiceUrl"  the update service
//   "HomePageUrl"       the project's home page
//   "ReferenceRatesUrl" the European Central Bank's daily reference-rate document
//   "WorldRatesUrl"     the daily world-rate document (replaces both built-in addresses)
// An override that is not a plain http(s) address is ignored, so a damaged or tampered setting
// cannot make the program open a local file or run a script handler.

// Scheme and host (and any path prefix) of the currency-rate service, without a trailing "/";
// callers append "/ucc/...".
std::string ServiceAddress();
// The service's own converter page: ServiceAddress() + "/ucc/".
std::string RateServicePageAddress();
// Scheme and host of the update service, without a trailing "/".
std::string UpdateServiceAddress();
// The project's home page, exactly as configured.
std::string HomePageAddress();
// The full address of the daily reference-rate document, exactly as configured.
std::string ReferenceRatesAddress();
// The addresses of the daily world-rate document, to be tried in turn (KELVARA_WORLD_RATES_URL and
// KELVARA_WORLD_RATES_FALLBACK_URL), or the one the settings give.
std::vector<std::string> WorldRatesAddresses();

// True for "http://host[:port][/path]" or "https://..." (scheme in any case): a host of letters,
// digits, "-" and ".", and a path free of spaces, control characters, quotes, angle brackets and
// backslashes. No user name, query or fragment: the addresses are bases that paths are appended to.
// "@" is refused in the path too unless `allowAtInPath` (package addresses such as ".../pkg@latest/").
bool IsWebAddress(std::string_view address, bool allowAtInPath = false);

} // namespace kelvara
