// Our local times against the C library's for every zone of the system's database, over the
// current and the next year and around each of their transitions.
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonetimeline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ScopedTz {
public:
    ScopedTz()
    {
        if (const char* tz = std::getenv("TZ")) {
            m_had = true;
            m_old = tz;
        }
    }
    ~ScopedTz()
    {
        if (m_had)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    void Set(const std::string& id)
    {
        ::setenv("TZ", (":" + id).c_str(), 1);
        ::tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

long LibraryOffset(std::int64_t t)
{
    const std::time_t when = static_cast<std::time_t>(t);
    std::tm local{};
    ::localtime_r(&when, &local);
    return local.tm_gmtoff;
}

// The first second at which the library's offset differs from the one at `before`.
std::int64_t FindChange(std::int64_t before, std::int64_t after)
{
    const long old = LibraryOffset(before);
    while (after - before > 1) {
        const std::int64_t mid = before + (after - before) / 2;
        (LibraryOffset(mid) == old ? before : after) = mid;
    }
    return after;
}

std::string Stamp(std::int64_t t)
{
    const kelvara::CivilTime c = kelvara::CivilFromTicks(kelvara::TicksFromSeconds(t));
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(c.year),
                  c.month, c.day, c.hour, c.minute, c.second);
    return text;
}

} // namespace

TEST(TimeZoneAgreement, EveryZoneMatchesTheCLibraryThisYearAndNext)
{
    const std::string dir = kelvara::TimeZoneDatabaseDir();
    if (kelvara::ReadZoneIds(dir).empty())
        GTEST_SKIP() << "no time-zone database at " << dir;
    CTimeZoneCategory category;
    ASSERT_TRUE(category.EnsureLoaded());
    ASSERT_GT(category.GetUnits().size(), 300u);

    const std::int64_t thisYear = kelvara::YearOfSeconds(std::time(nullptr));
    const std::int64_t from = kelvara::DaysFromCivil(thisYear, 1, 1) * kelvara::kSecondsPerDay;
    const std::int64_t to = kelvara::DaysFromCivil(thisYear + 2, 1, 1) * kelvara::kSecondsPerDay;
    // An odd step walks through every hour of the day and every minute offset.
    constexpr std::int64_t step = 5 * 3600 + 17 * 60 + 3;

    ScopedTz tz;
    std::size_t instants = 0, transitions = 0, atTransition = 0;
    std::vector<std::string> disagreements;
    for (const auto& unit : category.GetUnits()) {
        const auto& zone = static_cast<const CTimeZone&>(*unit);
        tz.Set(zone.GetZoneId());
        auto compare = [&](std::int64_t t, long expected) {
            ++instants;
            const kelvara::UtcTicks utc = kelvara::TicksFromSeconds(t);
            const auto ours = (zone.LocalTimeAt(utc) - utc) / kelvara::kTicksPerSecond;
            if (ours != expected) {
                disagreements.push_back(zone.GetZoneId() + " at " + Stamp(t) + ": ours " +
                                        std::to_string(ours) + " s, C library " + std::to_string(expected) +
                                        " s");
            }
        };
        std::vector<std::int64_t> changes;
        long previous = LibraryOffset(from);
        std::int64_t previousAt = from;
        for (std::int64_t t = from; t < to; t += step) {
            const long offset = LibraryOffset(t);
            const long before = LibraryOffset(t - 1);
            compare(t, before != offset ? before : offset);
            if (offset != previous)
                changes.push_back(FindChange(previousAt, t));
            previous = offset;
            previousAt = t;
        }
        for (const std::int64_t change : changes) {
            ++transitions;
            for (const std::int64_t delta : {-60, -1, 1, 60})
                compare(change + delta, LibraryOffset(change + delta));
            // The transition instant itself still belongs to the time before it in the record's
            // rules; the C library already switches.
            ++atTransition;
            compare(change, LibraryOffset(change - 1));
        }
    }
    std::ostringstream report;
    report << category.GetUnits().size() << " zones, " << instants << " instants (" << transitions
           << " transitions, " << atTransition << " of them at the transition second itself), "
           << disagreements.size() << " disagreements";
    std::cout << "[ agreement] " << report.str() << "\n";
    for (const std::string& d : disagreements)
        std::cout << "[ disagrees] " << d << "\n";
    RecordProperty("summary", report.str());
    EXPECT_TRUE(disagreements.empty()) << report.str();
}
