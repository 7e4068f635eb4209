#include "catalogue/civiltime.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonetimeline.h"
#include "zonefixtures.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using kelvara::DaysFromCivil;
using kelvara::kSecondsPerDay;
using kelvara::test::BuildTzif;
using kelvara::test::PutU32;
using kelvara::test::TzifContents;

std::int64_t At(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return DaysFromCivil(y, m, d) * kSecondsPerDay + h * 3600 + min * 60 + s;
}

TzifContents TwoTypeZone()
{
    TzifContents c;
    c.types = {{3600, false}, {7200, true}};
    c.transitions = {{At(2020, 3, 29, 1), 1}, {At(2020, 10, 25, 1), 0}};
    c.footer = "CET-1CEST,M3.5.0,M10.5.0/3";
    return c;
}

} // namespace

TEST(Tzif, ReadsTheWideSectionAndTheFooter)
{
    TzifContents c = TwoTypeZone();
    // A time beyond 2038 exists only in the 64-bit section.
    c.transitions.push_back({At(2100, 3, 28, 1), 1});
    kelvara::TzifData data;
    ASSERT_TRUE(kelvara::ParseTzif(BuildTzif(c), data));
    EXPECT_EQ(data.times,
              (std::vector<std::int64_t>{At(2020, 3, 29, 1), At(2020, 10, 25, 1), At(2100, 3, 28, 1)}));
    EXPECT_EQ(data.typeIndexes, (std::vector<std::uint8_t>{1, 0, 1}));
    ASSERT_EQ(data.types.size(), 2u);
    EXPECT_EQ(data.types[1].offset, 7200);
    EXPECT_TRUE(data.types[1].isDst);
    EXPECT_EQ(data.footer, "CET-1CEST,M3.5.0,M10.5.0/3");

    c.version = '\0';
    ASSERT_TRUE(kelvara::ParseTzif(BuildTzif(c), data));
    EXPECT_EQ(data.times.size(), 2u) << "version 1 has only the 32-bit times";
    EXPECT_TRUE(data.footer.empty());
}

TEST(Tzif, RejectsMalformedFiles)
{
    const std::string good = BuildTzif(TwoTypeZone());
    kelvara::TzifData data;
    ASSERT_TRUE(kelvara::ParseTzif(good, data));
    // Every cut inside the data is refused; a cut inside the footer only loses the footer.
    const std::size_t footerStart = good.size() - std::string("\nCET-1CEST,M3.5.0,M10.5.0/3\n").size();
    for (std::size_t length = 0; length < footerStart; ++length)
        EXPECT_FALSE(kelvara::ParseTzif(good.substr(0, length), data)) << "cut at " << length;
    ASSERT_TRUE(kelvara::ParseTzif(good.substr(0, good.size() - 1), data));
    EXPECT_TRUE(data.footer.empty());

    EXPECT_FALSE(kelvara::ParseTzif("TZiF" + good.substr(4), data));

    // Header counts that overrun the file, even when the sums would wrap in 32 bits.
    std::string huge = good;
    huge.replace(32, 4, "\xFF\xFF\xFF\xF0", 4); // timecnt
    EXPECT_FALSE(kelvara::ParseTzif(huge, data));

    TzifContents c = TwoTypeZone();
    c.transitions[1].second = 2; // no such type
    EXPECT_FALSE(kelvara::ParseTzif(BuildTzif(c), data));

    c = TwoTypeZone();
    std::swap(c.transitions[0], c.transitions[1]);
    EXPECT_FALSE(kelvara::ParseTzif(BuildTzif(c), data)) << "times out of order";

    c = TwoTypeZone();
    c.types[1].offset = 100 * 3600;
    EXPECT_FALSE(kelvara::ParseTzif(BuildTzif(c), data)) << "an offset of 100 hours";

    c = TwoTypeZone();
    c.types.clear();
    c.transitions.clear();
    EXPECT_FALSE(kelvara::ParseTzif(BuildTzif(c), data)) << "no types";

    std::string mismatched = good;
    mismatched.replace(20, 4, "\0\0\0\x01", 4); // isutcnt neither 0 nor typecnt
    EXPECT_FALSE(kelvara::ParseTzif(mismatched, data));
}

