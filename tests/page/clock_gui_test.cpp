#include "pagefixture.h"

#include "catalogue/civiltime.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonefixtures.h"
#include "catalogue/zonetimeline.h"
#include "platform/clock.h"
#include "platform/systemzone.h"
#include "platform/timeformat.h"
#include "text/collate.h"

#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

namespace kelvara::test {
namespace {

UtcTicks At(int hour, int minute, int second)
{
    // 15 July 2026, universal time.
    constexpr std::int64_t kDay = 20649;
    return TicksFromSeconds(kDay * 86400 + hour * 3600 + minute * 60 + second);
}

// Whether the page's times move on every second.
bool ClockRunning(const QWidget& page)
{
    const auto* clock = page.findChild<QTimer*>(QStringLiteral("clock"));
    return clock && clock->isActive();
}

// Two zones of a private database, a fixed clock and the system set to Berlin.
class ClockTest : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        m_dir = ZoneTempDir();
        WriteZoneFile(m_dir + "/Europe/Berlin", RuleOnlyTzif("CET-1CEST,M3.5.0,M10.5.0/3", 3600));
        WriteZoneFile(m_dir + "/Asia/Kolkata", RuleOnlyTzif("IST-5:30", 19800));
        WriteZoneFile(m_dir + "/zone.tab", "DE\t+5230+01322\tEurope/Berlin\nIN\t+2232+08822\tAsia/Kolkata\n");
        WriteZoneFile(m_dir + "/etc/timezone", "Europe/Berlin\n");
        SetTimeZoneDatabaseDirOverride(m_dir);
        SetSystemZoneFilesOverride(m_dir + "/no-localtime", m_dir + "/etc/timezone");
        if (const char* tz = std::getenv("TZ"))
            m_savedTz = tz;
        ::unsetenv("TZ");
        SetTimeFormatOverride("%H:%M:%S");
        SetClockOverride([this] { return m_now; });
    }

    void TearDown() override
    {
        PageTest::TearDown();
        SetClockOverride({});
        SetTimeFormatOverride({});
        SetSystemZoneFilesOverride({}, {});
        SetTimeZoneDatabaseDirOverride({});
        if (m_savedTz)
            ::setenv("TZ", m_savedTz->c_str(), 1);
    }

    void OpenTimeDifference()
    {
        MakePage();
        ChooseCategory("Time Difference");
        Choose(SourceUnits(), "(UTC+01:00) Europe/Berlin");
        Choose(TargetUnits(), "(UTC+05:30) Asia/Kolkata");
    }

    UtcTicks m_now = At(12, 0, 0);
    std::string m_dir;
    std::optional<std::string> m_savedTz;
};

TEST_F(ClockTest, BothFieldsShowTheTimeInTheirZones)
{
    OpenTimeDifference();
    EXPECT_EQ(Source()->text(), "14:00:00");
    EXPECT_EQ(Target()->text(), "17:30:00");
    EXPECT_EQ(Child<CHyperLink>("zoneLine")->text(), "(UTC+01:00) Europe/Berlin (Daylight saving time)");
    EXPECT_TRUE(Label("zoneCaption")->isVisibleTo(page.get()));
    EXPECT_EQ(Label("sourceValueLabel")->text(), "Time 1:");
    EXPECT_EQ(Label("targetUnitLabel")->text(), "Time Zone &2:");
    // The times are no typing: nothing to copy, clear or swap.
    EXPECT_TRUE(Source()->isReadOnly());
    EXPECT_FALSE(Button("copyButton")->isEnabled());
    EXPECT_FALSE(Button("clearButton")->isEnabled());
    EXPECT_FALSE(Button("swapButton")->isEnabled());

    // The system's zone changed: the line follows when asked to.
    WriteZoneFile(m_dir + "/etc/timezone", "Asia/Kolkata\n");
    page->RefreshTimeZoneDisplay();
    EXPECT_EQ(Child<CHyperLink>("zoneLine")->text(), "(UTC+05:30) Asia/Kolkata (Standard time)");

    ChooseCategory("Weight");
    EXPECT_FALSE(Source()->isReadOnly());
    EXPECT_FALSE(Label("zoneCaption")->isVisibleTo(page.get()));
}

