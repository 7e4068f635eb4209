#include "catalogue/timezone.h"

#include "catalogue/tzdatabase.h"
#include "catalogue/zonetimeline.h"
#include "platform/timeformat.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace kelvara {

namespace {

bool IsAfter(UtcTicks t, const CivilTime& c, const TransitionTime& r)
{
    if (r.month != c.month)
        return r.month < c.month;
    CivilTime m;
    m.month = c.month;
    if (r.year != 0) {
        m.year = r.year;
        m.day = r.day;
    } else {
        m.year = c.year;
        m.day = (c.day - c.dayOfWeek + r.dayOfWeek + 6) % 7 + 7 * (r.day - 1) + 1;
        if (m.day > DaysInMonth(c.year, c.month))
            m.day -= 7;
    }
    m.hour = r.hour;
    m.minute = r.minute;
    m.second = r.second;
    m.fraction = std::int64_t{r.milliseconds} * (kTicksPerSecond / 1000);
    return t > TicksFromCivil(m);
}

TransitionTime AbsoluteTransition(std::int64_t localSeconds)
{
    const CivilTime c = CivilFromTicks(TicksFromSeconds(localSeconds));
    TransitionTime t;
    t.year = static_cast<std::uint16_t>(c.year);
    t.month = static_cast<std::uint16_t>(c.month);
    t.dayOfWeek = static_cast<std::uint16_t>(c.dayOfWeek);
    t.day = static_cast<std::uint16_t>(c.day);
    t.hour = static_cast<std::uint16_t>(c.hour);
    t.minute = static_cast<std::uint16_t>(c.minute);
    t.second = static_cast<std::uint16_t>(c.second);
    return t;
}

// The recurring transition of a footer rule date. Dates the record cannot hold (Julian days, times
// outside 0-24 h) clear `exact` and are approximated.
TransitionTime RecurringTransition(const PosixTzRule::Date& date, bool& exact)
{
    TransitionTime t;
    std::int32_t time = date.time;
    if (date.kind == PosixTzRule::Date::MonthWeekDay) {
        t.month = static_cast<std::uint16_t>(date.month);
        t.day = static_cast<std::uint16_t>(date.week);
        t.dayOfWeek = static_cast<std::uint16_t>(date.weekday);
    } else {
        exact = false;
        const CivilTime c = CivilFromTicks(TicksFromSeconds(LocalDayStart(date, 2001)));
        t.month = static_cast<std::uint16_t>(c.month);
        t.day = static_cast<std::uint16_t>(std::min(5, (c.day - 1) / 7 + 1));
        t.dayOfWeek = static_cast<std::uint16_t>(c.dayOfWeek);
    }
    if (time < 0 || time >= 86400) {
        exact = false;
        time = std::clamp(time, 0, 86399);
    }
    t.hour = static_cast<std::uint16_t>(time / 3600);
    t.minute = static_cast<std::uint16_t>(time / 60 % 60);
    t.second = static_cast<std::uint16_t>(time % 60);
    return t;
}

ZoneRecord FixedRecord(const std::string& id, std::int32_t offsetSeconds)
{
    ZoneRecord r;
    r.bias = -offsetSeconds / 60;
    r.standardName = id;
    r.daylightName = id;
    return r;
}

// The zone record of a footer rule. Negative daylight saving (Irish winter time) is turned round,
// so that standard time is always the lower offset: the record's rules assume daylight time is
// ahead of standard time.
ZoneRecord RecordFromRule(const std::string& id, const PosixTzRule& rule, bool& exact)
{
    exact = rule.standardOffset % 60 == 0;
    if (!rule.hasDaylight || rule.daylightOffset == rule.standardOffset)
        return FixedRecord(id, rule.standardOffset);
    std::int32_t standard = rule.standardOffset;
    std::int32_t ahead = rule.daylightOffset;
    PosixTzRule::Date begins = rule.start;
    PosixTzRule::Date ends = rule.end;
    if (ahead < standard) {
        std::swap(standard, ahead);
        std::swap(begins, ends);
    }
    exact = exact && ahead % 60 == 0;
    ZoneRecord r = FixedRecord(id, standard);
    r.daylightBias = -(ahead - standard) / 60;
    r.daylightDate = RecurringTransition(begins, exact);
    r.standardDate = RecurringTransition(ends, exact);
    if (r.daylightDate.month == r.standardDate.month)
        exact = false;
    return r;
}

std::int64_t YearStart(std::int64_t year)
{
    return DaysFromCivil(year, 1, 1) * kSecondsPerDay;
}

// Times the record rules are asked about stay within the years a transition time can hold.
UtcTicks ClampToCalendar(UtcTicks utc)
{
    static const UtcTicks first = TicksFromSeconds(YearStart(2));
    static const UtcTicks last = TicksFromSeconds(YearStart(9999));
    return std::clamp(utc, first, last);
}

} // namespace

