#include "pagefixture.h"
#include "support/pseudolanguage.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"

#include "text/formatting.h"
#include <QDate>
#include <QLocale>

namespace kelvara::test {
namespace {

class CurrencyPageTest : public PageTest {
protected:
    void OpenCurrency()
    {
        MakePage();
        ChooseCategory("Currency");
    }
    // The rate, without the age that follows it in parentheses.
    QString RateLine() const { return Label("rateLine")->text().section(QStringLiteral("  ("), 0, 0); }
    QString RateAge() const { return Label("rateLine")->text().section(QStringLiteral("  ("), 1); }
    bool RateButtonShown() const { return Button("rateButton")->isVisibleTo(page.get()); }
};

TEST_F(CurrencyPageTest, TheRateLineShowsTheSourceCurrencyAgainstTheChosenReference)
{
    OpenCurrency();
    EXPECT_EQ(Label("sourceUnitLabel")->text(), "S&ource Currency:");
    EXPECT_EQ(Label("targetUnitLabel")->text(), "Target Curre&ncy:");
    Choose(SourceUnits(), "United States Dollars (USD)");
    EXPECT_TRUE(Label("rateLine")->isVisibleTo(page.get()));
    EXPECT_TRUE(Button("referenceButton")->isVisibleTo(page.get()));
    EXPECT_EQ(RateLine(), "1 \u20AC = 1.29301");
    EXPECT_TRUE(RateButtonShown());

    Button("referenceButton")->click();
    EXPECT_EQ(RateLine(), "US$ 1 = 1");
    EXPECT_EQ(Stored("Options", "EuroReference"), 0);
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    EXPECT_EQ(RateLine(), "US$ 1 = " + QString::fromStdString(FormatSignificant(160.5 / 1.29301, 15)));

    Button("referenceButton")->click();
    EXPECT_EQ(Stored("Options", "EuroReference"), 1);
    EXPECT_EQ(RateLine(), "1 \u20AC = 160.5");

    // A fixed currency offers no rate update.
    Choose(SourceUnits(), "Euro (EUR)");
    EXPECT_FALSE(RateButtonShown());

    // Leaving the category hides the rate controls.
    ChooseCategory("Weight");
    EXPECT_FALSE(Label("rateLine")->isVisibleTo(page.get()));
    EXPECT_FALSE(Button("referenceButton")->isVisibleTo(page.get()));
    EXPECT_FALSE(RateButtonShown());
}

TEST_F(CurrencyPageTest, AmountsConvertThroughTheEuroRates)
{
    OpenCurrency();
    Choose(SourceUnits(), "Euro (EUR)");
    Choose(TargetUnits(), "United States Dollars (USD)");
    Type(Source(), "100");
    EXPECT_EQ(Target()->text(), QString::fromStdString(FormatSignificant(1.29301 * 100 / 1, 15)));
    EXPECT_EQ(Clipboard(), Target()->text());
}

TEST_F(CurrencyPageTest, ATypedRateIsTakenStoredAndClearsTheFields)
{
    OpenCurrency();
    Choose(SourceUnits(), "United States Dollars (USD)");
    Choose(TargetUnits(), "Euro (EUR)");
    Type(Source(), "1.25");
    Button("rateButton")->click();
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(RateLine(), "1 \u20AC = 1.25");
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "USD"), "1.25");
    EXPECT_EQ(Source()->text(), "");
    EXPECT_EQ(Target()->text(), "");
    EXPECT_FALSE(Button("copyButton")->isEnabled());

    // The new rate converts at once, for every row of the same currency.
    Type(Source(), "2.5");
    EXPECT_EQ(Target()->text(), "2");
    Button("clearButton")->click();
    Choose(SourceUnits(), "American Samoa United States Dollar (USD)");
    EXPECT_EQ(RateLine(), "1 \u20AC = 1.25");
}

TEST_F(CurrencyPageTest, ARateThatIsNotPositiveIsRefusedAndNothingChanges)
{
    OpenCurrency();
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    for (const char* typed : {"0", "-3", "1e999"}) {
        presenter.messages.clear();
        Source()->setText(typed);
        Button("rateButton")->click();
        ASSERT_EQ(presenter.messages.size(), 1u) << typed;
        EXPECT_EQ(presenter.messages[0].text, "Invalid currency rate");
        EXPECT_EQ(presenter.messages[0].type, unsigned{MB_OK | MB_ICONEXCLAMATION});
        EXPECT_EQ(RateLine(), "1 \u20AC = 160.5") << typed;
        EXPECT_FALSE(store.Contains("Settings\\Rates", "JPY")) << typed;
        // The field keeps its text for the user to correct.
        EXPECT_EQ(Source()->text(), QString(typed).toUpper());
    }
}

