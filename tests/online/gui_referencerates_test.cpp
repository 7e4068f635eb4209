#include "guifixture.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "online/quietfetch.h"
#include "online/referencerates.h"
#include "online/referenceupdate.h"
#include "online/webaccess.h"

#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <fstream>
#include <memory>
#include <vector>

namespace kelvara::test {
namespace {

const std::string kDocument =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01'"
    " xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'>"
    "<gesmes:subject>Reference rates</gesmes:subject><Cube><Cube time='2026-12-07'>"
    "<Cube currency='USD' rate='1.0523'/><Cube currency='JPY' rate='162.35'/></Cube></Cube>"
    "</gesmes:Envelope>\n";

class Currencies : public CCurrencyCategory {
public:
    Currencies()
    {
        for (const char* row :
             {"United States Dollars,USD,F,1.29301", "Japan Yen,JPY,F,157.538", "Euro,EUR,T,1"}) {
            auto unit = CreateUnit();
            if (unit->Parse(row))
                AddUnit(std::move(unit));
        }
    }
    const CCurrency& Dollar() const { return static_cast<const CCurrency&>(*GetUnits().front()); }
};

class ReferenceRatesTest : public OnlineGuiTest {
protected:
    void SetUp() override
    {
        OnlineGuiTest::SetUp();
        m_store.WriteProfileString("Options", "ReferenceRatesUrl", m_server.Address() + "/daily.xml");
        // The document's day is not in the future.
        SetClockOverride([] { return DaysFromCivil(2026, 12, 8) * kSecondsPerDay * kTicksPerSecond; });
    }
    void TearDown() override
    {
        SetClockOverride({});
        OnlineGuiTest::TearDown();
    }
    bool NothingStored() const { return !m_store.Contains(kRatesSection, "USD"); }

    Currencies m_currencies;
};

TEST_F(ReferenceRatesTest, TheDialogFetchesAndEveryRateIsStoredAndTakenAtOnce)
{
    m_server.Serve("/daily.xml", {.body = kDocument});
    ASSERT_TRUE(UpdateReferenceRates(nullptr, m_currencies));
    EXPECT_TRUE(m_presenter.messages.empty());
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.0523);
    EXPECT_EQ(m_currencies.Dollar().GetRateSource(), "ECB");
    EXPECT_EQ(m_store.GetProfileString(kRatesSection, "JPY"), "162.35");
    EXPECT_EQ(m_server.Requests(), std::vector<std::string>{"/daily.xml"});
}

TEST_F(ReferenceRatesTest, ASlowServerIsWaitedFor)
{
    m_server.Serve("/daily.xml", {.body = kDocument, .delayMs = 700});
    bool sawDialog = false;
    WhenDialog([](CDownloadDlg& d) { return StatusText(d) == "Connecting to server..."; },
               [&](CDownloadDlg&) { sawDialog = true; });
    ASSERT_TRUE(UpdateReferenceRates(nullptr, m_currencies));
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.0523);
}

TEST_F(ReferenceRatesTest, ABadDocumentChangesNothingAndSaysWhy)
{
    m_server.Serve("/daily.xml", {.body = "<html>Maintenance</html>"});
    EXPECT_FALSE(UpdateReferenceRates(nullptr, m_currencies));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text,
              "The currency rates could not be read: not a reference-rate document (the root is 'html')");
    EXPECT_EQ(m_presenter.messages[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.29301);
    EXPECT_TRUE(NothingStored());
}

TEST_F(ReferenceRatesTest, AFailingServerIsReportedByTheDialogAndChangesNothing)
{
    m_server.Serve("/daily.xml", {.status = 500, .reason = "Internal Server Error", .body = "oops"});
    EXPECT_FALSE(UpdateReferenceRates(nullptr, m_currencies));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text.rfind("The data could not be retrieved.", 0), 0u);
    EXPECT_TRUE(NothingStored());
}

TEST_F(ReferenceRatesTest, InTheBackgroundSuccessStoresAndFailureIsSilent)
{
    ReferenceRatesFetch fetch([this] { return &m_currencies; });
    QSignalSpy done(&fetch, &ReferenceRatesFetch::Done);

    m_server.Serve("/daily.xml", {.status = 503, .reason = "Service Unavailable"});
    ASSERT_TRUE(fetch.Start());
    EXPECT_FALSE(fetch.Start()) << "one at a time";
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.takeFirst().at(0).toBool());
    EXPECT_FALSE(fetch.Error().empty());
    EXPECT_TRUE(NothingStored());

    m_server.Serve("/daily.xml", {.body = kDocument.substr(0, 200)});
    ASSERT_TRUE(fetch.Start());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.takeFirst().at(0).toBool());
    EXPECT_EQ(fetch.Error().rfind("not an XML document", 0), 0u) << fetch.Error();
    EXPECT_TRUE(NothingStored());

    m_server.Serve("/daily.xml", {.body = kDocument});
    ASSERT_TRUE(fetch.Start());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_TRUE(done.takeFirst().at(0).toBool());
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.0523);
    EXPECT_TRUE(m_presenter.messages.empty()) << "never a window in the background";
}

