#include "pagefixture.h"

#include "platform/settingsprofilestore.h"
#include "support/testenv.h"

#include "platform/localeitems.h"
#include "support/germannotation.h"

#include <QGridLayout>
#include <QHelpEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QToolTip>

#include <cstdlib>
#include <filesystem>

namespace kelvara::test {
namespace {

using SettingsTest = PageTest;

TEST_F(SettingsTest, FirstStartOpensOnLengthAndWritesTheSelectionsAtOnce)
{
    MakePage();
    EXPECT_TRUE(page->IsWorking());
    ASSERT_EQ(Categories()->count(), 24);
    EXPECT_EQ(Categories()->itemText(0), "Acceleration");
    EXPECT_EQ(Categories()->itemText(23), "Weight");
    EXPECT_EQ(Categories()->currentText(), "Length");
    EXPECT_EQ(page->Caption(), "Kelvara [Length]");

    // Sorted lists: the bracketed group first, whatever the file order.
    EXPECT_EQ(Entries(SourceUnits()).first(), "[UK] nautical mile (n.m.)");
    EXPECT_EQ(SourceUnits()->currentText(), "meter (m)");
    EXPECT_EQ(TargetUnits()->currentText(), "foot (ft)");

    // Stored in orders no language changes: Length is the catalogue's second category, the metre
    // the fourth row of its file; the section is Length's place among the English names.
    EXPECT_EQ(Stored("Settings", "Category"), 1);
    EXPECT_EQ(Stored("Settings\\Categories\\6", "SourceUnit"), 3);
    EXPECT_EQ(Stored("Settings\\Categories\\6", "TargetUnit"), 2);
    // The value list is not shown for a typed category, so its position is not written.
    EXPECT_FALSE(store.Contains("Settings\\Categories\\6", "SourceValue"));
    EXPECT_TRUE(presenter.messages.empty());
}

// The program's window stores the start's selections once its event loop runs, not before it shows;
// a page that goes first stores nothing, and a change made first is what is stored.
TEST_F(SettingsTest, ADeferredStartSaveStoresTheSelectionsOnceTheEventLoopRuns)
{
    store.WriteProfileInt("Settings", "Category", 99);
    store.writes = 0;
    page = std::make_unique<CConversionPage>(
        nullptr, [] { return true; }, CConversionPage::StartSave::Deferred);
    EXPECT_EQ(Categories()->currentText(), "Acceleration");
    EXPECT_EQ(store.writes, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Stored("Settings", "Category"), 23) << "the corrected category is stored";
    EXPECT_EQ(Stored("Settings\\Categories\\23", "SourceUnit"), 0) << "m/s², Acceleration's first visit";

    page = std::make_unique<CConversionPage>(
        nullptr, [] { return true; }, CConversionPage::StartSave::Deferred);
    ChooseCategory("Weight");
    Choose(SourceUnits(), "pound (lb)");
    QCoreApplication::processEvents();
    EXPECT_EQ(Stored("Settings", "Category"), 0);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "SourceUnit"), 2);

    store.writes = 0;
    page = std::make_unique<CConversionPage>(
        nullptr, [] { return true; }, CConversionPage::StartSave::Deferred);
    page.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(store.writes, 0);
}

TEST_F(SettingsTest, SelectionsAreWrittenPerCategoryButTypedValuesNever)
{
    MakePage();
    ChooseCategory("Weight");
    EXPECT_EQ(page->Caption(), "Kelvara [Weight]");
    Choose(SourceUnits(), "pound (lb)");
    Choose(TargetUnits(), "ounce (oz)");
    EXPECT_EQ(Stored("Settings", "Category"), 0);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "SourceUnit"), 2);
    EXPECT_EQ(Stored("Settings\\Categories\\13", "TargetUnit"), 3);

    store.writes = 0;
    Type(Source(), "12");
    Button("clearButton")->click();
    EXPECT_EQ(store.writes, 0);

    // Back in another category and again in Weight: the units come back.
    ChooseCategory("Area");
    ChooseCategory("Weight");
    EXPECT_EQ(SourceUnits()->currentText(), "pound (lb)");
    EXPECT_EQ(TargetUnits()->currentText(), "ounce (oz)");
}

