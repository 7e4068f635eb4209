#include "shell/timezonewatcher.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TimeZoneWatch : public testing::Test {
protected:
    void SetUp() override
    {
        m_etc = QString::fromStdString(kelvara::test::TestRoot()) + QStringLiteral("/etc-") +
                QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir(m_etc).removeRecursively();
        QDir().mkpath(m_etc + QStringLiteral("/zones"));
        Write(QStringLiteral("zones/Berlin"), "TZif Berlin");
        Write(QStringLiteral("zones/Tokyo"), "TZif Tokyo");
        ASSERT_TRUE(
            QFile::link(m_etc + QStringLiteral("/zones/Berlin"), m_etc + QStringLiteral("/localtime")));
    }

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(m_etc + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // Waits long enough for the watch to settle, then a little more.
    static void Settle() { QTest::qWait(kelvara::TimeZoneWatcher::kSettleMs + 400); }

    QString m_etc;
};

TEST_F(TimeZoneWatch, ReplacedZoneLinkIsNoticedOnce)
{
    kelvara::TimeZoneWatcher watcher(nullptr, m_etc, kelvara::TimeZoneWatcher::ClockWatch::Off);
    QSignalSpy spy(&watcher, &kelvara::TimeZoneWatcher::Changed);
    // The way the system's tools switch zones: a new link renamed over the old one.
    ASSERT_TRUE(
        QFile::link(m_etc + QStringLiteral("/zones/Tokyo"), m_etc + QStringLiteral("/localtime.new")));
    ASSERT_EQ(::rename(QFile::encodeName(m_etc + QStringLiteral("/localtime.new")).constData(),
                       QFile::encodeName(m_etc + QStringLiteral("/localtime")).constData()),
              0);
    EXPECT_TRUE(spy.wait(3000));
    Settle();
    EXPECT_EQ(spy.count(), 1);

    // Still watched after the replacement: switching back is noticed too.
    QFile::remove(m_etc + QStringLiteral("/localtime"));
    ASSERT_TRUE(QFile::link(m_etc + QStringLiteral("/zones/Berlin"), m_etc + QStringLiteral("/localtime")));
    EXPECT_TRUE(spy.wait(3000));
}

TEST_F(TimeZoneWatch, RewrittenZoneFileAndTimezoneFileAreNoticed)
{
    kelvara::TimeZoneWatcher watcher(nullptr, m_etc, kelvara::TimeZoneWatcher::ClockWatch::Off);
    QSignalSpy spy(&watcher, &kelvara::TimeZoneWatcher::Changed);
    Write(QStringLiteral("zones/Berlin"), "TZif Berlin, new rules");
    EXPECT_TRUE(spy.wait(3000));
    Write(QStringLiteral("timezone"), "Asia/Tokyo\n");
    EXPECT_TRUE(spy.wait(3000));
}

TEST_F(TimeZoneWatch, UnrelatedChangesAreNot)
{
    kelvara::TimeZoneWatcher watcher(nullptr, m_etc, kelvara::TimeZoneWatcher::ClockWatch::Off);
    QSignalSpy spy(&watcher, &kelvara::TimeZoneWatcher::Changed);
    Write(QStringLiteral("hostname"), "box\n");
    Settle();
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(TimeZoneWatch, TzIsPartOfTheZone)
{
    kelvara::TimeZoneWatcher watcher(nullptr, m_etc, kelvara::TimeZoneWatcher::ClockWatch::Off);
    QSignalSpy spy(&watcher, &kelvara::TimeZoneWatcher::Changed);
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    watcher.Check();
    EXPECT_EQ(spy.count(), 1);
    watcher.Check();
    EXPECT_EQ(spy.count(), 1);
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
}

} // namespace
