#include "guifixture.h"
#include "online/updatecheck.h"

#include <QDesktopServices>
#include <QUrl>

namespace kelvara::test {
namespace {

const std::string kQuery = "/getversion.asp?name=Kelvara";

// Stands in for the browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

std::string Document(const std::string& version, const std::string& fileName = "kelvara-setup.exe")
{
    std::string doc = "<?xml version=\"1.0\"?>\n<response><programs><program><name>Kelvara</name>";
    doc += "<version>" + version + "</version>";
    if (!fileName.empty())
        doc += "<fileName>" + fileName + "</fileName>";
    return doc + "</program></programs></response>\n";
}

class UpdateCheckTest : public OnlineGuiTest {
protected:
    explicit UpdateCheckTest(int answer = IDYES) : OnlineGuiTest(answer) {}

    void SetUp() override
    {
        OnlineGuiTest::SetUp();
        QDesktopServices::setUrlHandler("http", &m_browser, "Open");
        QDesktopServices::setUrlHandler("https", &m_browser, "Open");
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("https");
        OnlineGuiTest::TearDown();
    }

    void Check(const std::string& reply, PackedVersion own)
    {
        m_server.Serve(kQuery, {.body = reply});
        CheckForUpdatesAgainst(nullptr, [own](PackedVersion& v) {
            v = own;
            return true;
        });
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : m_presenter.messages)
            texts.push_back(m.text);
        return texts;
    }

    void ExpectLatest()
    {
        ASSERT_EQ(m_presenter.messages.size(), 1u);
        EXPECT_EQ(m_presenter.messages[0].text, "You are currently using the latest version of the program.");
        EXPECT_EQ(m_presenter.messages[0].type, MB_OK | MB_ICONINFORMATION);
        EXPECT_TRUE(m_browser.opened.empty());
    }

    void ExpectOffered()
    {
        ASSERT_GE(m_presenter.messages.size(), 1u);
        EXPECT_EQ(m_presenter.messages[0].text,
                  "A newer version of the program is available. Would you like to download it now?");
        EXPECT_EQ(m_presenter.messages[0].type, MB_YESNO | MB_ICONQUESTION);
    }

    UrlRecorder m_browser;
};

class UpdateDeclinedTest : public UpdateCheckTest {
protected:
    UpdateDeclinedTest() : UpdateCheckTest(IDNO) {}
};

TEST_F(UpdateCheckTest, SameVersionIsTheLatest)
{
    Check(Document("1.25.67.3"), PackVersion(1, 25, 67, 3));
    EXPECT_EQ(m_server.Requests(), std::vector<std::string>{kQuery});
    ExpectLatest();
}

TEST_F(UpdateCheckTest, NewerByTheLowWordOpensTheDownloadWhenAccepted)
{
    Check(Document("1.25.67.4", "kelvara 1.25&beta=1.exe"), PackVersion(1, 25, 67, 3));
    ExpectOffered();
    EXPECT_EQ(m_presenter.messages.size(), 1u);
    ASSERT_EQ(m_browser.opened.size(), 1u);
    // The file name stays one query value, whatever it contains.
    EXPECT_EQ(m_browser.opened[0].toString(QUrl::FullyEncoded).toStdString(),
              m_server.Address() + "/dl.asp?path=kelvara%201.25%26beta%3D1.exe");
}

TEST_F(UpdateCheckTest, HighWordsDecideFirst)
{
    Check(Document("2.0.0.0"), PackVersion(1, 99, 9, 9));
    ExpectOffered();
    EXPECT_EQ(m_browser.opened.size(), 1u);
}

TEST_F(UpdateCheckTest, RepliesWithoutAUsableNewerVersionMeanLatest)
{
    // Nine levels of ten copies, and an entity that would read as a newer version if expanded.
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE programs [\n<!ENTITY l0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        bomb += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            bomb += "&l" + std::to_string(i - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "<!ENTITY v \"9.9.9.9\">\n]>\n<programs><program><version>&v;&l9;</version>"
            "<fileName>x.exe</fileName></program></programs>";
    const std::vector<std::pair<const char*, std::string>> replies = {
        {"two numbers", Document("1.26")},
        {"older", Document("1.25.67.2")},
        {"html error page",
         "<html><head><title>Error</title></head><body><h1>500</h1><p>Server error<br></body></html>"},
        {"malformed xml", "<programs><program><version>9.9.9.9</version></program>"},
        {"not xml at all", "version=9.9.9.9"},
        {"no version element", "<programs><program><fileName>x.exe</fileName></program></programs>"},
        {"entities are not expanded", bomb},
        {"empty reply", ""},
    };
    for (const auto& [what, reply] : replies) {
        SCOPED_TRACE(what);
        m_presenter.messages.clear();
        Check(reply, PackVersion(1, 25, 67, 3));
        ExpectLatest();
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(UpdateCheckTest, UnreadableOwnVersionMeansLatest)
{
    m_server.Serve(kQuery, {.body = Document("9.9.9.9")});
    CheckForUpdatesAgainst(nullptr, [](PackedVersion&) { return false; });
    ExpectLatest();
}

TEST_F(UpdateCheckTest, AcceptedDownloadWithoutAFileNameIsExplained)
{
    Check(Document("9.9.9.9", ""), PackVersion(1, 0, 0, 0));
    ExpectOffered();
    ASSERT_EQ(m_presenter.messages.size(), 2u);
    EXPECT_EQ(m_presenter.messages[1].text,
              "A newer version is available, but the update service did not say "
              "where to download it. Please try again later.");
    EXPECT_EQ(m_presenter.messages[1].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(m_browser.opened.empty());
}

TEST_F(UpdateCheckTest, FailedTransferShowsOnlyTheDialogsMessage)
{
    CheckForUpdatesAgainst(nullptr, [](PackedVersion& v) {
        v = PackVersion(1, 0, 0, 0);
        return true;
    });
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text.rfind("The data could not be retrieved.", 0), 0u);
    EXPECT_TRUE(m_browser.opened.empty());
}

TEST_F(UpdateCheckTest, CancelledCheckShowsNothing)
{
    m_server.Serve(kQuery, {.silent = true});
    QString operation;
    WhenDialog([](CDownloadDlg&) { return true; },
               [&](CDownloadDlg& d) {
                   operation = d.findChild<QLabel*>("operationLabel")->text();
                   d.close();
               });
    CheckForUpdatesAgainst(nullptr, [](PackedVersion&) { return true; });
    EXPECT_EQ(operation, "Retrieving update data from server...");
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(UpdateCheckTest, TheProgramsOwnVersionIsUsed)
{
    // The largest version that still compares as newer than any real one.
    m_server.Serve(kQuery, {.body = Document("32767.65535.65535.65535")});
    ::CheckForUpdates(nullptr);
    ExpectOffered();
    EXPECT_EQ(m_browser.opened.size(), 1u);
}

TEST_F(UpdateDeclinedTest, DeclinedOfferEndsQuietly)
{
    Check(Document("1.25.67.4"), PackVersion(1, 25, 67, 3));
    ExpectOffered();
    EXPECT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_TRUE(m_browser.opened.empty());
}

} // namespace
} // namespace kelvara::test

#include "gui_updatecheck_test.moc"
