#include "shell/timezonewatcher.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

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

    // Waits until the watch has taken every event so far and looked at the files once they settled.
    static void Settle(const kelvara::TimeZoneWatcher& watcher)
    {
        auto* settle = watcher.findChild<QTimer*>();
        ASSERT_NE(settle, nullptr);
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor(
            [settle] {
                QCoreApplication::processEvents();
                return !settle->isActive();
            },
            3000));
    }

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
    Settle(watcher);
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
    // The folder's events all wake the watch; it looks at the files once they settle.
    QSignalSpy looked(watcher.findChild<QTimer*>(), &QTimer::timeout);
    Write(QStringLiteral("hostname"), "box\n");
    EXPECT_TRUE(looked.wait(3000));
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
