#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <string_view>

namespace kelvara {

inline constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::int64_t kSecondsPerDay = 86'400;

// A proleptic Gregorian date and time of day; dayOfWeek 0 = Sunday.
struct CivilTime {
    std::int64_t year = 1970;
    int month = 1;
    int day = 1;
    int dayOfWeek = 4;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::int64_t fraction = 0; // ticks within the second
};

bool IsLeapYear(std::int64_t year);
int DaysInMonth(std::int64_t year, int month);
// Days since 1970-01-01 of a date; day and month may lie outside their ranges and carry over.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);

CivilTime CivilFromTicks(UtcTicks ticks);
UtcTicks TicksFromCivil(const CivilTime& time);
// Floor division of ticks to whole seconds, and back.
std::int64_t SecondsFromTicks(UtcTicks ticks);
inline UtcTicks TicksFromSeconds(std::int64_t seconds)
{
    return seconds * kTicksPerSecond;
}
std::int64_t YearOfSeconds(std::int64_t seconds);
// The day (since 1970-01-01) that universal time `ticks` falls on: floor division, so that the
// instants before 1970 fall on the day they belong to.
std::int64_t DaysFromTicks(UtcTicks ticks);

// Reads "YYYY-MM-DDTHH:MM[:SS[.fraction]]" with an optional trailing "Z" (a space may stand for the
// "T"), as universal time. False for anything else, including out-of-range fields.
bool ParseUtcTimestamp(std::string_view text, UtcTicks& ticks);

} // namespace kelvara
