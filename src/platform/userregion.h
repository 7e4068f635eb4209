#pragma once

#include <string>

namespace kelvara {

// What the user's locale says about where they live: enough to open each category on the units
// and currency they most likely want. Empty texts mean the locale does not say.
struct UserRegion {
    bool metric = true;   // LC_MEASUREMENT: metric, or the United States' customary units
    std::string currency; // LC_MONETARY's international symbol without its separator: "EUR"
    std::string country;  // LC_ADDRESS's two-letter country code, upper case: "DE"
};

// Where the region comes from. The program reads the user's environment through the C library;
// tests install a source with a fixed region.
class UserRegionSource {
public:
    virtual ~UserRegionSource() = default;
    virtual UserRegion Read() const = 0;
};

// Installs `source` (not owned; null: the C library's reading of the environment).
void SetUserRegionSource(const UserRegionSource* source);
UserRegion ReadUserRegion();

} // namespace kelvara