TEST_F(CurrencyPageTest, AnEmptyFieldFetchesTheRateWhenAFetcherIsSet)
{
    OpenCurrency();
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    // Without a fetcher nothing happens.
    Button("rateButton")->click();
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_FALSE(store.Contains("Settings\\Rates", "JPY"));

    std::string asked;
    page->SetRateFetcher([&](CCurrency& currency) -> std::optional<double> {
        asked = currency.GetCode();
        return 161.25;
    });
    Button("rateButton")->click();
    EXPECT_EQ(asked, "JPY");
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "JPY"), "161.25")
        << "stored as every document rate is: every digit, no more";
    EXPECT_EQ(RateLine(), "1 \u20AC = 161.25");

    // A failed fetch changes nothing and says nothing more.
    page->SetRateFetcher([](CCurrency&) -> std::optional<double> { return std::nullopt; });
    Button("rateButton")->click();
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_EQ(RateLine(), "1 \u20AC = 161.25");
}

TEST_F(CurrencyPageTest, AStoredRateIsUsedAtTheNextStart)
{
    store.WriteProfileString("Settings\\Rates", "USD", "1.5");
    OpenCurrency();
    Choose(SourceUnits(), "American Samoa United States Dollar (USD)");
    EXPECT_EQ(RateLine(), "1 \u20AC = 1.5");
}

// The day the tests run on, for the ages of rates.
class RateAgeTest : public CurrencyPageTest {
protected:
    void SetUp() override
    {
        CurrencyPageTest::SetUp();
        SetClockOverride([] { return DaysFromCivil(2026, 12, 8) * kSecondsPerDay * kTicksPerSecond; });
    }
    void TearDown() override
    {
        SetClockOverride({});
        CurrencyPageTest::TearDown();
    }
    static QString Short(int y, int m, int d)
    {
        return QLocale::system().toString(QDate(y, m, d), QLocale::ShortFormat);
    }
    QString Tip() const { return Label("rateLine")->toolTip(); }
};

TEST_F(RateAgeTest, EveryRateShowsWhereItComesFromAndHowOldItIs)
{
    WriteStoredRate("USD", "1.0523", "2026-12-07", kRateSourceEcb);
    WriteStoredRate("GBP", "0.85", "2026-11-30", kRateSourceEcb);
    store.WriteProfileString(kRatesSection, "CHF", "1.6"); // kept before dates were
    OpenCurrency();

    Choose(SourceUnits(), "United States Dollars (USD)");
    EXPECT_EQ(RateAge(), "ECB, " + Short(2026, 12, 7) + ")");
    EXPECT_FALSE(page->IsRateLineWarning());
    EXPECT_EQ(Tip(), "Rates of " + Short(2026, 12, 7));

    // Eight days old, the built-in rate and a rate of unknown day all warn.
    Choose(SourceUnits(), "United Kingdom Pounds (GBP)");
    EXPECT_TRUE(page->IsRateLineWarning());
    EXPECT_EQ(Tip(), "Rates of " + Short(2026, 11, 30) +
                         " (ECB): more than 7 days old. Press Rate to fetch current ones.");
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    EXPECT_EQ(RateAge(), "built-in, " + Short(2026, 9, 29) + ")");
    EXPECT_TRUE(page->IsRateLineWarning());
    EXPECT_TRUE(Tip().startsWith("Rates of " + Short(2026, 9, 29) + " (built-in)"));
    EXPECT_NE(Label("rateLine")->palette().color(QPalette::WindowText),
              Label("sourceUnitLabel")->palette().color(QPalette::WindowText));
    Choose(SourceUnits(), "Switzerland Francs (CHF)");
    EXPECT_EQ(RateAge(), "stored, date unknown)");
    EXPECT_TRUE(page->IsRateLineWarning());

    // A fixed rate does not age; with the dollar reference the older of the two rates counts.
    Choose(SourceUnits(), "Andorra Euro (EUR)");
    EXPECT_EQ(RateAge(), "fixed)");
    Choose(SourceUnits(), "Euro (EUR)");
    EXPECT_EQ(RateAge(), "fixed)");
    EXPECT_FALSE(page->IsRateLineWarning());
    EXPECT_EQ(Tip(), "");
    Button("referenceButton")->click();
    EXPECT_EQ(RateAge(), "ECB, " + Short(2026, 12, 7) + ")");
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    EXPECT_EQ(RateAge(), "built-in, " + Short(2026, 9, 29) + ")");
}

