#include "guifixture.h"
#include "support/pseudolanguage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QNetworkReply>
#include <QSignalSpy>

#include "online/quietfetch.h"
#include "online/webaccess.h"
#include "platform/messages.h"
#include "platform/programpath.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace kelvara::test {
namespace {

std::string FileContents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

class DownloadDialogTest : public OnlineGuiTest {
protected:
    int Run(CDownloadDlg& dialog, const std::string& target)
    {
        dialog.SetOperation("Fetching the test resource...");
        dialog.SetUrl(target.rfind("http", 0) == 0 || target.find(':') != std::string::npos
                          ? target
                          : m_server.Address() + target);
        return dialog.exec();
    }
};

TEST_F(DownloadDialogTest, WholeResourceLandsInTheFileAndGoesWithTheDialog)
{
    const std::string body = "line 1\r\nline 2\r\n\r\nlone\rCR\n";
    m_server.Serve("/data", {.body = body});
    std::string path;
    {
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, "/data"), 1);
        path = dialog.GetFileName();
        EXPECT_EQ(path.rfind(PrivateTempFolder() + "/Tav", 0), 0u) << path;
        EXPECT_EQ(FileContents(path), body);
        // Only line-end pairs fold.
        EXPECT_EQ(dialog.ReadFileText(), "line 1\nline 2\n\nlone\rCR\n");
        EXPECT_EQ(dialog.windowTitle(), "Kelvara");
        EXPECT_EQ(dialog.findChild<QLabel*>("operationLabel")->text(), "Fetching the test resource...");
        EXPECT_EQ(StatusText(dialog), "Downloaded 26 bytes of 26 bytes...");
        EXPECT_EQ(Position(dialog), 100);
    }
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(DownloadDialogTest, ReplyWithoutLengthEndsWithTheConnection)
{
    const std::string body(70000, 'k');
    m_server.Serve("/nolength", {.body = body, .sendLength = false});
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "/nolength"), 1);
    EXPECT_EQ(dialog.ReadFileText(), body);
    EXPECT_EQ(StatusText(dialog), "Downloaded 68.3 KB...");
    // The bar never moves without a length, even when the end tells the size.
    EXPECT_EQ(Position(dialog), 0);
}

TEST_F(DownloadDialogTest, EmptyResourceIsASuccess)
{
    m_server.Serve("/empty", {});
    m_server.Serve("/empty-close", {.sendLength = false});
    for (const char* target : {"/empty", "/empty-close"}) {
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, target), 1) << target;
        EXPECT_TRUE(Exists(dialog.GetFileName()));
        EXPECT_EQ(dialog.ReadFileText(), "");
    }
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(DownloadDialogTest, RedirectsWithinTheWebAreFollowed)
{
    m_server.Serve(
        "/old",
        {.status = 302, .reason = "Found", .body = "see /moved", .headers = {{"Location", "/moved"}}});
    m_server.Serve("/moved", {.status = 301,
                              .reason = "Moved Permanently",
                              .headers = {{"Location", m_server.Address() + "/new"}}});
    m_server.Serve("/new", {.body = "arrived"});
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "/old"), 1);
    EXPECT_EQ(dialog.ReadFileText(), "arrived");
    EXPECT_EQ(m_server.Requests(), (std::vector<std::string>{"/old", "/moved", "/new"}));
}

TEST_F(DownloadDialogTest, RedirectsOffTheWebAreRefused)
{
    for (const char* location : {"file:///etc/passwd", "ftp://127.0.0.1/x"}) {
        m_presenter.messages.clear();
        m_server.Serve("/away", {.status = 302, .reason = "Found", .headers = {{"Location", location}}});
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, "/away"), 2) << location;
        EXPECT_EQ(FileContents(dialog.GetFileName()), "");
        ASSERT_EQ(m_presenter.messages.size(), 1u) << location;
        EXPECT_EQ(m_presenter.messages[0].text.rfind("The data could not be retrieved.", 0), 0u);
    }
}

TEST_F(DownloadDialogTest, OnlyWebAddressesAreFetched)
{
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "file:///etc/passwd"), 2);
    ExpectRetrievalFailure("Not a web address: file:///etc/passwd",
                           NetworkResultCode(neterror::kProtocolUnknown));
}

