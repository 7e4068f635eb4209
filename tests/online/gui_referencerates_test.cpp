#include "guifixture.h"

#include "catalogue/civiltime.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "online/quietfetch.h"
#include "online/ratesupdate.h"
#include "online/referencerates.h"
#include "online/referenceupdate.h"
#include "online/webaccess.h"
#include "online/worldrates.h"

#include "kelvara/testpaths.h"
#include "support/pseudolanguage.h"

#include <QElapsedTimer>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
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

// The world document of the same days: it agrees with the ECB on the codes both publish.
const std::string kWorld =
    R"({"date": "2026-12-08", "eur": {"usd": 1.06, "jpy": 163.1, "ars": 1850.5, "btc": 0.00001}})";

class Currencies : public CCurrencyCategory {
public:
    Currencies()
    {
        for (const char* row : {"United States Dollars,USD,F,1.29301", "Japan Yen,JPY,F,157.538",
                                "Argentina Peso,ARS,F,401.48", "Euro,EUR,T,1"}) {
            auto unit = CreateUnit();
            if (unit->Parse(row))
                AddUnit(std::move(unit));
        }
    }
    const CCurrency& Dollar() const { return static_cast<const CCurrency&>(*GetUnits().front()); }
    const CCurrency& Peso() const { return static_cast<const CCurrency&>(*GetUnits().at(2)); }
};

class ReferenceRatesTest : public OnlineGuiTest {
protected:
    void SetUp() override
    {
        OnlineGuiTest::SetUp();
        m_store.WriteProfileString("Options", "ReferenceRatesUrl", m_server.Address() + "/daily.xml");
        m_store.WriteProfileString("Options", "WorldRatesUrl", m_server.Address() + "/npm/x@latest/eur.json");
        m_server.Serve(kWorldPath, {.body = kWorld});
        // The document's day is not in the future.
        SetClockOverride([] { return DaysFromCivil(2026, 12, 8) * kSecondsPerDay * kTicksPerSecond; });
    }
    void TearDown() override
    {
        SetClockOverride({});
        OnlineGuiTest::TearDown();
    }
    bool NothingStored() const { return !m_store.Contains(kRatesSection, "USD"); }
    static constexpr const char* kWorldPath = "/npm/x@latest/eur.json";

    Currencies m_currencies;
};

TEST_F(ReferenceRatesTest, BothDocumentsAreFetchedAndEveryRateIsStoredAndTakenAtOnce)
{
    m_server.Serve("/daily.xml", {.body = kDocument, .delayMs = 300});
    bool covered = false;
    ASSERT_TRUE(UpdateReferenceRates(nullptr, m_currencies, "ARS", &covered));
    EXPECT_TRUE(covered);
    EXPECT_TRUE(m_presenter.messages.empty()) << m_presenter.messages[0].text;
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.0523) << "the ECB's rate of the day before wins";
    EXPECT_EQ(m_currencies.Dollar().GetRateSource(), "ECB");
    EXPECT_EQ(m_currencies.Peso().GetValue(), 1850.5);
    EXPECT_EQ(m_currencies.Peso().GetRateSource(), "exchange-api");
    EXPECT_EQ(m_currencies.Peso().GetRateDate(), "2026-12-08");
    EXPECT_EQ(m_store.GetProfileString(kRatesSection, "JPY"), "162.35");
    EXPECT_EQ(m_server.Requests(), (std::vector<std::string>{"/daily.xml", kWorldPath}));
}

TEST_F(ReferenceRatesTest, AWorldDocumentThatDisagreesWithTheEcbIsRefusedAndNamed)
{
    m_server.Serve("/daily.xml", {.body = kDocument});
    m_server.Serve(kWorldPath, {.body = R"({"date": "2026-12-08", "eur": {"usd": 2.1, "ars": 1850.5}})"});
    ASSERT_TRUE(UpdateReferenceRates(nullptr, m_currencies));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text, "The currency rates could not all be updated: the exchange-api "
                                            "rates: the world rates disagree with the ECB on USD by 99.6 %");
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.0523) << "what the ECB gave is stored";
    EXPECT_EQ(m_currencies.Peso().GetValue(), 401.48);
}

