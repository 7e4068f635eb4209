#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara {

// Where the system's own zone came from.
enum class SystemZoneSource {
    None,
    Environment, // TZ
    Localtime,   // the target of /etc/localtime
    TimezoneFile // /etc/timezone
};

struct SystemZone {
    // As configured: a zone id, a path, a POSIX rule; for a copied /etc/localtime the zone
    // /etc/timezone names, if any.
    std::string name;
    // When the setting is a file (/etc/localtime, or TZ as a path such as ":/etc/localtime"): that
    // file and every link on the way to its contents, as absolute paths; the last one is not a link.
    std::vector<std::string> files;
    SystemZoneSource source = SystemZoneSource::None;
    // Whether the C library's local time reads the same setting (it never reads /etc/timezone).
    bool libraryFollows = false;
};

// The system's zone: TZ (without a leading ':'; set but empty means UTC, as for the C library),
// else /etc/localtime (its link target, or a copied file with /etc/timezone as a hint), else the
// first line of /etc/timezone.
SystemZone ReadSystemZone();
// `path` made absolute, then each link target in turn (relative ones taken from the link's real
// folder); the last entry is no link. At most 40 links are followed.
std::vector<std::string> FollowLinks(const std::string& path);
// Tests point /etc/localtime and /etc/timezone elsewhere; empty paths restore them.
void SetSystemZoneFilesOverride(const std::string& localtime, const std::string& timezone);

// The C library's offset (seconds east of universal time) of the system's zone at `unixSeconds`;
// false when it cannot tell.
bool SystemOffsetAt(std::int64_t unixSeconds, long& offset);

} // namespace kelvara
