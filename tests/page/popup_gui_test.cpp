// The page's lists opened for real: a pick with the mouse or Enter in the open list, a list closed
// without a pick, and a list that Qt closes because the application lost the focus.
#include "pagefixture.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTimer>

namespace kelvara::test {
namespace {

class PopupTest : public PageTest {
protected:
    void ShowWeight()
    {
        MakePage();
        ChooseCategory("Weight");
        Choose(SourceUnits(), "pound (lb)");
        Choose(TargetUnits(), "pound (lb)");
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        Type(Source(), "2");
        ASSERT_EQ(Clipboard(), "2");
    }

    // Opens `list` as a click on it would and waits until the drop-down shows.
    static QAbstractItemView* Open(UnitComboBox* list)
    {
        list->showPopup();
        EXPECT_TRUE(QTest::qWaitFor([list] { return list->view()->isVisible(); }, 2000));
        EXPECT_TRUE(list->IsDroppedDown());
        return list->view();
    }

    // Whether the times move on every second.
    bool ClockRunning() const { return page->findChild<QTimer*>(QStringLiteral("clock"))->isActive(); }

    // The clipboard's texts from now on.
    void RecordClipboard()
    {
        m_copies.clear();
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, page.get(),
                         [this] { m_copies << Clipboard(); });
        store.writes = 0;
    }

    // Waits until `list` closed, then lets the event loop run what the close queued.
    static void Settle(UnitComboBox* list)
    {
        EXPECT_TRUE(
            QTest::qWaitFor([list] { return !list->IsDroppedDown() && !list->view()->isVisible(); }, 2000));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QStringList m_copies;
};

TEST_F(PopupTest, AMouseClickInTheOpenListConvertsOnceWithTheNewUnit)
{
    ShowWeight();
    RecordClipboard();
    QAbstractItemView* view = Open(TargetUnits());
    const QModelIndex kilogram = view->model()->index(TargetUnits()->findText("kilogram (kg)"), 0);
    ASSERT_TRUE(kilogram.isValid());
    // Qt ignores a release within the double-click interval of the opening (the release of the
    // opening click); with none left, this click counts at once.
    QStyleHints* hints = QGuiApplication::styleHints();
    const int interval = hints->mouseDoubleClickInterval();
    hints->setMouseDoubleClickInterval(0);
    const QPoint at = view->visualRect(kilogram).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    hints->setMouseDoubleClickInterval(interval);
    Settle(TargetUnits());

    EXPECT_FALSE(TargetUnits()->IsDroppedDown());
    EXPECT_EQ(TargetUnits()->currentText(), "kilogram (kg)");
    // One result, the new one, on the clipboard; the selections written once.
    EXPECT_EQ(m_copies, QStringList{"0.90718474"});
    EXPECT_EQ(store.writes, 1);
    // kilogram: the second row of the file.
    EXPECT_EQ(Stored("Settings\\Categories\\13", "TargetUnit"), 1);
}

TEST_F(PopupTest, EnterInTheOpenListConvertsOnceWithTheNewUnit)
{
    ShowWeight();
    RecordClipboard();
    QAbstractItemView* view = Open(SourceUnits());
    const int next = SourceUnits()->findText("kilogram (kg)");
    view->setCurrentIndex(view->model()->index(next, 0));
    QTest::keyClick(view, Qt::Key_Return);
    Settle(SourceUnits());

    EXPECT_FALSE(SourceUnits()->IsDroppedDown());
    EXPECT_EQ(SourceUnits()->currentIndex(), next);
    ASSERT_EQ(m_copies.size(), 1) << m_copies.join(" | ").toStdString();
    EXPECT_EQ(m_copies.first(), Target()->text());
    EXPECT_NE(m_copies.first(), "2"); // the old pair's result is never copied again
    EXPECT_EQ(store.writes, 1);
}

TEST_F(PopupTest, AListClosedWithoutAPickKeepsItsSelection)
{
    ShowWeight();
    RecordClipboard();
    QAbstractItemView* view = Open(TargetUnits());
    view->setCurrentIndex(view->model()->index(TargetUnits()->findText("kilogram (kg)"), 0));
    QTest::keyClick(view, Qt::Key_Escape);
    Settle(TargetUnits());

    EXPECT_FALSE(TargetUnits()->IsDroppedDown());
    EXPECT_EQ(TargetUnits()->currentText(), "pound (lb)");
    EXPECT_EQ(Target()->text(), "2");
    // Closing is reported once, as a change of the (same) unit.
    EXPECT_LE(m_copies.size(), 1);
    EXPECT_LE(store.writes, 3);
}

// Time Difference over the real zone database: what matters here is only whether it ticks.
TEST_F(PopupTest, TheClockTicksAgainAfterTheCategoryListLostTheFocus)
{
    MakePage();
    ChooseCategory("Time Difference");
    page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    ASSERT_TRUE(ClockRunning());

    Open(Categories());
    EXPECT_FALSE(ClockRunning());
    // Another application takes the focus: Qt closes every popup, without hidePopup().
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(Categories()->view()->isVisible());
    EXPECT_FALSE(Categories()->IsDroppedDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ClockRunning(); }, 1000));
    EXPECT_EQ(Categories()->currentText(), "Time Difference");

