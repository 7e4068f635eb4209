#include "shell/ratesautoupdate.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "online/referenceupdate.h"
#include "platform/clock.h"
#include "platform/profilestore.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace kelvara {
namespace {

// The schedule's decisions; the fetch goes to a port where nothing listens, so nothing leaves the
// machine and nothing is stored.
class RatesAutoUpdateTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetProfile(&m_store);
        m_store.WriteProfileString("Options", "ReferenceRatesUrl", "http://127.0.0.1:9/daily.xml");
        m_store.WriteProfileString("Options", "WorldRatesUrl", "http://127.0.0.1:9/eur.json");
        // Tuesday 2026-12-08, 16:00 UTC: Tuesday's rates are out.
        SetClockOverride(
            [] { return (DaysFromCivil(2026, 12, 8) * kSecondsPerDay + 16 * 3600) * kTicksPerSecond; });
    }
    void TearDown() override
    {
        SetClockOverride({});
        SetProfile(nullptr);
    }

    MemoryProfileStore m_store;
    bool m_enabled = true;
    ReferenceRatesFetch m_fetch{[] { return nullptr; }};
};

TEST_F(RatesAutoUpdateTest, FetchesOnlyWhenOnAndTheStoredRatesAreOlderThanThePublication)
{
    RatesAutoUpdate update([this] { return m_enabled; }, &m_fetch);
    m_store.WriteProfileString(kRatesSection, kReferenceRatesDateEntry, "2026-12-08");
    m_store.WriteProfileString(kRatesSection, kWorldRatesDateEntry, "2026-12-08");
    EXPECT_FALSE(update.Tick()) << "up to date";
    m_store.WriteProfileString(kRatesSection, kWorldRatesDateEntry, "2026-12-07");
    EXPECT_TRUE(update.Tick()) << "the world document comes every day";
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_fetch.IsRunning(); }, 5000));
    m_store.WriteProfileString(kRatesSection, kWorldRatesDateEntry, "2026-12-08");
    m_store.WriteProfileString(kRatesSection, kReferenceRatesDateEntry, "2026-12-07");
    m_enabled = false;
    EXPECT_FALSE(update.Tick()) << "option off";
    m_enabled = true;
    EXPECT_TRUE(update.Tick());
    EXPECT_FALSE(update.Tick()) << "one at a time";
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_fetch.IsRunning(); }, 5000));
    EXPECT_FALSE(m_fetch.Error().empty());
}

TEST_F(RatesAutoUpdateTest, TheTimerTriesAfterTheFirstDelayAndThenPeriodically)
{
    RatesAutoUpdate update([this] { return m_enabled; }, &m_fetch);
    int started = 0;
    QObject::connect(&m_fetch, &ReferenceRatesFetch::Done, [&started] { ++started; });
    update.SetTimes(std::chrono::milliseconds(20), std::chrono::milliseconds(50));
    EXPECT_TRUE(QTest::qWaitFor([&started] { return started >= 2; }, 5000)) << started;
}

} // namespace
} // namespace kelvara