TEST_F(RateAgeTest, RatesTypedOrFetchedAreStoredWithTheirDayAndSource)
{
    OpenCurrency();
    Choose(SourceUnits(), "United States Dollars (USD)");
    Type(Source(), "1.25");
    Button("rateButton")->click();
    EXPECT_EQ(store.GetProfileString(kRatesSection, "USD.Date"), "2026-12-08");
    EXPECT_EQ(store.GetProfileString(kRatesSection, "USD.Source"), "typed");
    EXPECT_EQ(RateAge(), "typed, " + Short(2026, 12, 8) + ")");
    EXPECT_FALSE(page->IsRateLineWarning());

    page->SetRateFetcher([](CCurrency&) -> std::optional<double> { return 161.25; });
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    Button("rateButton")->click();
    EXPECT_EQ(store.GetProfileString(kRatesSection, "JPY.Source"), "service");
}

TEST_F(RateAgeTest, AReferenceCurrencyUpdatesEveryRateInOneGo)
{
    OpenCurrency();
    int fetched = 0;
    int updated = 0;
    page->SetRateFetcher([&](CCurrency&) -> std::optional<double> {
        ++fetched;
        return 1.0;
    });
    page->SetRatesUpdate([&](CCurrencyCategory& currencies, const std::string& code, bool& covered) {
        ++updated;
        WriteStoredRate("USD", "1.0523", "2026-12-08", kRateSourceEcb);
        WriteStoredRate("JPY", "162.35", "2026-12-08", kRateSourceEcb);
        currencies.ReloadStoredRates();
        covered = code != "XAU";
        return true;
    });
    Choose(SourceUnits(), "Japanese Yen (JPY)");
    Type(Source(), "");
    Button("rateButton")->click();
    EXPECT_EQ(updated, 1);
    EXPECT_EQ(fetched, 0);
    EXPECT_EQ(RateLine(), "1 \u20AC = " + QString::fromStdString(FormatSignificant(162.35, 15)));
    EXPECT_EQ(RateAge(), "ECB, " + Short(2026, 12, 8) + ")");
    // The other currencies took theirs too.
    Choose(SourceUnits(), "United States Dollars (USD)");
    EXPECT_EQ(RateLine(), "1 \u20AC = 1.0523");
}

// Where a rate comes from is said in the user's language, the services by their names.
TEST_F(RateAgeTest, TheRateLineSaysWhereARateComesFromInTheUsersLanguage)
{
    WriteStoredRate("USD", "1.0523", "2026-12-07", kRateSourceEcb);
    store.WriteProfileString(kRatesSection, "CHF", "1.6");
    kelvara::test::ScopedPseudoLanguage pseudo;
    ASSERT_EQ(pseudo.Problem(), "");
    MakePage();
    ChooseCategory("⟦Currency⟧");
    // (The fixture's yen is no name of the catalogue.)
    const struct {
        const char* currency;
        QString age;
    } rows[] = {
        {"Andorra Euro (EUR)", "⟦fixed⟧)"},
        {"United States Dollars (USD)", "ECB, " + Short(2026, 12, 7) + ")"},
        {"Switzerland Francs (CHF)", "⟦stored⟧, ⟦date unknown⟧)"},
        {"Japanese Yen (JPY)", "⟦built-in⟧, " + Short(2026, 9, 29) + ")"},
    };
    for (const auto& row : rows) {
        Choose(SourceUnits(), QString::fromUtf8(row.currency));
        EXPECT_EQ(RateAge(), row.age) << row.currency;
    }
    EXPECT_TRUE(Tip().contains(QStringLiteral("(⟦built-in⟧)"))) << Tip().toStdString();
}

} // namespace
} // namespace kelvara::test
