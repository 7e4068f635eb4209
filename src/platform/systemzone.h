#pragma once

#include <cstdint>
#include <string>

namespace kelvara {

// Where the system's own zone came from.
enum class SystemZoneSource {
    None,
    Environment, // TZ
    Localtime,   // the target of /etc/localtime
    TimezoneFile // /etc/timezone
};

struct SystemZone {
    std::string name; // as configured: a zone id, a path into the database or a POSIX rule
    SystemZoneSource source = SystemZoneSource::None;
    // Whether the C library's local time reads the same setting (it never reads /etc/timezone).
    bool libraryFollows = false;
};

// The system's zone: TZ (without a leading ':'; set but empty means UTC, as for the C library),
// else the target of the /etc/localtime link, else the first line of /etc/timezone.
SystemZone ReadSystemZone();
// Tests point /etc/localtime and /etc/timezone elsewhere; empty paths restore them.
void SetSystemZoneFilesOverride(const std::string& localtime, const std::string& timezone);

// The C library's offset (seconds east of universal time) of the system's zone at `unixSeconds`;
// false when it cannot tell.
bool SystemOffsetAt(std::int64_t unixSeconds, long& offset);

} // namespace kelvara