TEST_F(SettingsTest, TheSelectionsSurviveARestartInTheUsersSettingsFile)
{
    SettingsProfileStore settings;
    SetProfile(&settings);
    page = std::make_unique<CConversionPage>(nullptr, [] { return true; });
    ChooseCategory("Weight");
    Choose(SourceUnits(), "pound (lb)");
    page.reset();

    const QString path = QString::fromStdString(settings.GetLocation());
    EXPECT_TRUE(path.endsWith("/config/Brask/Kelvara.conf")) << path.toStdString();
    const QSettings file(path, QSettings::IniFormat);
    EXPECT_EQ(file.value("Settings/Category").toInt(), 0);
    EXPECT_EQ(file.value("Settings/Categories/13/SourceUnit").toInt(), 2);

    page = std::make_unique<CConversionPage>(nullptr, [] { return true; });
    EXPECT_EQ(Categories()->currentText(), "Weight");
    EXPECT_EQ(SourceUnits()->currentText(), "pound (lb)");
    page.reset();
    SetProfile(&store);
}

using ConversionTest = PageTest;

TEST_F(ConversionTest, ATypedValueIsConvertedShownAndPutOnTheClipboard)
{
    MakePage();
    ChooseCategory("Weight");
    Choose(SourceUnits(), "pound (lb)");
    Choose(TargetUnits(), "kilogram (kg)");
    EXPECT_FALSE(Button("copyButton")->isEnabled());

    Type(Source(), "2");
    EXPECT_EQ(Target()->text(), "0.90718474");
    EXPECT_EQ(Clipboard(), "0.90718474");
    EXPECT_TRUE(Button("copyButton")->isEnabled());
    // The result is not left selected, and the field shows its start.
    EXPECT_FALSE(Target()->hasSelectedText());
    EXPECT_EQ(Target()->cursorPosition(), 0);

    Button("copyButton")->click();
    EXPECT_EQ(Clipboard(), "2 pound (lb) = 0.90718474 kilogram (kg)");

    // Deleting the value empties the result but leaves the clipboard alone.
    QTest::keyClick(Source(), Qt::Key_Backspace);
    EXPECT_EQ(Target()->text(), "");
    EXPECT_FALSE(Button("copyButton")->isEnabled());
    EXPECT_EQ(Clipboard(), "2 pound (lb) = 0.90718474 kilogram (kg)");
}

// 0 has no reciprocal: the field says so, and neither the clipboard nor Copy takes the message.
TEST_F(ConversionTest, AValueWithoutAResultSaysWhyAndIsNotCopied)
{
    MakePage();
    ChooseCategory("Fuel Economy");
    Choose(SourceUnits(), "liters per 100 kilometers (L/100 km)");
    Choose(TargetUnits(), "kilometers per liter (km/L)");
    Type(Source(), "5");
    EXPECT_EQ(Target()->text(), "20");
    EXPECT_EQ(Clipboard(), "20");

    QTest::keyClick(Source(), Qt::Key_Backspace);
    Type(Source(), "0");
    EXPECT_EQ(Target()->text().toStdString(), LoadString(IDS_NO_RECIPROCAL));
    EXPECT_EQ(Clipboard(), "20");
    EXPECT_FALSE(Button("copyButton")->isEnabled());

    // Another target takes the value linearly: a number again, and Copy with it.
    Choose(TargetUnits(), "[US] gallons per 100 miles (gal/100 mi)");
    EXPECT_EQ(Target()->text(), "0");
    EXPECT_TRUE(Button("copyButton")->isEnabled());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ConversionTest, TheSourceFieldAdmitsTheDigitsOfTheSourceUnit)
{
    MakePage();
    ChooseCategory("Numbers");
    Choose(SourceUnits(), "hexadecimal");
    Choose(TargetUnits(), "decimal");
    // Lower-case letters are admitted as their upper-case digits and shown in upper case.
    Type(Source(), "fg.f");
    EXPECT_EQ(Source()->text(), "FF");
    EXPECT_EQ(Target()->text(), "255");

    Button("clearButton")->click();
    Choose(SourceUnits(), "binary");
    Type(Source(), "1021");
    EXPECT_EQ(Source()->text(), "101");
    EXPECT_EQ(Target()->text(), "5");
}