TEST_F(ClockTest, ZoneListsRunWestToEastAndTheOtherListsStaySorted)
{
    WriteZoneFile(m_dir + "/Pacific/Kiritimati", RuleOnlyTzif("<+14>-14", 14 * 3600));
    WriteZoneFile(m_dir + "/Etc/GMT+12", RuleOnlyTzif("<-12>12", -12 * 3600));
    WriteZoneFile(m_dir + "/America/New_York", RuleOnlyTzif("EST5EDT,M3.2.0,M11.1.0", -5 * 3600));
    WriteZoneFile(m_dir + "/zone.tab", "KI\t+0152-15720\tPacific/Kiritimati\nDE\t+5230+01322\tEurope/Berlin\n"
                                       "XX\t+0000+00000\tEtc/GMT+12\nIN\t+2232+08822\tAsia/Kolkata\n"
                                       "US\t+404251-0740023\tAmerica/New_York\n");
    const QStringList westToEast = {"(UTC-12:00) Etc/GMT+12",   "(UTC-05:00) America/New_York",
                                    "(UTC+00:00) Etc/UTC",      "(UTC+01:00) Europe/Berlin",
                                    "(UTC+05:30) Asia/Kolkata", "(UTC+14:00) Pacific/Kiritimati"};
    const auto sortedByName = [](const QStringList& entries) {
        return std::is_sorted(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
            return CompareListText(a.toStdString(), b.toStdString()) < 0;
        });
    };
    MakePage();
    ChooseCategory("Weight");
    ChooseCategory("Time Difference");
    EXPECT_EQ(Entries(SourceUnits()), westToEast);
    EXPECT_EQ(Entries(TargetUnits()), westToEast);
    Choose(SourceUnits(), "(UTC+14:00) Pacific/Kiritimati");
    Choose(TargetUnits(), "(UTC-12:00) Etc/GMT+12");
    EXPECT_EQ(Source()->text(), "02:00:00");
    EXPECT_EQ(Target()->text(), "00:00:00");

    // The next category's lists are sorted by name again.
    ChooseCategory("Weight");
    ASSERT_GT(SourceUnits()->count(), 2);
    EXPECT_TRUE(sortedByName(Entries(SourceUnits()))) << Entries(SourceUnits()).join("|").toStdString();
    EXPECT_TRUE(sortedByName(Entries(TargetUnits())));
    ChooseCategory("Film Sensitivity");
    EXPECT_EQ(Entries(SourceUnits()), (QStringList{"ASA / ISO", "DIN"}));

    // The stored positions bring the same zones back.
    ChooseCategory("Time Difference");
    EXPECT_EQ(SourceUnits()->currentText(), "(UTC+14:00) Pacific/Kiritimati");
    EXPECT_EQ(TargetUnits()->currentText(), "(UTC-12:00) Etc/GMT+12");
}

TEST_F(ClockTest, TheTimesMoveOnEverySecondAndAtOnceWhenTheWindowComesBack)
{
    OpenTimeDifference();
    page->show();
    m_now = At(12, 0, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Source()->text() == "14:00:05"; }, 2500));
    EXPECT_EQ(Target()->text(), "17:30:05");

    page->hide();
    m_now = At(12, 30, 0);
    page->show();
    EXPECT_EQ(Source()->text(), "14:30:00");
    EXPECT_EQ(Target()->text(), "18:00:00");
}

TEST_F(ClockTest, TheClockRunsOnlyWhileTimeDifferenceIsShown)
{
    MakePage();
    ChooseCategory("Time Difference");
    // Not shown yet: nothing ticks.
    EXPECT_FALSE(ClockRunning(*page));
    page->show();
    EXPECT_TRUE(ClockRunning(*page));

    // A window in the tray costs nothing.
    page->hide();
    EXPECT_FALSE(ClockRunning(*page));
    page->show();
    EXPECT_TRUE(ClockRunning(*page));

    // The open category list freezes the clocks until it closes.
    Categories()->showPopup();
    EXPECT_FALSE(ClockRunning(*page));
    Categories()->hidePopup();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ClockRunning(*page); }, 1000));

    ChooseCategory("Weight");
    EXPECT_FALSE(ClockRunning(*page));
    QSignalSpy closed(Categories(), &UnitComboBox::DropDownClosed);
    Categories()->showPopup();
    Categories()->hidePopup();
    EXPECT_TRUE(closed.count() > 0 || closed.wait(2000));
    EXPECT_FALSE(ClockRunning(*page));
}

TEST_F(ClockTest, InATabTheClockStopsWithTheWindowAndWithAnotherTab)
{
    MakePage();
    ChooseCategory("Time Difference");
    QTabWidget window;
    CConversionPage* hosted = page.get();
    window.addTab(page.release(), "Conversion");
    window.addTab(new QWidget, "Options");
    window.show();
    EXPECT_TRUE(ClockRunning(*hosted));

    window.setCurrentIndex(1);
    EXPECT_FALSE(ClockRunning(*hosted));
    window.setCurrentIndex(0);
    EXPECT_TRUE(ClockRunning(*hosted));

    window.hide();
    EXPECT_FALSE(ClockRunning(*hosted));
    window.show();
    EXPECT_TRUE(ClockRunning(*hosted));
}

} // namespace
} // namespace kelvara::test