TEST_F(ReferenceRatesTest, ABadDocumentChangesNothingAndSaysWhy)
{
    m_server.Serve("/daily.xml", {.body = "<html>Maintenance</html>"});
    m_server.Serve(kWorldPath, {.body = "<html>Maintenance</html>"});
    EXPECT_FALSE(UpdateReferenceRates(nullptr, m_currencies));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text,
              "The currency rates could not all be updated: the ECB's reference rates: not a reference-rate "
              "document (the root is 'html')");
    EXPECT_EQ(m_presenter.messages[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.29301);
    EXPECT_TRUE(NothingStored());
}

TEST_F(ReferenceRatesTest, AFailingServerIsReportedByTheDialogAndChangesNothing)
{
    m_server.Serve("/daily.xml", {.status = 500, .reason = "Internal Server Error", .body = "oops"});
    m_server.Serve(kWorldPath, {.status = 500, .reason = "Internal Server Error", .body = "oops"});
    EXPECT_FALSE(UpdateReferenceRates(nullptr, m_currencies));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].text.rfind("The currency rates could not all be updated: the ECB's "
                                                 "reference rates: The data could not be retrieved.",
                                                 0),
              0u)
        << m_presenter.messages[0].text;
    EXPECT_TRUE(NothingStored());
}

TEST_F(ReferenceRatesTest, InTheBackgroundSuccessStoresAndFailureIsSilent)
{
    ReferenceRatesFetch fetch([this] { return &m_currencies; });
    QSignalSpy done(&fetch, &ReferenceRatesFetch::Done);

    m_server.Serve(kWorldPath, {.status = 503, .reason = "Service Unavailable"});
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
    EXPECT_EQ(fetch.Error().rfind("the ECB's reference rates: not an XML document", 0), 0u) << fetch.Error();
    EXPECT_TRUE(NothingStored());

    m_server.Serve("/daily.xml", {.body = kDocument});
    m_server.Serve(kWorldPath, {.body = kWorld});
    ASSERT_TRUE(fetch.Start());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_TRUE(done.takeFirst().at(0).toBool());
    EXPECT_EQ(m_currencies.Dollar().GetValue(), 1.0523);
    EXPECT_EQ(m_currencies.Peso().GetValue(), 1850.5);
    EXPECT_TRUE(m_presenter.messages.empty()) << "never a window in the background";
    EXPECT_FALSE(fetch.Start()) << "nothing is due now";
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
    recording.parseWorldRates = [](std::string_view document, const std::string& today, WorldRates& rates,
                                   std::string& why) {
        s_offThread.push_back(QThread::currentThread() != QCoreApplication::instance()->thread());
        return s_real->parseWorldRates(document, today, rates, why);
    };
    SetWebAccess(&recording);
    const std::unique_ptr<const WebAccess, void (*)(const WebAccess*)> restore(s_real, &SetWebAccess);

    m_server.Serve("/daily.xml", {.body = kDocument});
    EXPECT_TRUE(UpdateReferenceRates(nullptr, m_currencies));
    // Both documents due again for the background.
    m_store.WriteProfileString(kRatesSection, kReferenceRatesDateEntry, "2026-12-01");
    m_store.WriteProfileString(kRatesSection, kWorldRatesDateEntry, "2026-12-01");
    ReferenceRatesFetch fetch([this] { return &m_currencies; });
    QSignalSpy done(&fetch, &ReferenceRatesFetch::Done);
    ASSERT_TRUE(fetch.Start());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.takeFirst().at(0).toBool()) << "the same documents again: nothing new to store";
    EXPECT_EQ(fetch.Error(), "");
    EXPECT_EQ(s_offThread, std::vector<bool>({true, true, true, true}))
        << "both documents of the window's update, then of the background's";
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
    EXPECT_EQ(fetch.Error(), QStringLiteral("The server's reply is larger than 9.76 KB."));
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

