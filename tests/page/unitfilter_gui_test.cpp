#include "pagefixture.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListView>
#include <QScreen>

namespace kelvara::test {
namespace {

// The unit lists as a keyboard or mouse user meets them: open, type, pick or cancel.
class UnitFilterTest : public PageTest {
protected:
    static void Open(UnitComboBox* list)
    {
        list->setFocus();
        list->showPopup();
        ASSERT_TRUE(list->view()->isVisible());
    }

    static void TypeInto(UnitComboBox* list, const QString& keys) { QTest::keyClicks(list->view(), keys); }
    static void Press(UnitComboBox* list, Qt::Key key) { QTest::keyClick(list->view(), key); }

    // The entries the open list shows, in the order it shows them.
    static QStringList Shown(UnitComboBox* list)
    {
        const auto* view = qobject_cast<QListView*>(list->view());
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            if (!view->isRowHidden(i))
                shown << list->itemText(i);
        return shown;
    }

    static void Click(UnitComboBox* list, const QString& text)
    {
        QAbstractItemView* view = list->view();
        const QModelIndex index = view->model()->index(list->findText(text), list->modelColumn());
        ASSERT_TRUE(index.isValid()) << text.toStdString();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
};

TEST_F(UnitFilterTest, TypingNarrowsTheOpenListAndEnterPicksTheFirstMatch)
{
    MakePage();
    ChooseCategory("Weight");
    Choose(SourceUnits(), "gram (g)");
    Choose(TargetUnits(), "gram (g)");
    Type(Source(), "2");

    Open(SourceUnits());
    TypeInto(SourceUnits(), "POUND");
    EXPECT_EQ(Shown(SourceUnits()), QStringList({"pound (lb)", "pound and ounce (lb. oz.)"}));
    EXPECT_EQ(SourceUnits()->FilterText(), "POUND");
    // Brackets are text like any other; Backspace widens again.
    TypeInto(SourceUnits(), " (lb)");
    EXPECT_EQ(Shown(SourceUnits()), QStringList({"pound (lb)"}));
    Press(SourceUnits(), Qt::Key_Backspace);
    EXPECT_EQ(Shown(SourceUnits()), QStringList({"pound (lb)", "pound and ounce (lb. oz.)"}));
    // The closed list still shows the selection until a pick is made.
    EXPECT_EQ(SourceUnits()->currentText(), "gram (g)");

    Press(SourceUnits(), Qt::Key_Return);
    EXPECT_FALSE(SourceUnits()->view()->isVisible());
    EXPECT_EQ(SourceUnits()->currentText(), "pound (lb)");
    // The page took the pick: the value is converted from the new unit and its position stored.
    EXPECT_TRUE(Target()->text().startsWith("907.18474")) << Target()->text().toStdString();
    EXPECT_EQ(Stored("Settings\\Categories\\13", "SourceUnit"), 2) << "pound (lb): the file's third row";

    // The next opening shows the whole list in its usual order.
    Open(SourceUnits());
    EXPECT_EQ(SourceUnits()->FilterText(), "");
    EXPECT_EQ(Shown(SourceUnits()), Entries(SourceUnits()));
    SourceUnits()->hidePopup();
}

// The open list is as tall as the matches, with no empty room below them, and grows back when the
// words are taken away.
TEST_F(UnitFilterTest, TheOpenListShrinksToTheMatches)
{
    MakePage();
    ChooseCategory("Weight");
    page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    Open(SourceUnits());
    QAbstractItemView* view = SourceUnits()->view();
    QWidget* popup = view->parentWidget();
    const int opened = popup->height();
    const int row = view->sizeHintForRow(0);

    TypeInto(SourceUnits(), "pound");
    ASSERT_EQ(Shown(SourceUnits()).size(), 2);
    EXPECT_LT(popup->height(), opened);
    EXPECT_GE(view->viewport()->height(), 2 * row);
    EXPECT_LT(view->viewport()->height(), 3 * row);
    // Nothing matches: one row's room stays for the words typed.
    TypeInto(SourceUnits(), "xyz");
    EXPECT_GE(view->viewport()->height(), row);
    EXPECT_LT(view->viewport()->height(), 2 * row);

    for (int i = 0; i < 8; ++i)
        Press(SourceUnits(), Qt::Key_Backspace);
    EXPECT_EQ(SourceUnits()->FilterText(), "");
    EXPECT_EQ(popup->height(), opened);
    SourceUnits()->hidePopup();
}

TEST_F(UnitFilterTest, SeveralWordsAndArrowsChooseAmongTheMatches)
{
    MakePage();
    ChooseCategory("Currency");
    Open(TargetUnits());
    TypeInto(TargetUnits(), "usd");
    EXPECT_EQ(Shown(TargetUnits()),
              QStringList({"American Samoa United States Dollar (USD)", "United States Dollars (USD)"}));
    TypeInto(TargetUnits(), " dollars");
    EXPECT_EQ(Shown(TargetUnits()), QStringList({"United States Dollars (USD)"}));
    Press(TargetUnits(), Qt::Key_Backspace);
    Press(TargetUnits(), Qt::Key_Backspace);
    Press(TargetUnits(), Qt::Key_Down);
    Press(TargetUnits(), Qt::Key_Enter);
    EXPECT_EQ(TargetUnits()->currentText(), "United States Dollars (USD)");
}

TEST_F(UnitFilterTest, EscapeAndAFilterWithoutMatchesLeaveTheSelectionAsItWas)
{
    MakePage();
    ChooseCategory("Weight");
    Choose(TargetUnits(), "ounce (oz)");
    const int stored = Stored("Settings\\Categories\\13", "TargetUnit");

    Open(TargetUnits());
    TypeInto(TargetUnits(), "kilo");
    EXPECT_EQ(Shown(TargetUnits()), QStringList({"kilogram (kg)"}));
    Press(TargetUnits(), Qt::Key_Escape);
    EXPECT_FALSE(TargetUnits()->view()->isVisible());
    EXPECT_EQ(TargetUnits()->currentText(), "ounce (oz)");
    EXPECT_EQ(Stored("Settings\\Categories\\13", "TargetUnit"), stored);

    // Nothing to pick: Enter does nothing, the list stays open until Escape.
    Open(TargetUnits());
    TypeInto(TargetUnits(), "furlong");
    EXPECT_EQ(Shown(TargetUnits()), QStringList());
    Press(TargetUnits(), Qt::Key_Return);
    EXPECT_TRUE(TargetUnits()->view()->isVisible());
    Press(TargetUnits(), Qt::Key_Escape);
    EXPECT_EQ(TargetUnits()->currentText(), "ounce (oz)");
}

TEST_F(UnitFilterTest, AClickPicksAmongTheMatches)
{
    MakePage();
    ChooseCategory("Currency");
    Choose(SourceUnits(), "Euro (EUR)");
    Open(SourceUnits());
    TypeInto(SourceUnits(), "yen");
    EXPECT_EQ(Shown(SourceUnits()), QStringList({"Japanese Yen (JPY)"}));
    Click(SourceUnits(), "Japanese Yen (JPY)");
    EXPECT_FALSE(SourceUnits()->view()->isVisible());
    EXPECT_EQ(SourceUnits()->currentText(), "Japanese Yen (JPY)");
    // The rate line follows the source currency.
    EXPECT_TRUE(Label("rateLine")->text().contains("160.5")) << Label("rateLine")->text().toStdString();
}

TEST_F(UnitFilterTest, TheValueListOfALookupCategoryFiltersToo)
{
    MakePage();
    ChooseCategory("Film Sensitivity");
    Choose(SourceUnits(), "ASA / ISO");
    Choose(TargetUnits(), "DIN");
    Open(Values());
    TypeInto(Values(), "00");
    // Unsorted lists keep their file order among the matches.
    EXPECT_EQ(Shown(Values()), QStringList({"100", "200", "400", "1000"}));
    TypeInto(Values(), "0");
    Click(Values(), "1000");
    EXPECT_EQ(Values()->currentText(), "1000");
    EXPECT_EQ(Target()->text(), "31");
}

TEST_F(UnitFilterTest, LongEntriesShowWholeInTheTooltipAndTheOpenList)
{
    MakePage();
    ChooseCategory("Currency");
    const QString longest = "American Samoa United States Dollar (USD)";
    Choose(SourceUnits(), longest);
    EXPECT_EQ(SourceUnits()->toolTip(), longest);
    Choose(SourceUnits(), "Euro (EUR)");
    EXPECT_EQ(SourceUnits()->toolTip(), "Euro (EUR)");

    page->show();
    Open(SourceUnits());
    const QAbstractItemView* view = SourceUnits()->view();
    EXPECT_GT(view->width(), SourceUnits()->width());
    EXPECT_GE(view->viewport()->width(), view->fontMetrics().horizontalAdvance(longest));
    EXPECT_LE(view->window()->width(), SourceUnits()->screen()->availableGeometry().width());
    SourceUnits()->hidePopup();
}

TEST_F(UnitFilterTest, TheCategoryListKeepsItsFirstLetterSearch)
{
    MakePage();
    Open(Categories());
    TypeInto(Categories(), "W");
    EXPECT_EQ(Categories()->FilterText(), "");
    EXPECT_EQ(Shown(Categories()).size(), Categories()->count());
    Categories()->hidePopup();
}

} // namespace
} // namespace kelvara::test
