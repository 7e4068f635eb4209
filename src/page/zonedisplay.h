#pragma once

#include <string>

class CCategory;

// What the page needs of the time-difference category, in one place.
namespace kelvara {

// The system-zone line: the system's own zone and whether it is on daylight saving time; empty
// for any other category.
std::string SystemZoneText(const CCategory& category);
// Opens the desktop's date and time settings, if it has any.
void OpenDateTimeSettings(const CCategory& category);

} // namespace kelvara