TEST_F(ConversionTest, ClearEmptiesBothFields)
{
    MakePage();
    ChooseCategory("Weight");
    Type(Source(), "5");
    ASSERT_FALSE(Target()->text().isEmpty());
    Button("clearButton")->click();
    EXPECT_EQ(Source()->text(), "");
    EXPECT_EQ(Target()->text(), "");
    EXPECT_FALSE(Button("copyButton")->isEnabled());
}

TEST_F(ConversionTest, SwapExchangesDifferentUnitsAndEmptiesBothFields)
{
    MakePage();
    ChooseCategory("Weight");
    Choose(SourceUnits(), "pound (lb)");
    Choose(TargetUnits(), "kilogram (kg)");
    Type(Source(), "2");
    Button("swapButton")->click();
    EXPECT_EQ(SourceUnits()->currentText(), "kilogram (kg)");
    EXPECT_EQ(TargetUnits()->currentText(), "pound (lb)");
    EXPECT_EQ(Source()->text(), "");
    EXPECT_EQ(Target()->text(), "");

    // The same unit on both sides: nothing happens, the value stays.
    Choose(TargetUnits(), "kilogram (kg)");
    Type(Source(), "3");
    Button("swapButton")->click();
    EXPECT_EQ(Source()->text(), "3");
    EXPECT_EQ(Target()->text(), "3");
}

// The road of one conversion with regional notation on: read regionally, converted neutrally,
// shown and copied regionally.
TEST_F(ConversionTest, RegionalNotationIsReadAndShownInTheValueFieldsAndTheRateLine)
{
    const kelvara::test::GermanNotation german;
    MakePage(true);
    ChooseCategory("Weight");
    Choose(SourceUnits(), "kilogram (kg)");
    Choose(TargetUnits(), "gram (g)");
    Type(Source(), "1x2,5");
    EXPECT_EQ(Source()->text(), "12,5");
    EXPECT_EQ(Target()->text(), "12.500");
    EXPECT_EQ(Clipboard(), "12.500");

    ChooseCategory("Currency");
    Choose(SourceUnits(), "United States Dollars (USD)");
    EXPECT_EQ(Label("rateLine")->text().section(QStringLiteral("  ("), 0, 0), "1 \u20AC = 1,29301");
    page->SetUseRegionalSettings(false);
    EXPECT_EQ(Label("rateLine")->text().section(QStringLiteral("  ("), 0, 0), "1 \u20AC = 1.29301");
}

TEST_F(ConversionTest, TurningRegionalNotationOffEmptiesTheFieldsAndAdmitsNeutralCharacters)
{
    MakePage(true);
    ChooseCategory("Weight");
    Type(Source(), "2");
    page->SetUseRegionalSettings(false);
    EXPECT_FALSE(page->UsesRegionalSettings());
    EXPECT_EQ(Source()->text(), "");
    EXPECT_EQ(Target()->text(), "");
    Type(Source(), "-1,5.5");
    EXPECT_EQ(Source()->text(), "-15.5");
}

TEST_F(ConversionTest, TheCaptionFollowsTheCategory)
{
    MakePage();
    QSignalSpy spy(page.get(), &CConversionPage::CaptionChanged);
    ChooseCategory("Numbers");
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), "Kelvara [Numbers]");
    EXPECT_EQ(Label("sourceValueLabel")->text(), "Source &Value:");
}

TEST_F(ConversionTest, ALongValueShowsItsFirst255CharactersAsTooltip)
{
    MakePage();
    ChooseCategory("Weight");
    page->show();
    const QString value(300, QLatin1Char('1'));
    Source()->setText(value);
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), Source()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(Source(), &help);
    EXPECT_EQ(QToolTip::text(), value.left(255));

    Choose(SourceUnits(), "pound and ounce (lb. oz.)");
    QApplication::sendEvent(SourceUnits(), &help);
    EXPECT_EQ(QToolTip::text(), "pound and ounce (lb. oz.)");
    QToolTip::hideText();
}