TEST(PosixTz, ReadsNamesOffsetsAndRules)
{
    kelvara::PosixTzRule rule;
    ASSERT_TRUE(kelvara::ParsePosixTz("CET-1CEST,M3.5.0,M10.5.0/3", rule));
    EXPECT_EQ(rule.standardName, "CET");
    EXPECT_EQ(rule.daylightName, "CEST");
    EXPECT_EQ(rule.standardOffset, 3600);
    EXPECT_EQ(rule.daylightOffset, 7200);
    EXPECT_EQ(rule.start.month, 3);
    EXPECT_EQ(rule.start.week, 5);
    EXPECT_EQ(rule.start.time, 7200) << "the time defaults to 02:00";
    EXPECT_EQ(rule.end.time, 3 * 3600);

    ASSERT_TRUE(kelvara::ParsePosixTz("<+0545>-5:45", rule));
    EXPECT_EQ(rule.standardName, "+0545");
    EXPECT_EQ(rule.standardOffset, 5 * 3600 + 45 * 60);
    EXPECT_FALSE(rule.hasDaylight);

    ASSERT_TRUE(kelvara::ParsePosixTz("<-02>2<-01>,M3.5.0/-1,M10.5.0/0", rule));
    EXPECT_EQ(rule.daylightOffset, -3600);
    EXPECT_EQ(rule.start.time, -3600);

    ASSERT_TRUE(kelvara::ParsePosixTz("EET-2EEST,M3.4.4/50,M10.4.4/50", rule));
    EXPECT_EQ(rule.start.time, 50 * 3600);

    ASSERT_TRUE(kelvara::ParsePosixTz("NST3:30NDT,J60/2:30:15,300", rule));
    EXPECT_EQ(rule.standardOffset, -(3 * 3600 + 30 * 60));
    EXPECT_EQ(rule.start.kind, kelvara::PosixTzRule::Date::JulianNoLeap);
    EXPECT_EQ(rule.start.time, 2 * 3600 + 30 * 60 + 15);
    EXPECT_EQ(rule.end.kind, kelvara::PosixTzRule::Date::ZeroBasedDay);

    // Daylight time without a rule follows the United States' one.
    ASSERT_TRUE(kelvara::ParsePosixTz("EST5EDT", rule));
    EXPECT_EQ(rule.daylightOffset, -4 * 3600);
    EXPECT_EQ(rule.start.month, 3);
    EXPECT_EQ(rule.end.month, 11);

    for (const char* bad : {"", "AB1", "CET", "CET-1CEST,M13.1.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
                            "CET-1CEST,M3.5.7,M10.5.0", "<+01-1", "CET-25", "CET-1CEST,M3.5.0", "CET-1 extra",
                            "CET-1CEST,J0,J365", "CET-1CEST,M3.5.0/168,M10.5.0"})
        EXPECT_FALSE(kelvara::ParsePosixTz(bad, rule)) << bad;
}

TEST(PosixTz, RuleDatesFallOnTheRightDays)
{
    using Date = kelvara::PosixTzRule::Date;
    // Jn never counts 29 February; n does.
    EXPECT_EQ(kelvara::LocalDayStart({Date::JulianNoLeap, 60, 0, 0, 0, 0}, 2024), At(2024, 3, 1));
    EXPECT_EQ(kelvara::LocalDayStart({Date::ZeroBasedDay, 59, 0, 0, 0, 0}, 2024), At(2024, 2, 29));
    EXPECT_EQ(kelvara::LocalDayStart({Date::ZeroBasedDay, 59, 0, 0, 0, 0}, 2026), At(2026, 3, 1));
    // Week 5 is the last such weekday: 22 February 2026, but 29 February 2032.
    EXPECT_EQ(kelvara::LocalDayStart({Date::MonthWeekDay, 0, 2, 5, 0, 0}, 2026), At(2026, 2, 22));
    EXPECT_EQ(kelvara::LocalDayStart({Date::MonthWeekDay, 0, 2, 5, 0, 0}, 2032), At(2032, 2, 29));
    EXPECT_EQ(kelvara::LocalDayStart({Date::MonthWeekDay, 0, 11, 1, 0, 0}, 2026), At(2026, 11, 1));
}

