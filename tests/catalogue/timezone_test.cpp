#include "catalogue/sortedlist.h"
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonetimeline.h"
#include "platform/clock.h"
#include "platform/systemzone.h"
#include "platform/timeformat.h"
#include "support/fakelist.h"
#include "support/recordingpresenter.h"
#include "zonefixtures.h"

#include "support/testenv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace {

using kelvara::CivilTime;
using kelvara::TransitionTime;
using kelvara::UtcTicks;
using kelvara::ZoneRecord;
using kelvara::test::BuildTzif;
using kelvara::test::TzifContents;

std::int64_t Seconds(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return kelvara::DaysFromCivil(y, m, d) * kelvara::kSecondsPerDay + h * 3600 + min * 60 + s;
}

UtcTicks Utc(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return kelvara::TicksFromSeconds(Seconds(y, m, d, h, min, s));
}

// The local time as "YYYY-MM-DD hh:mm:ss", or with the ticks below the second when there are any.
std::string Local(UtcTicks local)
{
    const CivilTime c = kelvara::CivilFromTicks(local);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(c.year),
                  c.month, c.day, c.hour, c.minute, c.second);
    std::string out = text;
    if (c.fraction != 0)
        out += "+" + std::to_string(c.fraction);
    return out;
}

std::string Local(const ZoneRecord& record, UtcTicks utc)
{
    return Local(kelvara::LocalTimeFromUtc(record, utc));
}

std::string Local(const CTimeZone& zone, UtcTicks utc)
{
    return Local(zone.LocalTimeAt(utc));
}

TransitionTime Recurring(int month, int day, int dayOfWeek, int hour)
{
    TransitionTime t;
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.dayOfWeek = static_cast<std::uint16_t>(dayOfWeek);
    t.hour = static_cast<std::uint16_t>(hour);
    return t;
}

// Central European time as the system's zone record writes it.
ZoneRecord CentralEurope()
{
    ZoneRecord r;
    r.bias = -60;
    r.daylightBias = -60;
    r.daylightDate = Recurring(3, 5, 0, 2);
    r.standardDate = Recurring(10, 5, 0, 3);
    return r;
}

class TimeFormatTest : public ::testing::Test {
protected:
    void SetUp() override { kelvara::SetTimeFormatOverride("%H:%M:%S"); }
    void TearDown() override { kelvara::SetTimeFormatOverride(""); }
};

} // namespace