TEST_F(ConversionTest, TheSeparatorSitsBelowTheExtraRowOnlyWhenTheCategoryHasOne)
{
    MakePage();
    page->show();
    auto* separator = Child<QWidget>("separator");
    auto* grid = Child<QGridLayout>("conversionGrid");
    const auto rowOf = [&](QWidget* widget) {
        int row = -1, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rows, &columns);
        return row;
    };

    ChooseCategory("Currency");
    QApplication::processEvents();
    auto* rateLine = Label("rateLine");
    ASSERT_TRUE(rateLine->isVisible());
    EXPECT_GT(rowOf(separator), rowOf(SourceUnits()) + 1);
    EXPECT_GE(separator->geometry().top(), rateLine->geometry().bottom());
    EXPECT_LE(separator->geometry().bottom(), Label("targetUnitLabel")->geometry().top());

    ChooseCategory("Weight");
    QApplication::processEvents();
    EXPECT_FALSE(rateLine->isVisible());
    EXPECT_EQ(rowOf(separator), rowOf(SourceUnits()) + 1);
    EXPECT_GE(separator->geometry().top(), SourceUnits()->geometry().bottom());
    EXPECT_LE(separator->geometry().bottom(), Label("targetUnitLabel")->geometry().top());
}

// The window has a fixed size: it must not jump when another category shows. Currency's rate line,
// with its date, is the widest row there is.
TEST_F(ConversionTest, ThePageKeepsItsSizeInEveryCategory)
{
    MakePage();
    page->show();
    QApplication::processEvents();
    const QSize size = page->sizeHint();
    const int least = page->minimumSizeHint().height();
    for (const char* category : {"Currency", "Time Difference", "Film Sensitivity", "Weight"}) {
        ChooseCategory(category);
        QApplication::processEvents();
        EXPECT_EQ(page->sizeHint().height(), size.height()) << category;
        EXPECT_EQ(page->minimumSizeHint().height(), least) << category;
        if (std::string_view(category) != "Time Difference") { // the system zone's name may be longer
            EXPECT_EQ(page->sizeHint().width(), size.width()) << category;
        }
    }
}

using FailureTest = PageTest;

TEST_F(FailureTest, ACategoryWithoutDataReportsAndDisablesThePage)
{
    MakePage();
    ChooseCategory("Energy"); // no energy.dat among the fixtures
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text.rfind("Initialization failed.", 0), 0u)
        << presenter.messages[0].text;
    EXPECT_EQ(presenter.messages[0].type & MB_ICONMASK, unsigned{MB_ICONERROR});
    EXPECT_FALSE(page->IsWorking());
    EXPECT_FALSE(Categories()->isEnabled());
    EXPECT_FALSE(Source()->isEnabled());
    EXPECT_FALSE(SourceUnits()->isEnabled());
    EXPECT_FALSE(TargetUnits()->isEnabled());
    EXPECT_FALSE(Button("copyButton")->isEnabled());
}

TEST_F(FailureTest, DataThatCannotBePreparedDisablesThePageFromTheStart)
{
    page = std::make_unique<CConversionPage>(nullptr, [] {
        errno = ENOSPC;
        return false;
    });
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_NE(presenter.messages[0].text.find("Initialization failed.\n\n"), std::string::npos);
    EXPECT_NE(presenter.messages[0].text.find("[0x8007001C]"), std::string::npos)
        << presenter.messages[0].text;
    EXPECT_FALSE(page->IsWorking());
    EXPECT_FALSE(Categories()->isEnabled());
    EXPECT_EQ(Categories()->count(), 0);
    EXPECT_EQ(page->Caption(), "Kelvara");
    EXPECT_FALSE(store.Contains("Settings", "Category"));
}

TEST_F(FailureTest, WithoutAPreparerThePageReadsTheBuiltInArchiveWithoutTemporaryFiles)
{
    const std::string empty = TestRoot() + "/no-data-here";
    std::filesystem::create_directories(empty);
    SetProgramDirectoryOverride(empty);
    store.WriteProfileInt("Options", "UseRegionalSettings", 0);
    page = std::make_unique<CConversionPage>();
    ChooseCategory("Energy");
    EXPECT_TRUE(page->IsWorking());
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(SourceUnits()->count(), 18);

    const auto leftovers = [] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(std::getenv("TMPDIR")))
            count += entry.path().filename().string().rfind("Tav", 0) == 0;
        return count;
    };
    // The data is inflated in memory: nothing is written, neither while the page lives nor after.
    EXPECT_EQ(leftovers(), 0);
    page.reset();
    EXPECT_EQ(leftovers(), 0);
}

} // namespace
} // namespace kelvara::test