TEST(ZoneTimeline, ContinuesTheListedTransitionsWithTheFooter)
{
    kelvara::TzifData data;
    ASSERT_TRUE(kelvara::ParseTzif(BuildTzif(TwoTypeZone()), data));
    const kelvara::ZoneTimeline timeline(data);
    EXPECT_EQ(timeline.At(At(2020, 1, 1)).offset, 3600);
    EXPECT_EQ(timeline.At(At(2020, 3, 29, 1)).offset, 7200) << "a change applies from its own second";
    EXPECT_EQ(timeline.At(At(2020, 3, 29, 1) - 1).offset, 3600);
    EXPECT_EQ(timeline.At(At(2031, 7, 1)).offset, 7200);
    const auto changes = timeline.ChangesBetween(At(2031, 1, 1), At(2032, 1, 1));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], (kelvara::OffsetChange{At(2031, 3, 30, 1), 7200, true}));
    EXPECT_EQ(changes[1], (kelvara::OffsetChange{At(2031, 10, 26, 1), 3600, false}));
    EXPECT_EQ(timeline.ChangesBetween(At(2031, 1, 1), At(2032, 1, 1)),
              timeline.RuleChangesBetween(At(2031, 1, 1), At(2032, 1, 1)));
}

TEST(ZoneTimeline, DaylightTimeAllYearHasNoChanges)
{
    kelvara::PosixTzRule rule;
    ASSERT_TRUE(kelvara::ParsePosixTz("EST5EDT,0/0,J365/25", rule));
    const kelvara::ZoneTimeline timeline(rule);
    EXPECT_EQ(timeline.At(At(2026, 1, 1, 0, 30)).offset, -4 * 3600);
    EXPECT_EQ(timeline.At(At(2026, 7, 1)).offset, -4 * 3600);
    EXPECT_TRUE(timeline.ChangesBetween(At(2026, 1, 1), At(2028, 1, 1)).empty());
}

TEST(ZoneTimeline, FarOffSentinelsSetTheStartingOffset)
{
    TzifContents c;
    c.types = {{-3600, false}, {7200, false}};
    c.transitions = {{-(std::int64_t{1} << 59), 1}, {At(2000, 1, 1), 0}, {std::int64_t{1} << 60, 1}};
    kelvara::TzifData data;
    ASSERT_TRUE(kelvara::ParseTzif(BuildTzif(c), data));
    const kelvara::ZoneTimeline timeline(data);
    EXPECT_EQ(timeline.At(At(1900, 1, 1)).offset, 7200);
    EXPECT_EQ(timeline.At(At(3000, 1, 1)).offset, -3600);
}