TEST_F(DownloadDialogTest, AMissingNetworkModuleIsReportedNotACrash)
{
    m_server.Serve("/data", {.body = "12345"});
    SetWebAccess(nullptr); // as if this process had not loaded the layer yet
    SetWebModulePath("/nonexistent/kelvara-web.so");
    CDownloadDlg dialog;
    EXPECT_EQ(Run(dialog, "/data"), 2);
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_NE(m_presenter.messages[0].text.find("The network module cannot be loaded"), std::string::npos)
        << m_presenter.messages[0].text;
    SetWebModulePath(KELVARA_WEB_MODULE_PATH);
    // And the next fetch finds it again.
    CDownloadDlg again;
    EXPECT_EQ(Run(again, "/data"), 1)
        << (m_presenter.messages.empty() ? "" : m_presenter.messages.back().text);
}

// The program finds the layer by a path relative to its own folder: the build puts the module
// where an installed program looks for it.
TEST(WebModule, LiesWhereTheProgramLooksForIt)
{
    SetWebAccess(nullptr);
    SetWebModulePath({});
    SetProgramDirectoryOverride(KELVARA_PROGRAM_DIR);
    std::string why;
    EXPECT_NE(GetWebAccess(&why), nullptr) << why;
    SetProgramDirectoryOverride({});
    SetWebAccess(nullptr);
    SetWebModulePath(KELVARA_WEB_MODULE_PATH);
}

TEST_F(DownloadDialogTest, ServerErrorIsReportedWithTheNetworkText)
{
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "/missing"), 2);
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    const std::string& text = m_presenter.messages[0].text;
    EXPECT_EQ(
        text.rfind("The data could not be retrieved. Please check your connection to the Internet.\n\n", 0),
        0u);
    EXPECT_NE(text.find("Not Found"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 13), " [0x800C00CB]") << text;
    EXPECT_EQ(m_presenter.messages[0].type, MB_OK | MB_ICONERROR);
}

TEST_F(DownloadDialogTest, RefusedConnectionIsReportedWithItsCode)
{
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "http://127.0.0.1:" + std::to_string(TestHttpServer::UnusedPort()) + "/x"), 2);
    ExpectRetrievalFailure("Connection refused", static_cast<std::int32_t>(0x800C0001u));
}

TEST_F(DownloadDialogTest, ReplyShorterThanAnnouncedIsAFailure)
{
    m_server.Serve("/short", {.body = std::string(500, 's'), .announcedLength = 1000});
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "/short"), 2);
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text.rfind("The data could not be retrieved.", 0), 0u);
}

TEST_F(DownloadDialogTest, StalledServerTimesOut)
{
    m_server.Serve("/silent", {.silent = true});
    CDownloadDlg dialog;
    dialog.Fetch().SetIdleTimeout(300);
    ASSERT_EQ(Run(dialog, "/silent"), 2);
    ExpectRetrievalFailure("The server sent nothing for 0.3 seconds.", kTransferTimedOut);
}

TEST_F(DownloadDialogTest, ProgressAndFailuresAreInTheUsersLanguage)
{
    const ScopedPseudoLanguage pseudo;
    if (!pseudo.Problem().empty())
        GTEST_SKIP() << pseudo.Problem();
    m_server.Serve("/small", {.body = std::string(26, 's')});
    m_server.Serve("/data", {.body = std::string(2000, 'd')});
    m_server.Serve("/silent", {.silent = true});
    {
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, "/small"), 1);
        EXPECT_EQ(StatusText(dialog), "⟦Downloaded ⟦26 bytes⟧ of ⟦26 bytes⟧...⟧");
    }
    {
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, "/data"), 1);
        EXPECT_EQ(StatusText(dialog), "⟦Downloaded 1.95 ⟦KB⟧ of 1.95 ⟦KB⟧...⟧");
    }
    CDownloadDlg dialog;
    dialog.Fetch().SetIdleTimeout(300);
    ASSERT_EQ(Run(dialog, "/silent"), 2);
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text,
              "⟦The data could not be retrieved. Please check your connection to the Internet.⟧\n\n"
              "⟦The server sent nothing for 0.3 seconds.⟧ [0x800C0004]");
}

TEST_F(DownloadDialogTest, TricklingServerIsCutAtTheDeadline)
{
    m_server.Serve("/trickle", {.announcedLength = 100'000, .trickleMs = 50});
    CDownloadDlg dialog;
    dialog.Fetch().SetIdleTimeout(300);
    dialog.Fetch().SetDeadline(800);
    ASSERT_EQ(Run(dialog, "/trickle"), 2);
    ExpectRetrievalFailure("The transfer did not finish within 0.8 seconds.", kTransferTimedOut);
}

TEST_F(DownloadDialogTest, HugeRepliesAreRefused)
{
    // Announced: refused before anything is stored.
    m_server.Serve("/announced",
                   {.body = std::string(100, 'a'), .announcedLength = 200ll * 1024 * 1024, .hold = true});
    {
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, "/announced"), 2);
        ExpectRetrievalFailure("The server's reply is larger than 4.00 MB.", kReplyTooLarge);
    }
    // Unannounced: stopped at the limit.
    m_presenter.messages.clear();
    m_server.Serve("/endless", {.sendLength = false, .filler = 6ll * 1024 * 1024});
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "/endless"), 2);
    ExpectRetrievalFailure("The server's reply is larger than 4.00 MB.", kReplyTooLarge);
    struct stat info {};
    ASSERT_EQ(::stat(dialog.GetFileName().c_str(), &info), 0);
    EXPECT_LE(info.st_size, kelvara::QuietFetch::kDefaultSizeLimit);
}

