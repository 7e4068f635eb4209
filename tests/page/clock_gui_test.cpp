#include "pagefixture.h"

#include <QTabWidget>

namespace kelvara::test {
namespace {

using ClockTest = PageTest;

TEST_F(ClockTest, TimeDifferenceShowsTimesThatCannotBeTypedOrCleared)
{
    MakePage();
    ChooseCategory("Time Difference");
    EXPECT_TRUE(Source()->isReadOnly());
    EXPECT_FALSE(Button("clearButton")->isEnabled());
    EXPECT_FALSE(Button("swapButton")->isEnabled());
    EXPECT_FALSE(Button("copyButton")->isEnabled());
    EXPECT_EQ(Label("sourceValueLabel")->text(), "Time 1:");
    EXPECT_EQ(Label("targetUnitLabel")->text(), "Time Zone &2:");
    EXPECT_TRUE(Label("zoneCaption")->isVisibleTo(page.get()));
    EXPECT_TRUE(Child<CHyperLink>("zoneLine")->isVisibleTo(page.get()));

    ChooseCategory("Weight");
    EXPECT_FALSE(Source()->isReadOnly());
    EXPECT_FALSE(Label("zoneCaption")->isVisibleTo(page.get()));
}

TEST_F(ClockTest, TheClockRunsOnlyWhileTimeDifferenceIsShown)
{
    MakePage();
    ChooseCategory("Time Difference");
    // Not shown yet: nothing ticks.
    EXPECT_FALSE(page->IsClockRunning());
    page->show();
    EXPECT_TRUE(page->IsClockRunning());

    // A window in the tray costs nothing.
    page->hide();
    EXPECT_FALSE(page->IsClockRunning());
    page->show();
    EXPECT_TRUE(page->IsClockRunning());

    // The open category list freezes the clocks until it closes.
    Categories()->showPopup();
    EXPECT_FALSE(page->IsClockRunning());
    Categories()->hidePopup();
    EXPECT_TRUE(page->IsClockRunning());

    ChooseCategory("Weight");
    EXPECT_FALSE(page->IsClockRunning());
    Categories()->showPopup();
    Categories()->hidePopup();
    EXPECT_FALSE(page->IsClockRunning());
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
    EXPECT_TRUE(hosted->IsClockRunning());

    window.setCurrentIndex(1);
    EXPECT_FALSE(hosted->IsClockRunning());
    window.setCurrentIndex(0);
    EXPECT_TRUE(hosted->IsClockRunning());

    window.hide();
    EXPECT_FALSE(hosted->IsClockRunning());
    window.show();
    EXPECT_TRUE(hosted->IsClockRunning());
}

} // namespace
} // namespace kelvara::test