TEST(ZoneList, ReadsCanonicalIdsAndLinks)
{
    const std::string dir = kelvara::test::ZoneTempDir();
    kelvara::test::WriteZoneFile(dir + "/zone.tab",
                                 "# comment\nDE\t+5230+01322\tEurope/Berlin\n"
                                 "XX\t+0000+00000\t../etc/passwd\nYY\t+0\t/etc/shadow\n"
                                 "US\t+404251-0740023\tAmerica/New_York\tEastern (most areas)\n"
                                 "DE\t+5230+01322\tEurope/Berlin\n");
    kelvara::test::WriteZoneFile(dir + "/tzdata.zi", "# version\nZ Europe/Berlin 0:53:28 - LMT 1893 Ap\n"
                                                     "L America/New_York US/Eastern\nL Etc/UTC UTC\n");
    EXPECT_EQ(kelvara::ReadZoneIds(dir), (std::vector<std::string>{"America/New_York", "Europe/Berlin"}));
    const auto links = kelvara::ReadZoneLinks(dir);
    EXPECT_EQ(links.at("US/Eastern"), "America/New_York");
    EXPECT_EQ(links.at("UTC"), "Etc/UTC");

    // Without the tables, the zones of tzdata.zi serve.
    const std::string bare = kelvara::test::ZoneTempDir();
    kelvara::test::WriteZoneFile(bare + "/tzdata.zi",
                                 "Z Europe/Berlin 0:53:28 - LMT 1893 Ap\nZ Factory 0 - -00\n"
                                 "L Europe/Berlin Europe/Oslo\n");
    EXPECT_EQ(kelvara::ReadZoneIds(bare), (std::vector<std::string>{"Europe/Berlin"}));
    EXPECT_TRUE(kelvara::ReadZoneIds(bare + "/missing").empty());
}

TEST(CivilTime, AgreesWithTheCLibrary)
{
    for (std::int64_t t = At(1899, 12, 31); t < At(2101, 1, 1); t += 86400 * 37 + 3601 * 5) {
        const std::time_t when = static_cast<std::time_t>(t);
        std::tm utc{};
        ASSERT_NE(::gmtime_r(&when, &utc), nullptr);
        const kelvara::CivilTime c = kelvara::CivilFromTicks(kelvara::TicksFromSeconds(t));
        ASSERT_EQ(c.year, utc.tm_year + 1900);
        ASSERT_EQ(c.month, utc.tm_mon + 1);
        ASSERT_EQ(c.day, utc.tm_mday);
        ASSERT_EQ(c.dayOfWeek, utc.tm_wday);
        ASSERT_EQ(c.hour * 3600 + c.minute * 60 + c.second,
                  utc.tm_hour * 3600 + utc.tm_min * 60 + utc.tm_sec);
        ASSERT_EQ(kelvara::TicksFromCivil(c), kelvara::TicksFromSeconds(t));
    }
    EXPECT_EQ(kelvara::DaysFromCivil(2026, 13, 1), kelvara::DaysFromCivil(2027, 1, 1)) << "months carry over";
    EXPECT_EQ(kelvara::DaysFromCivil(2026, 0, 1), kelvara::DaysFromCivil(2025, 12, 1));
}

TEST(CivilTime, ParsesUniversalTimestamps)
{
    kelvara::UtcTicks ticks = 0;
    ASSERT_TRUE(kelvara::ParseUtcTimestamp("2026-07-15T12:00:00Z", ticks));
    EXPECT_EQ(ticks, kelvara::TicksFromSeconds(At(2026, 7, 15, 12)));
    ASSERT_TRUE(kelvara::ParseUtcTimestamp("2026-07-15 12:30", ticks));
    EXPECT_EQ(ticks, kelvara::TicksFromSeconds(At(2026, 7, 15, 12, 30)));
    ASSERT_TRUE(kelvara::ParseUtcTimestamp("2024-02-29T23:59:59.25Z", ticks));
    EXPECT_EQ(ticks, kelvara::TicksFromSeconds(At(2024, 2, 29, 23, 59, 59)) + kelvara::kTicksPerSecond / 4);
    for (const char* bad :
         {"", "2026-07-15", "2026-02-29T00:00Z", "2026-07-15T24:00:00Z", "2026-07-15T12:00:00+02:00",
          "2026-7-15T12:00Z", "2026-07-15T12:00:00.Z", "2026-07-15T12:60Z", "2026-07-15T12:00Zx"})
        EXPECT_FALSE(kelvara::ParseUtcTimestamp(bad, ticks)) << bad;
}