UtcTicks LocalTimeFromUtc(const ZoneRecord& zone, UtcTicks utc)
{
    const UtcTicks standard = utc - std::int64_t{zone.bias} * kTicksPerMinute;
    const UtcTicks onDaylight = standard - std::int64_t{zone.daylightBias} * kTicksPerMinute;
    if (zone.standardDate.month == 0)
        return standard;
    const CivilTime s = CivilFromTicks(standard);
    const CivilTime d = CivilFromTicks(onDaylight);
    bool inDaylight = false;
    if (zone.daylightDate.month < zone.standardDate.month) {
        inDaylight = d.month >= s.month && IsAfter(standard, s, zone.daylightDate) &&
                     !IsAfter(onDaylight, d, zone.standardDate);
    } else if (zone.standardDate.month < zone.daylightDate.month) {
        inDaylight = !IsAfter(onDaylight, d, zone.standardDate) || IsAfter(standard, s, zone.daylightDate);
    }
    return standard - std::int64_t{inDaylight ? zone.daylightBias : zone.standardBias} * kTicksPerMinute;
}

std::string ZoneDisplayName(std::int32_t offsetMinutes, std::string_view id)
{
    const std::int32_t magnitude = std::abs(offsetMinutes);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "(UTC%c%02d:%02d) ", offsetMinutes < 0 ? '-' : '+',
                  static_cast<int>(magnitude / 60 % 100), static_cast<int>(magnitude % 60));
    return prefix + std::string(id);
}

std::unique_ptr<CTimeZone> MakeTimeZone(const std::string& id, std::string_view tzif)
{
    TzifData data;
    if (!ParseTzif(tzif, data))
        return nullptr;
    auto timeline = std::make_unique<ZoneTimeline>(data);
    bool exact = true;
    ZoneRecord record;
    if (timeline->GetRule()) {
        record = RecordFromRule(id, *timeline->GetRule(), exact);
    } else {
        // Without a footer the last listed type goes on for ever.
        const std::int64_t last = timeline->GetLastListed().value_or(0);
        record = FixedRecord(id, timeline->At(last).offset);
    }
    // A zone that has only ever had one offset needs no history.
    if (!timeline->GetLastListed() && record.standardDate.month == 0 && exact)
        return std::make_unique<CTimeZone>(ZoneDisplayName(-record.bias, id), record);
    std::string name = ZoneDisplayName(-record.bias, id);
    return std::make_unique<CTimeZone>(std::move(name), std::move(record), exact, std::move(timeline));
}

std::unique_ptr<CTimeZone> MakeUtcZone()
{
    return std::make_unique<CTimeZone>(ZoneDisplayName(0, "Etc/UTC"), FixedRecord("Etc/UTC", 0));
}

} // namespace kelvara

using namespace kelvara;

// The record that serves one local year: a single record, or (for years the record cannot
// describe, such as one with three changes) the offsets between the year's changes.
struct CTimeZone::YearRecord {
    std::int64_t year = LLONG_MIN;
    ZoneRecord record;
    bool bySegments = false;
    std::int32_t firstOffset = 0;
    std::vector<OffsetChange> changes;

    // The offset at `utc` by the year's changes; the instant of a change still belongs to the time
    // before it, as with the record's rules.
    std::int32_t OffsetAt(UtcTicks utc) const
    {
        std::int32_t offset = firstOffset;
        for (const OffsetChange& c : changes) {
            if (utc <= TicksFromSeconds(c.at))
                break;
            offset = c.offset;
        }
        return offset;
    }
};

CTimeZone::CTimeZone(std::string name, ZoneRecord record)
    : m_name(std::move(name)), m_record(std::move(record))
{
}

CTimeZone::CTimeZone(std::string name, ZoneRecord record, bool recordIsExact,
                     std::unique_ptr<const ZoneTimeline> timeline)
    : m_name(std::move(name)), m_record(std::move(record)), m_recordIsExact(recordIsExact),
      m_timeline(std::move(timeline))
{
}

CTimeZone::~CTimeZone() = default;

std::string CTimeZone::FormatLocalTime(UtcTicks utc) const
{
    const CivilTime local = CivilFromTicks(LocalTimeAt(utc));
    return FormatTimeOfDay(local.hour, local.minute, local.second);
}

UtcTicks CTimeZone::LocalTimeAt(UtcTicks utc) const
{
    utc = ClampToCalendar(utc);
    return LocalTimeFromUtc(GetRecordAt(utc), utc);
}

ZoneRecord CTimeZone::GetRecordAt(UtcTicks utc) const
{
    if (!m_timeline)
        return m_record;
    utc = ClampToCalendar(utc);
    const YearRecord& year = RecordForYear(LocalYearAt(utc));
    if (!year.bySegments)
        return year.record;
    return FixedRecord(m_record.standardName, year.OffsetAt(utc));
}

