#include "catalogue/currency.h"
#include "guifixture.h"
#include "online/rateretrieval.h"

namespace kelvara::test {
namespace {

const std::string kRatePath = "/ucc/convert.cgi?Amount=1&From=EUR&To=";

class RateRetrievalTest : public OnlineGuiTest {
protected:
    void SetUp() override
    {
        OnlineGuiTest::SetUp();
        ASSERT_TRUE(m_dollar.Parse("United States Dollars,USD,F,1.1"));
    }

    void ServeRatePage(const std::string& code, const std::string& page)
    {
        m_server.Serve(kRatePath + code, {.body = page});
    }

    bool Stored(const std::string& code) const { return m_store.Contains(kRatesSection, code); }

    CCurrency m_dollar;
};

TEST_F(RateRetrievalTest, FetchedRateIsTakenAndStoredWithSixDecimals)
{
    ServeRatePage("USD", "<html>\r\n<td>1 EUR = 1.29301 USD</td>\r\n</html>\r\n");
    EXPECT_TRUE(FetchRate(nullptr, m_dollar));
    EXPECT_DOUBLE_EQ(m_dollar.GetValue(), 1.29301);
    EXPECT_EQ(m_store.GetProfileString(kRatesSection, "USD"), "1.293010");
    EXPECT_EQ(m_server.Requests(), std::vector<std::string>{kRatePath + "USD"});
    EXPECT_TRUE(m_presenter.messages.empty());

    // Nothing is cached: every press asks again.
    ServeRatePage("USD", "1 EUR = 1.3 USD");
    EXPECT_TRUE(FetchRate(nullptr, m_dollar));
    EXPECT_EQ(m_store.GetProfileString(kRatesSection, "USD"), "1.300000");
    EXPECT_EQ(m_server.Requests().size(), 2u);
}

TEST_F(RateRetrievalTest, NumberWrappedInMarkupIsAnInvalidRate)
{
    ServeRatePage("USD", "1 EUR = <b>1.29301</b> USD");
    EXPECT_FALSE(FetchRate(nullptr, m_dollar));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text, "Invalid currency rate");
    EXPECT_EQ(m_presenter.messages[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_DOUBLE_EQ(m_dollar.GetValue(), 1.1);
    EXPECT_FALSE(Stored("USD"));
}

TEST_F(RateRetrievalTest, PageWithoutTheMarkersChangesNothingSilently)
{
    ServeRatePage("USD", "<html><body>The service is resting.</body></html>");
    EXPECT_FALSE(FetchRate(nullptr, m_dollar));
    EXPECT_TRUE(m_presenter.messages.empty());
    EXPECT_DOUBLE_EQ(m_dollar.GetValue(), 1.1);
    EXPECT_FALSE(Stored("USD"));
}

TEST_F(RateRetrievalTest, FailedTransferIsReportedOnlyByTheDialog)
{
    // Nothing served: 404.
    EXPECT_FALSE(FetchRate(nullptr, m_dollar));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text.rfind("The data could not be retrieved.", 0), 0u);
    EXPECT_FALSE(Stored("USD"));
}

TEST_F(RateRetrievalTest, CancelledFetchChangesNothing)
{
    m_server.Serve(kRatePath + "USD", {.body = "1 EUR = ", .announcedLength = 5000, .hold = true});
    QString operation;
    WhenDialog([](CDownloadDlg& d) { return StatusText(d).startsWith("Downloaded 8 bytes"); },
               [&](CDownloadDlg& d) {
                   operation = d.findChild<QLabel*>("operationLabel")->text();
                   CancelButton(d)->click();
               });
    EXPECT_FALSE(FetchRate(nullptr, m_dollar));
    EXPECT_EQ(operation, "Retrieving currency rate from the Internet...");
    EXPECT_TRUE(m_presenter.messages.empty());
    EXPECT_FALSE(Stored("USD"));
}

TEST_F(RateRetrievalTest, FixedCurrencyIsNeverFetched)
{
    CCurrency mark;
    ASSERT_TRUE(mark.Parse("German Marks,DEM,T,1.95583"));
    double rate = 0;
    EXPECT_FALSE(RetrieveRate(nullptr, mark, rate));
    EXPECT_TRUE(m_server.Requests().empty());
    EXPECT_TRUE(m_presenter.messages.empty());
}

} // namespace
} // namespace kelvara::test