TEST(LocalTimeRule, NorthernZoneSwitchesOnTheLastSundays)
{
    const ZoneRecord zone = CentralEurope();
    EXPECT_EQ(Local(zone, Utc(2026, 1, 15, 12)), "2026-01-15 13:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 7, 15, 12)), "2026-07-15 14:00:00");
    // 29 March 2026 is the last Sunday: 02:00 standard time is the daylight date itself, which is
    // not yet after it; the next tick is.
    EXPECT_EQ(Local(zone, Utc(2026, 3, 29, 1)), "2026-03-29 02:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 3, 29, 1) + 1), "2026-03-29 03:00:00+1");
    EXPECT_EQ(Local(zone, Utc(2026, 3, 29, 1, 0, 1)), "2026-03-29 03:00:01");
    EXPECT_EQ(Local(zone, Utc(2026, 3, 22, 1, 0, 1)), "2026-03-22 02:00:01") << "a Sunday, but not the last";
    // 25 October: daylight time runs to 03:00 daylight time inclusive.
    EXPECT_EQ(Local(zone, Utc(2026, 10, 25, 0, 30)), "2026-10-25 02:30:00");
    EXPECT_EQ(Local(zone, Utc(2026, 10, 25, 1)), "2026-10-25 03:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 10, 25, 1, 0, 1)), "2026-10-25 02:00:01");
    EXPECT_EQ(Local(zone, Utc(2026, 12, 31, 23, 30)), "2027-01-01 00:30:00");
}

TEST(LocalTimeRule, SouthernZoneIsOnDaylightTimeAroundTheNewYear)
{
    ZoneRecord zone; // Australian eastern time
    zone.bias = -600;
    zone.daylightBias = -60;
    zone.daylightDate = Recurring(10, 1, 0, 2);
    zone.standardDate = Recurring(4, 1, 0, 3);
    EXPECT_EQ(Local(zone, Utc(2026, 1, 15, 0)), "2026-01-15 11:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 7, 15, 0)), "2026-07-15 10:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 12, 31, 13)), "2027-01-01 00:00:00");
    // First Sunday of April 2026 is the 5th: 03:00 daylight time is still daylight time.
    EXPECT_EQ(Local(zone, Utc(2026, 4, 4, 16)), "2026-04-05 03:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 4, 4, 16, 0, 1)), "2026-04-05 02:00:01");
    // First Sunday of October 2026 is the 4th.
    EXPECT_EQ(Local(zone, Utc(2026, 10, 3, 16)), "2026-10-04 02:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 10, 3, 16, 0, 1)), "2026-10-04 03:00:01");
}

TEST(LocalTimeRule, RecordsThatCannotSwitch)
{
    ZoneRecord none = CentralEurope();
    none.standardDate.month = 0;
    none.standardBias = 30;
    EXPECT_EQ(Local(none, Utc(2026, 7, 15, 12)), "2026-07-15 13:00:00")
        << "neither daylight nor standard bias";

    ZoneRecord sameMonth = CentralEurope();
    sameMonth.standardDate.month = 3;
    EXPECT_EQ(Local(sameMonth, Utc(2026, 3, 30, 12)), "2026-03-30 13:00:00") << "equal months: standard time";

    ZoneRecord west;
    west.bias = 300;
    EXPECT_EQ(Local(west, Utc(2026, 1, 1, 3, 30)), "2025-12-31 22:30:00");
}

TEST(LocalTimeRule, FifthWeekdayFallsBackToTheFourthAndFebruaryKnowsLeapYears)
{
    ZoneRecord zone = CentralEurope();
    zone.daylightDate = Recurring(2, 5, 0, 2); // the last Sunday of February
    // February 2026 has four Sundays; the last is the 22nd.
    EXPECT_EQ(Local(zone, Utc(2026, 2, 22, 1)), "2026-02-22 02:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 2, 22, 1, 0, 1)), "2026-02-22 03:00:01");
    // 2032 is a leap year whose February has five Sundays, the last on the 29th.
    EXPECT_EQ(Local(zone, Utc(2032, 2, 22, 1, 0, 1)), "2032-02-22 02:00:01");
    EXPECT_EQ(Local(zone, Utc(2032, 2, 29, 1, 0, 1)), "2032-02-29 03:00:01");
    // 2100 is not a leap year: its last Sunday of February is the 28th.
    EXPECT_EQ(Local(zone, Utc(2100, 2, 28, 1, 0, 1)), "2100-02-28 03:00:01");
}

TEST(LocalTimeRule, AbsoluteDatesApplyAsWritten)
{
    ZoneRecord zone;
    zone.bias = 0;
    zone.daylightBias = -60;
    zone.daylightDate = {2026, 3, 0, 22, 2, 0, 0, 0};
    zone.standardDate = {2026, 11, 0, 3, 1, 30, 0, 0};
    EXPECT_EQ(Local(zone, Utc(2026, 3, 22, 2)), "2026-03-22 02:00:00");
    EXPECT_EQ(Local(zone, Utc(2026, 3, 22, 2, 0, 1)), "2026-03-22 03:00:01");
    EXPECT_EQ(Local(zone, Utc(2026, 11, 3, 0, 30)), "2026-11-03 01:30:00");
    EXPECT_EQ(Local(zone, Utc(2026, 11, 3, 0, 30, 1)), "2026-11-03 00:30:01");
}

TEST_F(TimeFormatTest, FormatLocalTimeShowsOnlyTheTimeOfDay)
{
    ZoneRecord west;
    west.bias = 300;
    west.standardName = "America/Bogota";
    CTimeZone zone("(UTC-05:00) America/Bogota", west);
    EXPECT_EQ(zone.FormatLocalTime(Utc(2026, 1, 1, 3, 30)), "22:30:00");
    kelvara::SetTimeFormatOverride("%I:%M:%S %p");
    EXPECT_EQ(zone.FormatLocalTime(Utc(2026, 1, 1, 3, 30, 7)), "10:30:07 PM");
    EXPECT_EQ(zone.GetStandardName(), "America/Bogota");
    std::string ignored;
    EXPECT_TRUE(zone.Parse(ignored));
}

TEST_F(TimeFormatTest, TheUserFormatAlwaysShowsSeconds)
{
    EXPECT_EQ(kelvara::WithSeconds("%H:%M"), "%H:%M:%S");
    EXPECT_EQ(kelvara::WithSeconds("%R"), "%T");
    EXPECT_EQ(kelvara::WithSeconds("%I.%M %p"), "%I.%M:%S %p");
    EXPECT_EQ(kelvara::WithSeconds("%r"), "%r");
    EXPECT_EQ(kelvara::WithSeconds("%Hh%Mm%Ss"), "%Hh%Mm%Ss");
    EXPECT_EQ(kelvara::WithSeconds(""), "%H:%M:%S");

    // Without an injected format, the environment's locale speaks.
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    ::setenv("LC_ALL", "C", 1);
    kelvara::SetTimeFormatOverride("");
    EXPECT_EQ(kelvara::FormatTimeOfDay(7, 5, 9), "07:05:09");
    if (old)
        ::setenv("LC_ALL", saved.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
}

TEST(ZoneFromDatabase, FooterRuleBecomesARecurringRecord)
{
    const auto berlin = kelvara::MakeTimeZone(
        "Europe/Berlin", kelvara::test::RuleOnlyTzif("CET-1CEST,M3.5.0,M10.5.0/3", 3600));
    ASSERT_TRUE(berlin);
    EXPECT_EQ(berlin->GetName(), "(UTC+01:00) Europe/Berlin");
    const ZoneRecord& r = berlin->GetZoneRecord();
    EXPECT_EQ(r.bias, -60);
    EXPECT_EQ(r.daylightBias, -60);
    EXPECT_EQ(r.standardBias, 0);
    EXPECT_EQ(r.daylightDate, Recurring(3, 5, 0, 2));
    EXPECT_EQ(r.standardDate, Recurring(10, 5, 0, 3));
    EXPECT_EQ(r.standardName, "Europe/Berlin");
    EXPECT_EQ(berlin->GetRecordAt(Utc(2031, 6, 1)).standardDate.year, 0)
        << "the rule itself serves every year";

    const auto kolkata =
        kelvara::MakeTimeZone("Asia/Kolkata", kelvara::test::RuleOnlyTzif("IST-5:30", 19800));
    ASSERT_TRUE(kolkata);
    EXPECT_EQ(kolkata->GetName(), "(UTC+05:30) Asia/Kolkata");
    EXPECT_EQ(kolkata->GetZoneRecord().standardDate.month, 0);

    const auto marquesas =
        kelvara::MakeTimeZone("Pacific/Marquesas", kelvara::test::RuleOnlyTzif("<-0930>9:30", -34200));
    ASSERT_TRUE(marquesas);
    EXPECT_EQ(marquesas->GetName(), "(UTC-09:30) Pacific/Marquesas");

    EXPECT_FALSE(kelvara::MakeTimeZone("Broken", "TZif2 and nothing else"));
}

TEST(ZoneFromDatabase, NegativeDaylightSavingIsTurnedRound)
{
    // Irish law calls summer time the standard; the record wants daylight time ahead of it.
    const auto dublin = kelvara::MakeTimeZone(
        "Europe/Dublin", kelvara::test::RuleOnlyTzif("IST-1GMT0,M10.5.0,M3.5.0/1", 3600));
    ASSERT_TRUE(dublin);
    EXPECT_EQ(dublin->GetName(), "(UTC+00:00) Europe/Dublin");
    const ZoneRecord& r = dublin->GetZoneRecord();
    EXPECT_EQ(r.bias, 0);
    EXPECT_EQ(r.daylightBias, -60);
    EXPECT_EQ(r.daylightDate, Recurring(3, 5, 0, 1));
    EXPECT_EQ(r.standardDate, Recurring(10, 5, 0, 2));
    EXPECT_EQ(Local(*dublin, Utc(2026, 1, 15, 12)), "2026-01-15 12:00:00");
    EXPECT_EQ(Local(*dublin, Utc(2026, 7, 15, 12)), "2026-07-15 13:00:00");
    EXPECT_EQ(Local(*dublin, Utc(2026, 10, 25, 1)), "2026-10-25 02:00:00");
    EXPECT_EQ(Local(*dublin, Utc(2026, 10, 25, 1, 0, 1)), "2026-10-25 01:00:01");
}

TEST(ZoneFromDatabase, RulesOutsideTheRecordUseTheYearsActualTransitions)
{
    // Gaza: the Saturday 02:00 after the fourth Thursday, written as Thursday + 50 hours.
    const auto gaza = kelvara::MakeTimeZone(
        "Asia/Gaza", kelvara::test::RuleOnlyTzif("EET-2EEST,M3.4.4/50,M10.4.4/50", 7200));
    ASSERT_TRUE(gaza);
    EXPECT_EQ(gaza->GetName(), "(UTC+02:00) Asia/Gaza");
    // 2030: the fourth Thursday of March is the 28th, so the change is Saturday 30 March, 02:00.
    EXPECT_EQ(Local(*gaza, Utc(2030, 3, 30, 0)), "2030-03-30 02:00:00");
    EXPECT_EQ(Local(*gaza, Utc(2030, 3, 30, 0, 0, 1)), "2030-03-30 03:00:01");
    const ZoneRecord r2030 = gaza->GetRecordAt(Utc(2030, 6, 1));
    EXPECT_EQ(r2030.daylightDate, (TransitionTime{2030, 3, 6, 30, 2, 0, 0, 0}));
    // October: fourth Thursday the 24th, so Saturday 26 October, 02:00 daylight time.
    EXPECT_EQ(r2030.standardDate, (TransitionTime{2030, 10, 6, 26, 2, 0, 0, 0}));
    EXPECT_EQ(Local(*gaza, Utc(2030, 10, 25, 23)), "2030-10-26 02:00:00");
    EXPECT_EQ(Local(*gaza, Utc(2030, 10, 25, 23, 0, 1)), "2030-10-26 01:00:01");
    // The same zone, still resident a year later: 2031's Thursday is the 27th.
    EXPECT_EQ(Local(*gaza, Utc(2031, 3, 29, 0)), "2031-03-29 02:00:00");
    EXPECT_EQ(Local(*gaza, Utc(2031, 3, 29, 0, 0, 1)), "2031-03-29 03:00:01");
    EXPECT_EQ(gaza->GetRecordAt(Utc(2031, 6, 1)).daylightDate.year, 2031);
    EXPECT_EQ(Local(*gaza, Utc(2030, 7, 1, 12)), "2030-07-01 15:00:00") << "and back again";

    // Greenland: the change at -1:00, i.e. Saturday 23:00 before the last Sunday of March.
    const auto nuuk = kelvara::MakeTimeZone(
        "America/Nuuk", kelvara::test::RuleOnlyTzif("<-02>2<-01>,M3.5.0/-1,M10.5.0/0", -7200));
    ASSERT_TRUE(nuuk);
    EXPECT_EQ(Local(*nuuk, Utc(2026, 3, 29, 1)), "2026-03-28 23:00:00");
    EXPECT_EQ(Local(*nuuk, Utc(2026, 3, 29, 1, 0, 1)), "2026-03-29 00:00:01");
    EXPECT_EQ(Local(*nuuk, Utc(2026, 10, 25, 1)), "2026-10-25 00:00:00");
    EXPECT_EQ(Local(*nuuk, Utc(2026, 10, 25, 1, 0, 1)), "2026-10-24 23:00:01");
}

TEST(ZoneFromDatabase, ListedTransitionsOverrideTheFooterInTheirYears)
{
    // Casablanca: +01 all year by the footer, +00 during Ramadan by listed transitions.
    TzifContents c;
    c.types = {{3600, false}, {0, true}};
    c.transitions = {{Seconds(2026, 2, 15, 2), 1}, {Seconds(2026, 3, 22, 2), 0}};
    c.footer = "<+01>-1";
    const auto casablanca = kelvara::MakeTimeZone("Africa/Casablanca", BuildTzif(c));
    ASSERT_TRUE(casablanca);
    EXPECT_EQ(casablanca->GetName(), "(UTC+01:00) Africa/Casablanca");
    EXPECT_EQ(Local(*casablanca, Utc(2026, 1, 10, 12)), "2026-01-10 13:00:00");
    EXPECT_EQ(Local(*casablanca, Utc(2026, 2, 15, 2)), "2026-02-15 03:00:00");
    EXPECT_EQ(Local(*casablanca, Utc(2026, 2, 15, 2, 0, 1)), "2026-02-15 02:00:01");
    EXPECT_EQ(Local(*casablanca, Utc(2026, 3, 1, 0, 30)), "2026-03-01 00:30:00")
        << "the first hour of a month";
    EXPECT_EQ(Local(*casablanca, Utc(2026, 3, 22, 2)), "2026-03-22 02:00:00");
    EXPECT_EQ(Local(*casablanca, Utc(2026, 3, 22, 2, 0, 1)), "2026-03-22 03:00:01");
    EXPECT_EQ(Local(*casablanca, Utc(2026, 12, 31, 23, 30)), "2027-01-01 00:30:00");
    const ZoneRecord r = casablanca->GetRecordAt(Utc(2026, 6, 1));
    EXPECT_EQ(r.standardDate.year, 2026);
    EXPECT_EQ(casablanca->GetRecordAt(Utc(2027, 6, 1)).standardDate.month, 0) << "2027 has no listed changes";
    EXPECT_EQ(Local(*casablanca, Utc(2027, 2, 20, 12)), "2027-02-20 13:00:00");
}

TEST(ZoneFromDatabase, ADecreedYearDiffersFromTheRecurringRule)
{
    // Daylight saving starts a week late in 2026 only; the footer rule holds before and after.
    TzifContents c;
    c.types = {{3600, false}, {7200, true}};
    c.transitions = {{Seconds(2025, 3, 30, 1), 1}, {Seconds(2025, 10, 26, 1), 0},
                     {Seconds(2026, 4, 5, 1), 1},  {Seconds(2026, 10, 25, 1), 0},
                     {Seconds(2027, 3, 28, 1), 1}, {Seconds(2027, 10, 31, 1), 0}};
    c.footer = "CET-1CEST,M3.5.0,M10.5.0/3";
    const auto zone = kelvara::MakeTimeZone("Test/Decree", BuildTzif(c));
    ASSERT_TRUE(zone);
    EXPECT_EQ(Local(*zone, Utc(2026, 3, 30, 12)), "2026-03-30 13:00:00");
    EXPECT_EQ(Local(*zone, Utc(2026, 4, 5, 1)), "2026-04-05 02:00:00");
    EXPECT_EQ(Local(*zone, Utc(2026, 4, 5, 1, 0, 1)), "2026-04-05 03:00:01");
    EXPECT_EQ(zone->GetRecordAt(Utc(2026, 6, 1)).daylightDate, (TransitionTime{2026, 4, 0, 5, 2, 0, 0, 0}));
    EXPECT_EQ(zone->GetRecordAt(Utc(2027, 6, 1)).daylightDate, Recurring(3, 5, 0, 2));
    EXPECT_EQ(Local(*zone, Utc(2027, 3, 30, 12)), "2027-03-30 14:00:00");
}

TEST(ZoneFromDatabase, YearsNoRecordCanDescribeStillGiveTheRightTime)
{
    // A permanent change of offset in mid-year, and a year with two stretches of daylight time.
    TzifContents c;
    c.types = {{10800, false}, {14400, false}, {0, false}, {3600, true}};
    c.transitions = {{Seconds(2026, 6, 1), 1}, {Seconds(2028, 1, 1), 2}, {Seconds(2029, 3, 1), 3},
                     {Seconds(2029, 5, 1), 2}, {Seconds(2029, 7, 1), 3}, {Seconds(2029, 9, 1), 2}};
    c.footer = "<+00>0";
    const auto zone = kelvara::MakeTimeZone("Test/Zone", BuildTzif(c));
    ASSERT_TRUE(zone);
    EXPECT_EQ(Local(*zone, Utc(2026, 5, 31, 23)), "2026-06-01 02:00:00");
    EXPECT_EQ(Local(*zone, Utc(2026, 6, 1)), "2026-06-01 03:00:00") << "the change itself belongs before it";
    EXPECT_EQ(Local(*zone, Utc(2026, 6, 1, 0, 0, 1)), "2026-06-01 04:00:01");
    EXPECT_EQ(zone->GetRecordAt(Utc(2026, 3, 1)).bias, -180);
    EXPECT_EQ(zone->GetRecordAt(Utc(2026, 9, 1)).bias, -240);
    for (const int month : {2, 5, 6, 9, 10})
        EXPECT_EQ(Local(*zone, Utc(2029, month, 15, 12)),
                  "2029-" + std::string(month < 10 ? "0" : "") + std::to_string(month) + "-15 12:00:00");
    for (const int month : {3, 4, 7, 8})
        EXPECT_EQ(Local(*zone, Utc(2029, month, 15, 12)), "2029-0" + std::to_string(month) + "-15 13:00:00");
    EXPECT_EQ(Local(*zone, Utc(2029, 7, 1)), "2029-07-01 00:00:00");
    EXPECT_EQ(Local(*zone, Utc(2029, 7, 1, 0, 0, 1)), "2029-07-01 01:00:01");
    // Across the new year with a change at its first instant.
    EXPECT_EQ(Local(*zone, Utc(2027, 12, 31, 19, 59, 59)), "2027-12-31 23:59:59");
    EXPECT_EQ(Local(*zone, Utc(2028, 1, 1, 0, 0, 1)), "2028-01-01 00:00:01");
}

namespace {

// A small zone database in a private folder, which the C library reads too (TZDIR).
class ZoneDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = kelvara::test::ZoneTempDir();
        Zone("Europe/Berlin", "CET-1CEST,M3.5.0,M10.5.0/3", 3600, 7200);
        Zone("America/New_York", "EST5EDT,M3.2.0,M11.1.0", -18000, -14400);
        Zone("Asia/Kolkata", "IST-5:30", 19800);
        Zone("Europe/Dublin", "IST-1GMT0,M10.5.0,M3.5.0/1", 3600, 0);
        kelvara::test::WriteZoneFile(m_dir + "/Broken/Zone", "TZif2 truncated");
        kelvara::test::WriteZoneFile(m_dir + "/zone.tab", "# code\tcoordinates\tTZ\n"
                                                          "DE\t+5230+01322\tEurope/Berlin\n"
                                                          "US\t+404251-0740023\tAmerica/New_York\tEastern\n"
                                                          "IN\t+2232+08822\tAsia/Kolkata\n"
                                                          "IE\t+5320-00615\tEurope/Dublin\n"
                                                          "XX\t+0000+00000\tBroken/Zone\n"
                                                          "YY\t+0000+00000\tMissing/Zone\n");
        kelvara::test::WriteZoneFile(m_dir + "/tzdata.zi", "# version test\nL America/New_York US/Eastern\n"
                                                           "L Etc/UTC UTC\nL Asia/Kolkata Asia/Calcutta\n");
        // Aliases are files of the database too, as the C library expects.
        std::filesystem::create_directories(m_dir + "/US");
        std::filesystem::create_symlink("../America/New_York", m_dir + "/US/Eastern");
        kelvara::SetTimeZoneDatabaseDirOverride(m_dir);
        ::setenv("TZDIR", m_dir.c_str(), 1);
        kelvara::SetSystemZoneFilesOverride(m_dir + "/no-localtime", m_dir + "/no-timezone");
        kelvara::SetClockOverride([] { return Utc(2026, 7, 15, 12); });
    }

    void TearDown() override
    {
        kelvara::SetClockOverride({});
        kelvara::SetSystemZoneFilesOverride("", "");
        kelvara::SetTimeZoneDatabaseDirOverride("");
        // A different TZ first, so that the C library reloads even if the old value comes back.
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        m_tzdir.Restore();
        m_tz.Restore();
        ::tzset();
    }

    void Zone(const std::string& id, const std::string& footer, std::int32_t standard,
              std::int32_t daylight = 0)
    {
        TzifContents c;
        c.types = {{standard, false}, {daylight, true}};
        if (daylight == 0 && footer.find(',') == std::string::npos)
            c.types.pop_back();
        // The C library takes the footer only after a listed transition.
        c.transitions = {{Seconds(1990, 1, 1), 0}};
        c.footer = footer;
        kelvara::test::WriteZoneFile(m_dir + "/" + id, BuildTzif(c));
    }

    void SetTz(const char* value)
    {
        if (value)
            ::setenv("TZ", value, 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    std::vector<std::string> Names(const CTimeZoneCategory& category)
    {
        std::vector<std::string> names;
        for (const auto& unit : category.GetUnits())
            names.push_back(unit->GetName());
        return names;
    }

    std::string m_dir;

private:
    kelvara::test::ScopedEnv m_tz{"TZ"};
    kelvara::test::ScopedEnv m_tzdir{"TZDIR"};
};

} // namespace

TEST_F(ZoneDatabaseTest, LoadsEveryReadableZoneWestToEastWithUniversalTime)
{
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    EXPECT_EQ(Names(category),
              (std::vector<std::string>{"(UTC-05:00) America/New_York", "(UTC+00:00) Etc/UTC",
                                        "(UTC+00:00) Europe/Dublin", "(UTC+01:00) Europe/Berlin",
                                        "(UTC+05:30) Asia/Kolkata"}));
}

TEST_F(ZoneDatabaseTest, UnitListsRunWestToEastThenByName)
{
    Zone("Etc/GMT+12", "<-12>12", -12 * 3600);
    Zone("Pacific/Kiritimati", "<+14>-14", 14 * 3600);
    Zone("America/Noronha", "<-02>2", -2 * 3600);
    Zone("Europe/London", "GMT0BST,M3.5.0/1,M10.5.0", 0, 3600);
    Zone("Asia/Kathmandu", "<+0545>-5:45", 5 * 3600 + 45 * 60);
    kelvara::test::WriteZoneFile(m_dir + "/zone.tab", "KI\t+0152-15720\tPacific/Kiritimati\n"
                                                      "GB\t+513030-0000731\tEurope/London\n"
                                                      "DE\t+5230+01322\tEurope/Berlin\n"
                                                      "NP\t+2743+08519\tAsia/Kathmandu\n"
                                                      "US\t+404251-0740023\tAmerica/New_York\n"
                                                      "XX\t+0000+00000\tEtc/GMT+12\n"
                                                      "IN\t+2232+08822\tAsia/Kolkata\n"
                                                      "IE\t+5320-00615\tEurope/Dublin\n"
                                                      "BR\t-0351-03225\tAmerica/Noronha\n");
    const std::vector<std::string> westToEast = {
        "(UTC-12:00) Etc/GMT+12",        "(UTC-05:00) America/New_York", "(UTC-02:00) America/Noronha",
        "(UTC+00:00) Etc/UTC",           "(UTC+00:00) Europe/Dublin",    "(UTC+00:00) Europe/London",
        "(UTC+01:00) Europe/Berlin",     "(UTC+05:30) Asia/Kolkata",     "(UTC+05:45) Asia/Kathmandu",
        "(UTC+14:00) Pacific/Kiritimati"};
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    EXPECT_EQ(Names(category), westToEast);

    // The lists keep that order although they sort every other category's units by name, and
    // a list a time-zone list was filled into sorts again for the next category.
    kelvara::test::FakeList page;
    kelvara::SortedList command;
    ASSERT_TRUE(category.FillSourceUnits(page, 3));
    ASSERT_TRUE(category.FillTargetUnits(command, 9));
    EXPECT_EQ(page.Texts(), westToEast);
    EXPECT_EQ(page.Selected().text, "(UTC+00:00) Etc/UTC");
    EXPECT_EQ(command.GetTexts(), westToEast);
    EXPECT_EQ(command.GetText(command.GetCurSel()), "(UTC+14:00) Pacific/Kiritimati");

    CCategory other(Numeric, kelvara::IDS_TIME_DIFFERENCE, nullptr);
    other.FillSourceUnits(page, 0);
    page.AddEntry("b", {});
    page.AddEntry("a", {});
    EXPECT_EQ(page.Texts(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ZoneDatabaseTest, NoZoneListFailsTheCategoryWithTheSystemReason)
{
    kelvara::SetTimeZoneDatabaseDirOverride(m_dir + "/nothing-here");
    kelvara::test::RecordingPresenter messages;
    CTimeZoneCategory category;
    EXPECT_FALSE(category.EnsureLoaded());
    EXPECT_FALSE(category.IsLoaded());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Initialization failed.\n\nNo such file or directory [0x80070002]");
}

TEST_F(ZoneDatabaseTest, FindsZonesByDisplayNameIdAliasOrPath)
{
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    auto id = [&](std::string_view text) {
        const CTimeZone* zone = category.FindZone(text);
        return zone ? zone->GetZoneId() : std::string("(none)");
    };
    EXPECT_EQ(id("(UTC+01:00) Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(id("(utc+05:30) asia/kolkata"), "Asia/Kolkata");
    EXPECT_EQ(id("Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(id("etc/utc"), "Etc/UTC");
    EXPECT_EQ(id("UTC"), "Etc/UTC");
    EXPECT_EQ(id("US/Eastern"), "America/New_York");
    EXPECT_EQ(id("Asia/Calcutta"), "Asia/Kolkata");
    EXPECT_EQ(id(m_dir + "/Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(id("/usr/share/zoneinfo/posix/Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(id("../usr/share/zoneinfo/Europe/Dublin"), "Europe/Dublin");
    EXPECT_EQ(id("Broken/Zone"), "(none)");
    EXPECT_EQ(id("Europe/Atlantis"), "(none)");
    EXPECT_EQ(id("+01:00"), "(none)");
    EXPECT_EQ(id(""), "(none)");
}

TEST_F(ZoneDatabaseTest, SystemZoneLineNamesTheZoneAndItsState)
{
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    SetTz(":Europe/Berlin");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");
    kelvara::SetClockOverride([] { return Utc(2026, 1, 15, 12); });
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Standard time)");
    SetTz("US/Eastern");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC-05:00) America/New_York (Standard time)");
    SetTz((m_dir + "/Asia/Kolkata").c_str());
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+05:30) Asia/Kolkata (Standard time)");
    // Irish winter time is standard time here, whatever the database's flags say.
    SetTz(":Europe/Dublin");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+00:00) Europe/Dublin (Standard time)");
    kelvara::SetClockOverride([] { return Utc(2026, 7, 15, 12); });
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+00:00) Europe/Dublin (Daylight saving time)");
    // An empty TZ is universal time to the C library.
    SetTz("");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+00:00) Etc/UTC (Standard time)");
    SetTz("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(category.GetSystemZoneText(), "") << "a rule, not a zone of the list";
    SetTz("Europe/Atlantis");
    EXPECT_EQ(category.GetSystemZoneText(), "");
}

TEST_F(ZoneDatabaseTest, SystemZoneFromLocaltimeLinkElseTimezoneFile)
{
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    SetTz(nullptr);
    EXPECT_EQ(category.GetSystemZoneText(), "") << "neither file";

    kelvara::test::WriteZoneFile(m_dir + "/etc/timezone", "Europe/Berlin\n");
    kelvara::SetSystemZoneFilesOverride(m_dir + "/no-localtime", m_dir + "/etc/timezone");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");

    ASSERT_EQ(::symlink((m_dir + "/America/New_York").c_str(), (m_dir + "/etc/localtime").c_str()), 0);
    kelvara::SetSystemZoneFilesOverride(m_dir + "/etc/localtime", m_dir + "/etc/timezone");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC-05:00) America/New_York (Daylight saving time)");
    EXPECT_EQ(kelvara::ReadSystemZone().source, kelvara::SystemZoneSource::Localtime);

    SetTz(":Asia/Kolkata");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+05:30) Asia/Kolkata (Standard time)") << "TZ comes first";
}

// A FIFO where /etc/timezone should be would hold the program's start for ever if it were opened to
// be read; it counts as no file.
TEST_F(ZoneDatabaseTest, ATimezoneFileThatIsAFifoIsNoZone)
{
    SetTz(nullptr);
    ASSERT_EQ(::mkfifo((m_dir + "/timezone-fifo").c_str(), 0600), 0);
    kelvara::SetSystemZoneFilesOverride(m_dir + "/no-localtime", m_dir + "/timezone-fifo");
    EXPECT_EQ(kelvara::ReadSystemZone().name, "");
}

TEST_F(ZoneDatabaseTest, SystemZoneThroughTzPathsAndChainsOfLinks)
{
    namespace fs = std::filesystem;
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    const std::string etc = m_dir + "/etc";
    fs::create_directories(etc + "/alternatives");
    kelvara::SetSystemZoneFilesOverride(etc + "/localtime", etc + "/timezone");

    // A relative link, as distributions make it.
    fs::create_symlink("../Europe/Berlin", etc + "/localtime");
    SetTz(nullptr);
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");
    // TZ naming that file, or a path under the zone folder, or a zone id.
    SetTz((":" + etc + "/localtime").c_str());
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");
    EXPECT_EQ(kelvara::ReadSystemZone().source, kelvara::SystemZoneSource::Environment);
    SetTz((":" + m_dir + "/Asia/Kolkata").c_str());
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+05:30) Asia/Kolkata (Standard time)");
    SetTz(":Europe/Dublin");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+00:00) Europe/Dublin (Daylight saving time)");

    // A chain: /etc/localtime -> /etc/alternatives/localtime -> an alias of the database -> its zone.
    // The first name in the database decides, with the alias leading to its zone.
    fs::remove(etc + "/localtime");
    fs::create_symlink("alternatives/localtime", etc + "/localtime");
    fs::create_symlink("../../US/Eastern", etc + "/alternatives/localtime");
    SetTz(nullptr);
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC-05:00) America/New_York (Daylight saving time)");
    EXPECT_EQ(kelvara::FollowLinks(etc + "/localtime"),
              (std::vector<std::string>{etc + "/localtime", etc + "/alternatives/localtime",
                                        m_dir + "/US/Eastern", m_dir + "/America/New_York"}));
    // A loop of links names no zone.
    fs::remove(etc + "/alternatives/localtime");
    fs::create_symlink("../localtime", etc + "/alternatives/localtime");
    EXPECT_EQ(category.GetSystemZoneText(), "");
    EXPECT_LE(kelvara::FollowLinks(etc + "/localtime").size(), 42u);
}

TEST_F(ZoneDatabaseTest, SystemZoneFromACopiedLocaltimeFile)
{
    namespace fs = std::filesystem;
    // Amsterdam shares Berlin's data and is an alias of it; it comes first in the list.
    fs::copy_file(m_dir + "/Europe/Berlin", m_dir + "/Europe/Amsterdam");
    kelvara::test::WriteZoneFile(m_dir + "/zone.tab", "NL\t+5222+00454\tEurope/Amsterdam\n"
                                                      "DE\t+5230+01322\tEurope/Berlin\n"
                                                      "US\t+404251-0740023\tAmerica/New_York\n"
                                                      "IN\t+2232+08822\tAsia/Kolkata\n");
    kelvara::test::WriteZoneFile(m_dir + "/tzdata.zi", "L Europe/Berlin Europe/Amsterdam\n");
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    const std::string etc = m_dir + "/etc";
    fs::create_directories(etc);
    kelvara::SetSystemZoneFilesOverride(etc + "/localtime", etc + "/timezone");
    SetTz(nullptr);

    fs::copy_file(m_dir + "/Asia/Kolkata", etc + "/localtime");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+05:30) Asia/Kolkata (Standard time)");
    EXPECT_EQ(kelvara::ReadSystemZone().source, kelvara::SystemZoneSource::Localtime);
    // A copy outside any zone folder named by TZ.
    SetTz((":" + etc + "/localtime").c_str());
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+05:30) Asia/Kolkata (Standard time)");
    SetTz(nullptr);

    // Of two zones with the same bytes the canonical one, unless /etc/timezone names the other.
    fs::copy_file(m_dir + "/Europe/Berlin", etc + "/localtime", fs::copy_options::overwrite_existing);
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");
    kelvara::test::WriteZoneFile(etc + "/timezone", "Europe/Amsterdam\n");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Amsterdam (Daylight saving time)");
    // /etc/timezone does not outweigh the file the clock really follows.
    kelvara::test::WriteZoneFile(etc + "/timezone", "Asia/Kolkata\n");
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");

    // A copy of data the database no longer has: /etc/timezone is the best guess, else nothing.
    kelvara::test::WriteZoneFile(etc + "/localtime",
                                 kelvara::test::RuleOnlyTzif("CET-1CEST,M3.5.0,M10.5.0/3", 3600));
    EXPECT_EQ(category.GetSystemZoneText(), "(UTC+05:30) Asia/Kolkata (Standard time)");
    fs::remove(etc + "/timezone");
    EXPECT_EQ(category.GetSystemZoneText(), "");
}
