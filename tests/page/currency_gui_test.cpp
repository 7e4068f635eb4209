#include "pagefixture.h"

#include "catalogue/currency.h"
#include "text/formatting.h"

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
    EXPECT_EQ(RateLine(), "US$ 1 = " + QString::fromStdString(FormatDouble(160.5 / 1.29301)));

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
    EXPECT_EQ(Target()->text(), QString::fromStdString(FormatDouble(1.29301 * 100 / 1)));
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
    EXPECT_EQ(store.GetProfileString("Settings\\Rates", "JPY"), "161.250000");
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

} // namespace
} // namespace kelvara::test
