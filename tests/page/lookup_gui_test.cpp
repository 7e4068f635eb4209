#include "pagefixture.h"

namespace kelvara::test {
namespace {

using FilmSensitivityTest = PageTest;

TEST_F(FilmSensitivityTest, AListedSpeedIsReadInTheOtherScale)
{
    MakePage();
    ChooseCategory("Film Sensitivity");
    // The value list takes the place of the typed value.
    EXPECT_FALSE(Source()->isVisibleTo(page.get()));
    EXPECT_TRUE(Values()->isVisibleTo(page.get()));
    EXPECT_FALSE(Button("clearButton")->isEnabled());
    EXPECT_TRUE(Button("swapButton")->isEnabled());
    EXPECT_EQ(Entries(SourceUnits()), QStringList({"ASA / ISO", "DIN"}));

    Choose(SourceUnits(), "DIN");
    Choose(TargetUnits(), "ASA / ISO");
    // Unsorted: the file's order.
    EXPECT_EQ(Entries(Values()), QStringList({"12", "21", "24", "27", "31"}));
    Choose(Values(), "21");
    EXPECT_EQ(Target()->text(), "100");
    EXPECT_EQ(Clipboard(), "100");
    // The value list is shown, so its position is remembered too.
    EXPECT_EQ(Stored("Settings\\Categories\\5", "SourceValue"), 1);

    Choose(TargetUnits(), "DIN");
    EXPECT_EQ(Target()->text(), "21");
}

TEST_F(FilmSensitivityTest, ChangingTheScaleRelistsTheValuesOnTheSameRow)
{
    MakePage();
    ChooseCategory("Film Sensitivity");
    Choose(SourceUnits(), "DIN");
    Choose(Values(), "24");
    Choose(SourceUnits(), "ASA / ISO");
    EXPECT_EQ(Entries(Values()), QStringList({"12", "100", "200", "400", "1000"}));
    EXPECT_EQ(Values()->currentText(), "200");

    // Swapping the scales keeps the row as well.
    Choose(TargetUnits(), "DIN");
    Button("swapButton")->click();
    EXPECT_EQ(SourceUnits()->currentText(), "DIN");
    EXPECT_EQ(Values()->currentText(), "24");
    EXPECT_EQ(Target()->text(), "200");
}

TEST_F(FilmSensitivityTest, TheStoredRowComesBack)
{
    store.WriteProfileInt("Settings", "Category", 5);
    store.WriteProfileInt("Settings\\Categories\\5", "SourceUnit", 1);
    store.WriteProfileInt("Settings\\Categories\\5", "TargetUnit", 0);
    store.WriteProfileInt("Settings\\Categories\\5", "SourceValue", 4);
    MakePage();
    EXPECT_EQ(Categories()->currentText(), "Film Sensitivity");
    EXPECT_EQ(Values()->currentText(), "31");
    EXPECT_EQ(Target()->text(), "1000");
}

using CountryCodeTest = PageTest;

TEST_F(CountryCodeTest, TheCodeListAndTheCountryListFollowEachOther)
{
    MakePage();
    ChooseCategory("Country and Phone Codes");
    EXPECT_EQ(Label("sourceValueLabel")->text(), "Code / &Intl:");
    EXPECT_EQ(Label("sourceUnitLabel")->text(), "Cou&ntry:");
    EXPECT_EQ(Label("targetValueLabel")->text(), "&Phone / Cellular:");
    EXPECT_EQ(Label("targetUnitLabel")->text(), "Se&rvice:");
    EXPECT_FALSE(Button("clearButton")->isEnabled());
    EXPECT_FALSE(Button("swapButton")->isEnabled());
    EXPECT_EQ(Entries(Values()), QStringList({"AD / +376", "AM / +374", "AG / +1268", "+871", "CG / +242"}));
    EXPECT_EQ(Entries(SourceUnits()), QStringList({"[INMARSAT - Oriental Atlantic Ocean]", "Andorra",
                                                   "Antigua and Barbuda", "Armenia", "Congo, Republic of"}));
    EXPECT_EQ(Entries(TargetUnits()), QStringList({"Fire Department", "Police Department", "Rescue"}));

    Choose(SourceUnits(), "Andorra");
    EXPECT_EQ(Values()->currentText(), "AD / +376");
    Choose(TargetUnits(), "Rescue");
    EXPECT_EQ(Target()->text(), "17");

    Choose(Values(), "AM / +374");
    EXPECT_EQ(SourceUnits()->currentText(), "Armenia");
    // The service stays; the number keeps its leading zero.
    EXPECT_EQ(TargetUnits()->currentText(), "Rescue");
    EXPECT_EQ(Target()->text(), "03");

    Choose(SourceUnits(), "Antigua and Barbuda");
    EXPECT_EQ(Values()->currentText(), "AG / +1268");
    EXPECT_EQ(Target()->text(), "999 or 911");

    Choose(Values(), "+871");
    EXPECT_EQ(SourceUnits()->currentText(), "[INMARSAT - Oriental Atlantic Ocean]");
    EXPECT_EQ(Target()->text(), "");
}

TEST_F(CountryCodeTest, ServiceNumbersAreShownAsTextNotAsResults)
{
    MakePage();
    ChooseCategory("Country and Phone Codes");
    QGuiApplication::clipboard()->setText("before");
    Choose(SourceUnits(), "Armenia");
    Choose(TargetUnits(), "Fire Department");
    EXPECT_EQ(Target()->text(), "01");
    EXPECT_EQ(Clipboard(), "before");
    // The row is stored as a position in the value list and comes back with the category.
    ChooseCategory("Area");
    ChooseCategory("Country and Phone Codes");
    EXPECT_EQ(SourceUnits()->currentText(), "Armenia");
    EXPECT_EQ(Values()->currentText(), "AM / +374");
}

} // namespace
} // namespace kelvara::test