// Both sources trickling: without one budget for the update, each address would take its own
// transfer limit in turn; with it, the whole update ends when the budget does and says so.
TEST_F(ReferenceRatesTest, AWholeUpdateEndsWithinOneBudget)
{
    m_server.Serve("/daily.xml", {.announcedLength = 100'000, .trickleMs = 50});
    m_server.Serve(kWorldPath, {.announcedLength = 100'000, .trickleMs = 50});
    RatesUpdatePlan plan({true, true, RateRequest::User, 1000}, "2026-12-08");
    QElapsedTimer elapsed;
    elapsed.start();
    int fetched = 0;
    QuietFetch fetch;
    while (plan.StartNext(fetch)) {
        fetch.Wait();
        plan.Fetched(fetch);
        ++fetched;
    }
    EXPECT_LT(elapsed.elapsed(), 3000) << fetched << " transfers";
    const RateUpdateResult result = plan.Store(m_currencies, m_store);
    EXPECT_EQ(plan.Failure(result),
              "the ECB's reference rates: the update took longer than 1 s and was stopped");
    EXPECT_TRUE(NothingStored());
}

// kelvara-cli rates --update, against the same server, in a settings folder of its own.
class CliRatesTest : public ReferenceRatesTest {
protected:
    // `pseudo`: in the pseudo-language of the build (support/pseudolanguage.h).
    int RunCli(const QStringList& args, QString& out, QString& err, bool pseudo = false)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config.path());
        for (const auto& [name, value] : PseudoLanguageEnvironment()) {
            if (!pseudo)
                break;
            if (value)
                env.insert(QString::fromStdString(name), QString::fromStdString(*value));
            else
                env.remove(QString::fromStdString(name));
        }
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
            << "[Options]\nReferenceRatesUrl=" << m_server.Address() << "/daily.xml\nWorldRatesUrl="
            << m_server.Address() << kWorldPath << "\n";
    }
    std::string Conf() const
    {
        std::ifstream in(m_config.filePath("Brask/Kelvara.conf").toStdString());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    QTemporaryDir m_config;
};

TEST_F(CliRatesTest, OneUpdateMakesEveryCurrencyCurrentOrFixed)
{
    WriteSettings();
    // The released world document of a day, and the ECB's of the same day agreeing with it.
    std::ifstream world(KELVARA_TEST_DATA_DIR "/online/world-eur.json");
    std::stringstream body;
    body << world.rdbuf();
    std::string ecb = kDocument;
    ecb.replace(ecb.find("1.0523"), 6, "1.13607202");
    ecb.replace(ecb.find("162.35"), 6, "178.91");
    m_server.Serve("/daily.xml", {.body = ecb});
    m_server.Serve(kWorldPath, {.body = body.str()});
    QString out;
    QString err;
    ASSERT_EQ(RunCli({"rates", "--update"}, out, err), 0) << err.toStdString() << out.toStdString();
    const QStringList report = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(report.size(), 2) << out.toStdString();
    EXPECT_TRUE(report[0].startsWith("ECB reference rates of 2026-12-07: 2 stored, 0 kept")) << out.toStdString();
    EXPECT_TRUE(report[1].startsWith("exchange-api rates of 2026-12-07: ")) << out.toStdString();
    EXPECT_NE(Conf().find("Rates\\USD=1.13607202\nRates\\USD.Date=2026-12-07\nRates\\USD.Source=ECB\n"),
              std::string::npos)
        << Conf();

    ASSERT_EQ(RunCli({"rates"}, out, err), 0) << err.toStdString();
    int current = 0;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        EXPECT_TRUE(fields[3] == "ECB" || fields[3] == "exchange-api" || fields[3] == "fixed")
            << line.toStdString();
        current += fields[3] != "fixed";
    }
    EXPECT_GT(current, 150);
    EXPECT_TRUE(out.contains("\nUSD\t1.13607202\t2026-12-07\tECB\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("\nSIT\t239.64\t-\tfixed\n")) << out.toStdString();
    // Stored as the document gave it, every digit (1732.54080866 is not 1732.540809).
    EXPECT_TRUE(out.contains("\nARS\t1732.54080866\t2026-12-07\texchange-api\n")) << out.toStdString();
}

TEST_F(CliRatesTest, AFailedSourceExitsOneAndSaysWhyWhileTheOtherIsStored)
{
    WriteSettings();
    const std::string before = Conf();
    m_server.Serve("/daily.xml", {.body = "<Envelope/>"});
    m_server.Serve(kWorldPath, {.status = 404, .reason = "Not Found"});
    QString out;
    QString err;
    EXPECT_EQ(RunCli({"rates", "--update"}, out, err), 1);
    EXPECT_TRUE(out.startsWith("ECB reference rates: nothing stored (not a reference-rate document (the root is "
                               "'Envelope'))\n"
                               "exchange-api rates: nothing stored (The data could not be retrieved."))
        << out.toStdString();
    EXPECT_EQ(err.toStdString(), "kelvara-cli: not every source of rates could be stored\n");
    EXPECT_EQ(Conf(), before);

    m_server.Serve(kWorldPath, {.body = kWorld});
    EXPECT_EQ(RunCli({"rates", "--update"}, out, err), 1);
    EXPECT_TRUE(out.contains("\nexchange-api rates of 2026-12-08: 3 stored, 0 kept")) << out.toStdString();
    EXPECT_NE(Conf().find("Rates\\ARS=1850.5\n"), std::string::npos) << Conf();
}

TEST_F(CliRatesTest, TheReportIsInTheUsersLanguage)
{
    const std::string problem = ProvideLocale("en_US.UTF-8");
    if (!problem.empty())
        GTEST_SKIP() << problem;
    WriteSettings();
    m_server.Serve("/daily.xml", {.body = "<Envelope/>"});
    m_server.Serve(kWorldPath, {.body = "[1]"});
    QString english;
    QString englishErr;
    QString pseudo;
    QString pseudoErr;
    EXPECT_EQ(RunCli({"rates", "--update"}, english, englishErr), 1);
    EXPECT_EQ(RunCli({"rates", "--update"}, pseudo, pseudoErr, true), 1);
    EXPECT_EQ(english.toStdString(),
              "ECB reference rates: nothing stored (not a reference-rate document (the root is 'Envelope'))\n"
              "exchange-api rates: nothing stored (the document is not an object)\n");
    // The sources' names stay as scripts look for them; the rest is the catalogue's.
    EXPECT_EQ(
        pseudo.toStdString(),
        "⟦⟦ECB reference⟧ rates: nothing stored (⟦not a reference-rate document (the root is 'Envelope')⟧)⟧\n"
        "⟦exchange-api rates: nothing stored (⟦the document is not an object⟧)⟧\n");
    EXPECT_FALSE(HasBareLetters(pseudoErr.mid(13).toStdString())) << pseudoErr.toStdString();
    EXPECT_EQ(Unwrapped(pseudoErr.toStdString()), englishErr.toStdString());

    m_server.Serve("/daily.xml", {.body = kDocument});
    m_server.Serve(kWorldPath, {.body = kWorld});
    EXPECT_EQ(RunCli({"rates", "--update"}, pseudo, pseudoErr, true), 0) << pseudoErr.toStdString();
    EXPECT_EQ(pseudo.toStdString(),
              "⟦⟦ECB reference⟧ rates of 2026-12-07: 2 stored, 0 kept (typed, newer or preferred)⟧\n"
              "⟦exchange-api rates of 2026-12-08: 1 stored, 2 kept (typed, newer or preferred)⟧\n");
}

} // namespace
} // namespace kelvara::test
