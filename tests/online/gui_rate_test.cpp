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

    CCurrency m_dollar;
};

TEST_F(RateRetrievalTest, RateIsCutFromTheServicesPage)
{
    ServeRatePage("USD", "<html>\r\n<td>1 EUR = 1.29301 USD</td>\r\n</html>\r\n");
    EXPECT_EQ(FetchRate(nullptr, m_dollar), 1.29301);
    EXPECT_EQ(m_server.Requests(), std::vector<std::string>{kRatePath + "USD"});
    EXPECT_TRUE(m_presenter.messages.empty());
    // Fetching changes nothing by itself: the Rate button applies what it gets.
    EXPECT_DOUBLE_EQ(m_dollar.GetValue(), 1.1);

    // Nothing is cached: every press asks again.
    ServeRatePage("USD", "1 EUR = 1,300.25 USD");
    EXPECT_EQ(FetchRate(nullptr, m_dollar), 1300.25);
    EXPECT_EQ(m_server.Requests().size(), 2u);
}

TEST_F(RateRetrievalTest, NumberWrappedInMarkupIsFoundAsZero)
{
    // The markers are there, so this is the caller's "Invalid currency rate", not silence.
    ServeRatePage("USD", "1 EUR = <b>1.29301</b> USD");
    EXPECT_EQ(FetchRate(nullptr, m_dollar), 0.0);
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(RateRetrievalTest, PageWithoutTheMarkersIsSilent)
{
    ServeRatePage("USD", "<html><body>The service is resting.</body></html>");
    EXPECT_EQ(FetchRate(nullptr, m_dollar), std::nullopt);
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(RateRetrievalTest, FailedTransferIsReportedOnlyByTheDialog)
{
    // Nothing served: 404.
    EXPECT_EQ(FetchRate(nullptr, m_dollar), std::nullopt);
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text.rfind("The data could not be retrieved.", 0), 0u);
}

TEST_F(RateRetrievalTest, CancelledFetchGivesNothing)
{
    m_server.Serve(kRatePath + "USD", {.body = "1 EUR = ", .announcedLength = 5000, .hold = true});
    QString operation;
    WhenDialog([](CDownloadDlg& d) { return StatusText(d).startsWith("Downloaded 8 bytes"); },
               [&](CDownloadDlg& d) {
                   operation = d.findChild<QLabel*>("operationLabel")->text();
                   CancelButton(d)->click();
               });
    EXPECT_EQ(FetchRate(nullptr, m_dollar), std::nullopt);
    EXPECT_EQ(operation, "Retrieving currency rate from the Internet...");
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(RateRetrievalTest, FixedCurrencyIsNeverFetched)
{
    CCurrency mark;
    ASSERT_TRUE(mark.Parse("German Marks,DEM,T,1.95583"));
    EXPECT_EQ(FetchRate(nullptr, mark), std::nullopt);
    EXPECT_TRUE(m_server.Requests().empty());
    EXPECT_TRUE(m_presenter.messages.empty());
}

} // namespace
} // namespace kelvara::test
