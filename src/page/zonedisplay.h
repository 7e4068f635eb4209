#pragma once

#include "platform/clock.h"

#include <string>

class CBaseUnit;
class CCategory;

// What the page needs of the time-difference category, in one place.
namespace kelvara {

// The local time of `zone` (a unit of the time-difference category) at universal time `utc`, as
// the page shows it; empty for anything that is not a zone.
std::string FormatZoneTime(const CBaseUnit* zone, UtcTicks utc);
// The system-zone line: the system's own zone and whether it is on daylight saving time; empty
// for any other category.
std::string SystemZoneText(const CCategory& category);
// Opens the desktop's date and time settings, if it has any.
void OpenDateTimeSettings(const CCategory& category);

} // namespace kelvara
