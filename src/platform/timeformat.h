#pragma once

#include <string>

namespace kelvara {

// A time of day in the user's time format (LC_TIME of the environment), always with seconds.
std::string FormatTimeOfDay(int hour, int minute, int second);

// Tests fix the strftime format (formatted in the "C" locale); an empty format goes back to the
// user's, which is then read afresh from the environment.
void SetTimeFormatOverride(const std::string& format);

// The user's format with seconds added when it has none ("%H:%M" -> "%H:%M:%S").
std::string WithSeconds(const std::string& format);

} // namespace kelvara
