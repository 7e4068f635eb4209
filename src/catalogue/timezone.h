#pragma once

#include "catalogue/baseunit.h"
#include "catalogue/civiltime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

class ZoneTimeline;
struct OffsetChange;

// A transition time of a zone record. Year 0: a recurring rule, on the day-th (5 = last)
// dayOfWeek (0 = Sunday) of the month; otherwise an absolute date. Month 0 in a record's standard
// date: the zone has no daylight saving.
struct TransitionTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
    bool operator==(const TransitionTime&) const = default;
};

// A zone's offset and daylight-saving rules. Universal time = local standard time + bias (minutes;
// east of Greenwich is negative). The standard date is in local daylight time, the daylight date
// in local standard time.
struct ZoneRecord {
    std::int32_t bias = 0;
    std::string standardName;
    TransitionTime standardDate;
    std::int32_t standardBias = 0;
    std::string daylightName;
    TransitionTime daylightDate;
    std::int32_t daylightBias = 0;
};

// The local time of universal time `utc` by the zone record's rules (northern rule when the
// daylight date's month comes first, southern when the standard date's does; the daylight date and
// the standard date themselves still belong to the time before them).
UtcTicks LocalTimeFromUtc(const ZoneRecord& zone, UtcTicks utc);

} // namespace kelvara

// One zone of the system's time-zone database. Its standard name is the zone id
// ("Europe/Berlin"), which is also how the system's own zone is matched.
class CTimeZone : public CBaseUnit {
public:
    // A zone that follows one record for ever.
    CTimeZone(std::string name, kelvara::ZoneRecord record);
    // A zone whose record is rebuilt for each year from its history where `record` (the rule the
    // zone follows now) does not describe that year exactly.
    CTimeZone(std::string name, kelvara::ZoneRecord record, bool recordIsExact,
              std::unique_ptr<const kelvara::ZoneTimeline> timeline);
    ~CTimeZone() override;

    std::string GetName() const override { return m_name; }
    bool Parse(const std::string&) override { return true; }
    std::string GetStandardName() const { return m_record.standardName; }
    // The time of day in this zone at universal time `utc`, in the user's time format.
    std::string FormatLocalTime(kelvara::UtcTicks utc) const;

    const std::string& GetZoneId() const { return m_record.standardName; }
    // The rule the zone follows now; for zones whose rule the record cannot express this is an
    // approximation, and GetRecordAt tells the real one.
    const kelvara::ZoneRecord& GetZoneRecord() const { return m_record; }
    // The record that gives the right local time at `utc` (built from the year's transitions when
    // the zone's rule does not fit the record).
    kelvara::ZoneRecord GetRecordAt(kelvara::UtcTicks utc) const;
    // Local time at `utc` (ticks on the local clock).
    kelvara::UtcTicks LocalTimeAt(kelvara::UtcTicks utc) const;
    // Minutes east of universal time of the zone's standard time (the display name's offset).
    std::int32_t GetStandardOffset() const { return -m_record.bias; }

private:
    struct YearRecord;
    std::int64_t LocalYearAt(kelvara::UtcTicks utc) const;
    const YearRecord& RecordForYear(std::int64_t year) const;
    void BuildYearRecord(std::int64_t year, YearRecord& out) const;

    std::string m_name;
    kelvara::ZoneRecord m_record;
    bool m_recordIsExact = true;
    std::unique_ptr<const kelvara::ZoneTimeline> m_timeline;
    // The page asks every second; a year's record is built once and kept.
    mutable std::unique_ptr<YearRecord> m_year;
};

namespace kelvara {

// "(UTC+01:00) Europe/Berlin" for an offset in minutes east and a zone id.
std::string ZoneDisplayName(std::int32_t offsetMinutes, std::string_view id);
// Every character the "(UTC+hh:mm)" before the id may hold, folded: a search that knows only the
// id can tell whether the whole name may match without reading the offset.
inline constexpr std::string_view kZoneNamePrefixChars = "(utc+-0123456789:)";

// The zone `id` from the bytes of its TZif file; null when they are malformed.
std::unique_ptr<CTimeZone> MakeTimeZone(const std::string& id, std::string_view tzif);
// Universal time itself, for when the database has no usable Etc/UTC.
std::unique_ptr<CTimeZone> MakeUtcZone();

} // namespace kelvara
