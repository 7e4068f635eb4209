#pragma once

#include <string>

namespace kelvara {

// Scheme and host (and optionally a port or a base path) of the web services the program asks
// for currency rates and updates, without a trailing "/". The settings value "ServiceAddress" of
// section "Settings" overrides the address the build was configured with
// (-DKELVARA_SERVICE_ADDRESS=...). Only http and https addresses are taken from the settings.
std::string ServiceAddress();

} // namespace kelvara
