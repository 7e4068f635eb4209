#pragma once

#include "platform/smallfile.h" // ReadSmallFile, used with the database

#include <map>
#include <string>
#include <vector>

namespace kelvara {

// The folder of the system's time-zone database: the override, else $TZDIR, else
// /usr/share/zoneinfo.
std::string TimeZoneDatabaseDir();
// Tests point the database elsewhere; an empty path restores the default.
void SetTimeZoneDatabaseDirOverride(const std::string& path);

// The canonical zone ids of the database: zone.tab, else zone1970.tab, else the Zone lines of
// tzdata.zi. Empty when none of them can be read.
std::vector<std::string> ReadZoneIds(const std::string& dir);
// The database's links (alias -> target) from tzdata.zi; empty when it cannot be read.
std::map<std::string, std::string> ReadZoneLinks(const std::string& dir);

} // namespace kelvara