std::int64_t CTimeZone::LocalYearAt(UtcTicks utc) const
{
    const std::int64_t seconds = SecondsFromTicks(utc);
    // The instant of a change still belongs to the time before it.
    const bool onSecond = TicksFromSeconds(seconds) == utc;
    return YearOfSeconds(seconds + m_timeline->At(onSecond ? seconds - 1 : seconds).offset);
}

const CTimeZone::YearRecord& CTimeZone::RecordForYear(std::int64_t year) const
{
    if (!m_year)
        m_year = std::make_unique<YearRecord>();
    if (m_year->year != year) {
        YearRecord fresh;
        BuildYearRecord(year, fresh);
        *m_year = std::move(fresh);
    }
    return *m_year;
}

void CTimeZone::BuildYearRecord(std::int64_t year, YearRecord& out) const
{
    out.year = year;
    const std::int64_t yearStart = YearStart(year);
    const std::int64_t yearEnd = YearStart(year + 1);
    constexpr std::int64_t margin = 2 * kSecondsPerDay;

    // The stretches of constant offset whose local times reach into the year.
    const std::vector<OffsetChange> all = m_timeline->ChangesBetween(yearStart - margin, yearEnd + margin);
    std::vector<std::int32_t> offsets{m_timeline->At(yearStart - margin - 1).offset};
    for (const OffsetChange& c : all)
        offsets.push_back(c.offset);
    std::size_t first = offsets.size(), last = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::int64_t begin = i == 0 ? LLONG_MIN / 2 : all[i - 1].at;
        const std::int64_t end = i == all.size() ? LLONG_MAX / 2 : all[i].at;
        if (begin + offsets[i] < yearEnd && end + offsets[i] >= yearStart) {
            first = std::min(first, i);
            last = std::max(last, i);
        }
    }
    if (first > last) {
        first = 0;
        last = 0;
    }
    out.firstOffset = offsets[first];
    out.changes.assign(all.begin() + static_cast<std::ptrdiff_t>(first),
                       all.begin() + static_cast<std::ptrdiff_t>(last));

    // Every instant where the rules could go wrong: each real change and each change the footer
    // rule would make, and the first hours of every month (where the daylight and standard clocks
    // can fall into different months).
    std::vector<OffsetChange> candidates = out.changes;
    for (const OffsetChange& c : m_timeline->RuleChangesBetween(yearStart - margin, yearEnd + margin))
        candidates.push_back(c);
    auto agrees = [&](const ZoneRecord& record) {
        std::vector<UtcTicks> probes;
        for (const OffsetChange& c : candidates) {
            const UtcTicks at = TicksFromSeconds(c.at);
            for (const UtcTicks delta : {-60 * kTicksPerSecond, -kTicksPerSecond, UtcTicks{0}, UtcTicks{1},
                                         kTicksPerSecond, 60 * kTicksPerSecond})
                probes.push_back(at + delta);
        }
        std::vector<std::int32_t> distinct{out.firstOffset};
        for (const OffsetChange& c : out.changes)
            if (std::find(distinct.begin(), distinct.end(), c.offset) == distinct.end())
                distinct.push_back(c.offset);
        for (int month = 1; month <= 13; ++month) {
            const std::int64_t monthStart = DaysFromCivil(year, month, 1) * kSecondsPerDay;
            for (const std::int32_t offset : distinct)
                for (const std::int64_t delta : {-3600, -1, 0, 1, 1800, 3599, 3600, 5400, 7199, 7200})
                    probes.push_back(TicksFromSeconds(monthStart - offset + delta));
        }
        for (const UtcTicks probe : probes) {
            if (LocalYearAt(probe) != year)
                continue;
            if (LocalTimeFromUtc(record, probe) - probe != out.OffsetAt(probe) * kTicksPerSecond)
                return false;
        }
        return true;
    };

    if (m_recordIsExact && agrees(m_record)) {
        out.record = m_record;
        return;
    }
    ZoneRecord record = FixedRecord(m_record.standardName, out.firstOffset);
    if (out.changes.empty() && agrees(record)) {
        out.record = record;
        return;
    }
    // One stretch of daylight time inside the year, or one stretch of standard time.
    if (out.changes.size() == 2 && out.changes[1].offset == out.firstOffset) {
        const std::int32_t outer = out.firstOffset;
        const std::int32_t inner = out.changes[0].offset;
        const std::int64_t t1 = out.changes[0].at;
        const std::int64_t t2 = out.changes[1].at;
        const bool northern = inner > outer;
        const std::int32_t standard = northern ? outer : inner;
        const std::int32_t ahead = northern ? inner : outer;
        record = FixedRecord(m_record.standardName, standard);
        record.daylightBias = -(ahead - standard) / 60;
        record.daylightDate = AbsoluteTransition((northern ? t1 : t2) + standard);
        record.standardDate = AbsoluteTransition((northern ? t2 : t1) + ahead);
        if (agrees(record)) {
            out.record = record;
            return;
        }
    }
    out.bySegments = true;
}
