#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// One local-time type of a TZif file: the offset east of universal time and the daylight flag.
struct LocalTimeType {
    std::int32_t offset = 0; // seconds
    bool isDst = false;
};

// The contents of a TZif file that matter here: the transitions (universal seconds, strictly
// ascending, each with the index of the type in effect from then on), the types and the footer.
struct TzifData {
    std::vector<std::int64_t> times;
    std::vector<std::uint8_t> typeIndexes;
    std::vector<LocalTimeType> types;
    std::string footer; // the POSIX TZ string after the 64-bit data; empty when there is none
};

// Reads a TZif file of any version (the 64-bit section when there is one). False, leaving `data`
// unspecified, for anything malformed: bad magic, counts that overrun the bytes, type indexes out
// of range, times out of order, absurd offsets.
bool ParseTzif(std::string_view bytes, TzifData& data);

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

// A change of offset: from universal second `at` on, `offset` seconds east applies.
struct OffsetChange {
    std::int64_t at = 0;
    std::int32_t offset = 0;
    bool isDst = false;
    bool operator==(const OffsetChange&) const = default;
};

// A zone's whole history and future: the listed transitions, continued by the footer rule after
// the last of them.
class ZoneTimeline {
public:
    ZoneTimeline() = default;
    explicit ZoneTimeline(const TzifData& data);
    // Only the footer rule (a zone with no listed transitions).
    explicit ZoneTimeline(const PosixTzRule& rule);

    // The offset in effect at universal second `t` (a change at exactly `t` already applies).
    LocalTimeType At(std::int64_t t) const;
    // The changes with `from` <= at < `to`, in order; changes that keep the offset are left out.
    std::vector<OffsetChange> ChangesBetween(std::int64_t from, std::int64_t to) const;
    // Like ChangesBetween, but from the footer rule alone (empty when there is none).
    std::vector<OffsetChange> RuleChangesBetween(std::int64_t from, std::int64_t to) const;

    const std::optional<PosixTzRule>& GetRule() const { return m_rule; }
    LocalTimeType GetInitial() const { return m_initial; }
    // The last listed transition (the footer rule governs after it); nullopt when none is listed.
    std::optional<std::int64_t> GetLastListed() const;

private:
    LocalTimeType RuleAt(std::int64_t t) const;
    void AppendRuleChanges(std::int64_t from, std::int64_t to, std::vector<OffsetChange>& out) const;

    LocalTimeType m_initial;
    std::vector<OffsetChange> m_listed;
    std::optional<PosixTzRule> m_rule;
};

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

// Reads a whole small file; false when it cannot be read or exceeds `limit` bytes.
bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t limit = 1 << 20);

} // namespace kelvara