TEST_F(ReferenceRatesTest, DocumentsAreReadOffTheWindowsThread)
{
    // The network layer as loaded, with a reader that notes the thread it runs on.
    static const WebAccess* s_real = nullptr;
    static std::vector<bool> s_offThread;
    s_real = GetWebAccess();
    ASSERT_NE(s_real, nullptr);
    s_offThread.clear();
    WebAccess recording = *s_real;
    recording.parseReferenceRates = [](std::string_view document, const std::string& today,
                                       ReferenceRates& rates, std::string& why) {
        s_offThread.push_back(QThread::currentThread() != QCoreApplication::instance()->thread());
        return s_real->parseReferenceRates(document, today, rates, why);
    };
    SetWebAccess(&recording);
    const std::unique_ptr<const WebAccess, void (*)(const WebAccess*)> restore(s_real, &SetWebAccess);

    m_server.Serve("/daily.xml", {.body = kDocument});
    EXPECT_TRUE(UpdateReferenceRates(nullptr, m_currencies));
    ReferenceRatesFetch fetch([this] { return &m_currencies; });
    QSignalSpy done(&fetch, &ReferenceRatesFetch::Done);
    ASSERT_TRUE(fetch.Start());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_TRUE(done.takeFirst().at(0).toBool()) << fetch.Error();
    EXPECT_EQ(s_offThread, std::vector<bool>({true, true})) << "the dialog's update, then the background's";
}

TEST_F(ReferenceRatesTest, ASilentServerTimesOutAndAnEndlessOneIsCut)
{
    QuietFetch fetch;
    QSignalSpy done(&fetch, &QuietFetch::Finished);
    fetch.SetIdleTimeout(300);
    m_server.Serve("/silent", {.silent = true});
    fetch.Start(QUrl(QString::fromStdString(m_server.Address() + "/silent")));
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(fetch.Error(), QStringLiteral("The server sent nothing for 0.3 seconds."));

    fetch.SetSizeLimit(10'000);
    m_server.Serve("/endless", {.sendLength = false, .filler = 1'000'000});
    fetch.Start(QUrl(QString::fromStdString(m_server.Address() + "/endless")));
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(fetch.IsOk());
    EXPECT_EQ(fetch.Error(), QStringLiteral("The server's reply is larger than the limit."));
    EXPECT_TRUE(fetch.Body().isEmpty());
}

TEST_F(ReferenceRatesTest, AServerThatTricklesIsCutAtTheDeadline)
{
    // A byte every 50 ms never lets the idle time pass; the whole transfer has its own limit.
    QuietFetch fetch;
    QSignalSpy done(&fetch, &QuietFetch::Finished);
    fetch.SetIdleTimeout(300);
    fetch.SetDeadline(800);
    m_server.Serve("/trickle", {.announcedLength = 100'000, .trickleMs = 50});
    fetch.Start(QUrl(QString::fromStdString(m_server.Address() + "/trickle")));
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(fetch.IsOk());
    EXPECT_EQ(fetch.Error(), QStringLiteral("The transfer did not finish within 0.8 seconds."));
}

// kelvara-cli rates --update, against the same server, in a settings folder of its own.
class CliRatesTest : public ReferenceRatesTest {
protected:
    int RunCli(const QStringList& args, QString& out, QString& err)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KELVARA_CLI_PATH), args);
        // The server answers from this thread's event loop.
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitCode();
    }
    void WriteSettings()
    {
        QDir().mkpath(m_config.path() + "/Brask");
        std::ofstream(m_config.filePath("Brask/Kelvara.conf").toStdString())
            << "[Options]\nReferenceRatesUrl=" << m_server.Address() << "/daily.xml\n";
    }
    std::string Conf() const
    {
        std::ifstream in(m_config.filePath("Brask/Kelvara.conf").toStdString());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    QTemporaryDir m_config;
};

TEST_F(CliRatesTest, UpdateStoresAsTheProgramDoesAndTheListShowsIt)
{
    WriteSettings();
    m_server.Serve("/daily.xml", {.body = kDocument});
    QString out;
    QString err;
    ASSERT_EQ(RunCli({"rates", "--update"}, out, err), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("ECB reference rates of 2026-12-07: ")) << out.toStdString();
    EXPECT_NE(Conf().find("Rates\\USD=1.0523\nRates\\USD.Date=2026-12-07\nRates\\USD.Source=ECB\n"),
              std::string::npos)
        << Conf();
    ASSERT_EQ(RunCli({"rates"}, out, err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("\nUSD\t1.0523\t2026-12-07\tECB\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("\nSIT\t239.64\t-\tfixed\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("\nCHF\t1.6148\t2007-01-12\tbuilt-in\n")) << out.toStdString();
}

TEST_F(CliRatesTest, AFailedUpdateExitsOneAndStoresNothing)
{
    WriteSettings();
    const std::string before = Conf();
    m_server.Serve("/daily.xml", {.body = "<Envelope/>"});
    QString out;
    QString err;
    EXPECT_EQ(RunCli({"rates", "--update"}, out, err), 1);
    EXPECT_EQ(err.toStdString(), "kelvara-cli: The currency rates could not be read: not a reference-rate "
                                 "document (the root is 'Envelope')\n");
    m_server.Serve("/daily.xml", {.status = 404, .reason = "Not Found"});
    EXPECT_EQ(RunCli({"rates", "--update"}, out, err), 1);
    EXPECT_TRUE(err.startsWith("kelvara-cli: The data could not be retrieved.")) << err.toStdString();
    EXPECT_EQ(Conf(), before);
}

} // namespace
} // namespace kelvara::test