    // Hidden by other means (the window went away with it): the clock follows the window.
    Open(Categories());
    EXPECT_FALSE(ClockRunning());
    Categories()->view()->parentWidget()->hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ClockRunning(); }, 1000));
    page->hide();
    EXPECT_FALSE(ClockRunning());
    page->show();
    EXPECT_TRUE(ClockRunning());
}

TEST_F(PopupTest, ACategoryPickedInTheOpenListIsLoadedOnce)
{
    ShowWeight();
    RecordClipboard();
    QAbstractItemView* view = Open(Categories());
    view->setCurrentIndex(view->model()->index(Categories()->findText("Area"), 0));
    QTest::keyClick(view, Qt::Key_Enter);
    Settle(Categories());

    EXPECT_EQ(Categories()->currentText(), "Area");
    EXPECT_EQ(page->Caption(), "Kelvara [Area]");
    EXPECT_EQ(Source()->text(), "");
    EXPECT_EQ(store.writes, 1);
}

TEST_F(PopupTest, ThePageMayGoWhileAListIsOpen)
{
    ShowWeight();
    Open(SourceUnits());
    page.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 2000));
}

// The lists ask for the room QComboBox gives a twelve-character list with an icon, whatever their
// entries and font, though their drop-down is built only when it first opens: the window's width
// must not change with that.
TEST(UnitListSize, AsQComboBoxGivesItWithoutBuildingTheDropDown)
{
    const QStringList entries{QStringLiteral("m"),
                              QStringLiteral("Bosnia and Herzegovina convertible mark (BAM)")};
    UnitComboBox list;
    for (const QString& entry : entries)
        list.AddText(entry, {});
    // The same list again in a larger font: a size measured before must not outlive the change.
    for (const int points : {0, 14}) {
        QComboBox reference;
        reference.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        reference.setMinimumContentsLength(UnitComboBox::kMinimumContentsLength);
        if (points > 0) {
            QFont font = list.font();
            font.setPointSize(points);
            list.setFont(font);
            reference.setFont(font);
        }
        reference.addItems(entries);
        EXPECT_EQ(list.sizeHint(), reference.sizeHint()) << points;
        EXPECT_EQ(list.minimumSizeHint(), reference.minimumSizeHint()) << points;
        EXPECT_FALSE(list.IsDroppedDown());
    }
}

// A long list opens next to its box, below it or above it where the screen ends, about twenty rows
// tall, within the screen, with the filter field at its top, whatever the style would do by itself.
TEST(UnitListPlace, NextToItsBoxAtMostTwentyRowsWithinTheScreen)
{
    struct Case {
        const char* name;
        bool nearBottom;
        int selected;
    };
    for (const Case& c : {Case{"top, first entry", false, 0}, Case{"top, last entry", false, 149},
                          Case{"bottom, middle entry", true, 75}}) {
        SCOPED_TRACE(c.name);
        QWidget window;
        auto* list = new UnitComboBox(&window);
        list->EnableFilter();
        for (int i = 0; i < 150; ++i)
            list->AddText(QStringLiteral("unit %1").arg(i, 3, 10, QLatin1Char('0')), {});
        list->setCurrentIndex(c.selected);
        list->move(10, 10);
        window.resize(200, 60);
        const QRect screen = window.screen()->availableGeometry();
        window.move(screen.left() + 50, c.nearBottom ? screen.bottom() - 80 : screen.top() + 40);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        list->showPopup();
        QWidget* popup = list->view()->parentWidget();
        ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000));

        const QRect box(list->mapToGlobal(QPoint(0, 0)), list->size());
        const QRect placed = popup->geometry();
        if (c.nearBottom)
            EXPECT_EQ(placed.bottom() + 1, box.top());
        else
            EXPECT_EQ(placed.top(), box.bottom() + 1);
        EXPECT_EQ(placed.left(), box.left());
        EXPECT_TRUE(screen.contains(placed));
        const int rowHeight = list->view()->sizeHintForRow(0);
        EXPECT_LE(list->view()->viewport()->height(), UnitComboBox::kMaxVisibleRows * rowHeight);
        EXPECT_GE(list->view()->viewport()->height(), (UnitComboBox::kMaxVisibleRows - 1) * rowHeight);
        // The selected entry is in sight; the filter field above the rows.
        EXPECT_TRUE(list->view()->viewport()->rect().intersects(
            list->view()->visualRect(list->model()->index(c.selected, 0))));
        auto* field = popup->findChild<QWidget*>(QStringLiteral("filterField"));
        ASSERT_NE(field, nullptr);
        EXPECT_LT(field->mapTo(popup, QPoint(0, 0)).y(), list->view()->mapTo(popup, QPoint(0, 0)).y());
        list->hidePopup();
    }
}

} // namespace
} // namespace kelvara::test
