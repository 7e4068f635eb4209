#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvara {

// A POSIX TZ rule such as "CET-1CEST,M3.5.0,M10.5.0/3". Offsets are seconds east of universal
// time (the opposite sign of the text).
struct PosixTzRule {
    struct Date {
        enum Kind { JulianNoLeap, ZeroBasedDay, MonthWeekDay };
        Kind kind = MonthWeekDay;
        int day = 0;   // Jn: 1-365; n: 0-365
        int month = 0; // Mm.w.d
        int week = 0;
        int weekday = 0;
        std::int32_t time = 7200; // seconds after local midnight, -167 to 167 hours
    };
    std::string standardName;
    std::string daylightName;
    std::int32_t standardOffset = 0;
    std::int32_t daylightOffset = 0;
    bool hasDaylight = false;
    Date start; // daylight saving begins, in local standard time
    Date end;   // daylight saving ends, in local daylight time
};

bool ParsePosixTz(std::string_view text, PosixTzRule& rule);

// Seconds since 1970 of the midnight (local clock) that starts `date` in `year`.
std::int64_t LocalDayStart(const PosixTzRule::Date& date, std::int64_t year);

} // namespace kelvara