// The three ways the user stops a transfer: none shows a message.
enum class Stop { CancelButton, Escape, CloseBox };

class CancelTest : public DownloadDialogTest, public ::testing::WithParamInterface<Stop> {};

TEST_P(CancelTest, StoppingMidTransferShowsNothingAndLeavesNoFile)
{
    m_server.Serve("/slow", {.body = std::string(1000, 'z'), .announcedLength = 100000, .hold = true});
    int positionSeen = -1;
    WhenDialog([](CDownloadDlg& d) { return StatusText(d) == "Downloaded 1000 bytes of 97.6 KB..."; },
               [&](CDownloadDlg& d) {
                   positionSeen = Position(d);
                   switch (GetParam()) {
                   case Stop::CancelButton:
                       CancelButton(d)->click();
                       break;
                   case Stop::Escape: {
                       QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                       QApplication::sendEvent(&d, &key);
                       break;
                   }
                   case Stop::CloseBox:
                       d.close();
                       break;
                   }
               });
    std::string path;
    {
        CDownloadDlg dialog;
        EXPECT_EQ(Run(dialog, "/slow"), 2);
        path = dialog.GetFileName();
        EXPECT_TRUE(Exists(path));
        EXPECT_FALSE(CancelButton(dialog)->isEnabled());
    }
    EXPECT_EQ(positionSeen, 1);
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(m_presenter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Online, CancelTest,
                         ::testing::Values(Stop::CancelButton, Stop::Escape, Stop::CloseBox),
                         [](const ::testing::TestParamInfo<Stop>& stop) {
                             switch (stop.param) {
                             case Stop::CancelButton:
                                 return "CancelButton";
                             case Stop::Escape:
                                 return "Escape";
                             default:
                                 return "CloseBox";
                             }
                         });

TEST_F(DownloadDialogTest, WithoutALengthTheBarStaysAtZero)
{
    m_server.Serve("/trickle", {.body = std::string(1000, 'z'), .sendLength = false, .hold = true});
    int positionSeen = -1;
    WhenDialog([](CDownloadDlg& d) { return StatusText(d) == "Downloaded 1000 bytes..."; },
               [&](CDownloadDlg& d) {
                   positionSeen = Position(d);
                   CancelButton(d)->click();
               });
    CDownloadDlg dialog;
    EXPECT_EQ(Run(dialog, "/trickle"), 2);
    EXPECT_EQ(positionSeen, 0);
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(DownloadDialogTest, TenRedirectsAreFollowedAndTheEleventhIsRefused)
{
    // A chain /hop0 -> /hop1 -> ... -> /hop11 -> the resource.
    for (int i = 0; i <= 11; ++i)
        m_server.Serve(
            "/hop" + std::to_string(i),
            {.status = 302, .reason = "Found", .headers = {{"Location", "/hop" + std::to_string(i + 1)}}});
    m_server.Serve("/hop12", {.body = "arrived"});
    {
        CDownloadDlg dialog;
        ASSERT_EQ(Run(dialog, "/hop2"), 1) << "ten redirects";
        EXPECT_EQ(dialog.ReadFileText(), "arrived");
    }
    CDownloadDlg dialog;
    ASSERT_EQ(Run(dialog, "/hop1"), 2) << "eleven";
    ExpectRetrievalFailure("The server redirected too often.",
                           NetworkResultCode(QNetworkReply::TooManyRedirectsError));
}

// The dialog is a view over the one transfer engine: every failure it reports is the engine's, in
// the same words and with the same code, under the same limits. The engine alone refuses a reply
// announced too large at once, not after the idle time.
TEST_F(DownloadDialogTest, TheDialogReportsWhatTheQuietFetchFindsWordForWord)
{
    m_server.Serve("/silent", {.silent = true});
    m_server.Serve("/huge", {.body = "x", .announcedLength = 200ll * 1024 * 1024, .hold = true});
    m_server.Serve("/short", {.body = std::string(500, 's'), .announcedLength = 1000});
    m_server.Serve("/away",
                   {.status = 302, .reason = "Found", .headers = {{"Location", "ftp://127.0.0.1/x"}}});
    m_server.Serve("/chatty", {.status = 302,
                               .reason = "Found",
                               .headers = {{"Location", "/never"}},
                               .sendLength = false,
                               .filler = 50'000});
    m_server.Serve("/refused", {.status = 403, .reason = "Forbidden", .body = "no"});
    const struct {
        const char* target;
        std::int32_t code;
        const char* error; // empty: the network layer's own words
    } cases[] = {
        {"/silent", kTransferTimedOut, "The server sent nothing for 0.3 seconds."},
        {"/huge", kReplyTooLarge, "The server's reply is larger than 9.76 KB."},
        {"/short", NetworkResultCode(QNetworkReply::RemoteHostClosedError), ""},
        {"/away", NetworkResultCode(neterror::kInsecureRedirect),
         "The server redirected to an address that is not allowed: ftp://127.0.0.1/x"},
        {"/chatty", kReplyTooLarge, "The server's reply is larger than 9.76 KB."},
        {"/refused", NetworkResultCode(QNetworkReply::ContentAccessDenied), ""},
        {"file:///etc/passwd", NetworkResultCode(neterror::kProtocolUnknown),
         "Not a web address: file:///etc/passwd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string url = c.target[0] == '/' ? m_server.Address() + c.target : c.target;
        QuietFetch fetch;
        fetch.SetIdleTimeout(300);
        fetch.SetSizeLimit(10'000);
        QSignalSpy done(&fetch, &QuietFetch::Finished);
        fetch.Start(QUrl(QString::fromStdString(url)));
        ASSERT_TRUE(done.wait(5000));
        EXPECT_FALSE(fetch.IsOk());
        EXPECT_EQ(fetch.Code(), c.code);
        if (*c.error) {
            EXPECT_EQ(fetch.Error().toStdString(), c.error);
        }

        m_presenter.messages.clear();
        CDownloadDlg dialog;
        dialog.Fetch().SetIdleTimeout(300);
        dialog.Fetch().SetSizeLimit(10'000);
        ASSERT_EQ(Run(dialog, url), 2);
        ExpectRetrievalFailure(fetch.Error().toStdString(), c.code);
    }
}

TEST(RedirectRules, NeverToAWeakerSchemeNorOffTheWeb)
{
    const auto allowed = [](const char* from, const char* to) {
        return IsAllowedRedirect(QUrl(QString::fromLatin1(from)), QUrl(QString::fromLatin1(to)));
    };
    EXPECT_TRUE(allowed("http://a.example/x", "http://b.example/y"));
    EXPECT_TRUE(allowed("http://a.example/x", "https://a.example/x"));
    EXPECT_TRUE(allowed("https://a.example/x", "HTTPS://b.example/y"));
    EXPECT_FALSE(allowed("https://a.example/x", "http://a.example/x"));
    EXPECT_FALSE(allowed("https://a.example/x", "ftp://a.example/x"));
    EXPECT_FALSE(allowed("http://a.example/x", "file:///etc/passwd"));
    EXPECT_FALSE(allowed("http://a.example/x", "http:///nohost"));
}

TEST_F(DownloadDialogTest, ARedirectsBodyIsDrainedOnlyUpToTheLimit)
{
    // A redirect that never stops talking: refused at the limit, not read for ever.
    m_server.Serve("/chatty", {.status = 302,
                               .reason = "Found",
                               .headers = {{"Location", "/never"}},
                               .sendLength = false,
                               .filler = 50'000});
    CDownloadDlg dialog;
    dialog.Fetch().SetSizeLimit(10'000);
    ASSERT_EQ(Run(dialog, "/chatty"), 2);
    ExpectRetrievalFailure("The server's reply is larger than 9.76 KB.", kReplyTooLarge);
    EXPECT_TRUE(std::find(m_server.Requests().begin(), m_server.Requests().end(), "/never") ==
                m_server.Requests().end());
}

TEST_F(DownloadDialogTest, AFileThatCannotBeWrittenIsReportedWithTheSystemsCode)
{
    // The file may not grow beyond 10 bytes: writing more fails with EFBIG.
    struct rlimit previous {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    m_server.Serve("/big", {.body = std::string(100, 'b')});
    int result = 0;
    {
        CDownloadDlg dialog;
        result = Run(dialog, "/big");
    }
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 2);
    ExpectRetrievalFailure(std::strerror(EFBIG), ResultFromErrno(EFBIG));
}

} // namespace
} // namespace kelvara::test
