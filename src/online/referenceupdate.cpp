#include "online/referenceupdate.h"

#include "catalogue/currencycategory.h"
#include "online/downloaddlg.h"
#include "online/quietfetch.h"
#include "online/referencerates.h"
#include "online/webaccess.h"
#include "platform/messages.h"
#include "platform/serviceaddress.h"
#include "text/strings.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

namespace kelvara {

// A fetched document read on a thread of its own: even within the reader's limits a document of
// the size allowed takes longer than a frame, and the window (and the instance socket, which a new
// copy asks) must keep answering meanwhile.
struct ReferenceRatesParse {
    std::string document;
    std::string today;
    ReferenceRates rates;
    std::string why;
    bool ok = false;
};

namespace {

// The thread that reads `parse`, not yet started; it only touches `parse`, which it shares.
QThread* ParseThread(const WebAccess& web, std::shared_ptr<ReferenceRatesParse> parse)
{
    return QThread::create([&web, parse] {
        parse->ok = web.parseReferenceRates(parse->document, parse->today, parse->rates, parse->why);
    });
}

// Reads the document off this thread and waits for it in a local event loop, so that the window
// keeps painting.
bool ParseWithoutBlocking(std::string document, ReferenceRates& rates, std::string& why)
{
    const WebAccess* web = GetWebAccess(&why);
    if (!web)
        return false;
    auto parse = std::make_shared<ReferenceRatesParse>();
    parse->document = std::move(document);
    parse->today = TodayIsoDate();
    const std::unique_ptr<QThread> thread(ParseThread(*web, parse));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    rates = std::move(parse->rates);
    why = std::move(parse->why);
    return parse->ok;
}

} // namespace

bool UpdateReferenceRates(QWidget* parent, CCurrencyCategory& currencies)
{
    CDownloadDlg dialog(parent);
    dialog.SetOperation(LoadString(IDS_RETRIEVING_RATES));
    dialog.SetUrl(ReferenceRatesAddress());
    if (dialog.exec() != 1)
        return false;
    ReferenceRates rates;
    std::string why;
    if (!ParseWithoutBlocking(dialog.ReadFileText(), rates, why)) {
        ShowMessage(IDS_RATES_UNREADABLE, MB_OK | MB_ICONEXCLAMATION, why);
        return false;
    }
    StoreReferenceRates(rates, currencies);
    currencies.ReloadStoredRates();
    return true;
}

ReferenceRatesFetch::ReferenceRatesFetch(std::function<CCurrencyCategory*()> currencies, QObject* parent)
    : QObject(parent), m_currencies(std::move(currencies)), m_fetch(new QuietFetch(this))
{
    connect(m_fetch, &QuietFetch::Finished, this, &ReferenceRatesFetch::OnFinished);
}

ReferenceRatesFetch::~ReferenceRatesFetch()
{
    // The reader is bounded (the size and element limits); its end is waited for.
    if (m_parseThread) {
        m_parseThread->disconnect(this);
        m_parseThread->wait();
        delete m_parseThread;
    }
}

bool ReferenceRatesFetch::Start()
{
    if (m_running)
        return false;
    m_running = true;
    m_error.clear();
    m_fetch->Start(QUrl(QString::fromStdString(ReferenceRatesAddress())));
    return true;
}

void ReferenceRatesFetch::OnFinished(bool ok)
{
    const WebAccess* web = ok ? GetWebAccess(&m_error) : nullptr;
    if (!ok || !web) {
        m_running = false;
        if (!ok)
            m_error = m_fetch->Error().toStdString();
        emit Done(false);
        return;
    }
    // Still running until the document has been read, on a thread of its own.
    const QByteArray& body = m_fetch->Body();
    m_parse = std::make_shared<ReferenceRatesParse>();
    m_parse->document.assign(body.constData(), static_cast<std::size_t>(body.size()));
    m_parse->today = TodayIsoDate();
    m_parseThread = ParseThread(*web, m_parse);
    connect(m_parseThread, &QThread::finished, this, &ReferenceRatesFetch::OnParsed);
    m_parseThread->start();
}

void ReferenceRatesFetch::OnParsed()
{
    m_parseThread->wait();
    delete m_parseThread;
    m_parseThread = nullptr;
    const std::shared_ptr<ReferenceRatesParse> parse = std::move(m_parse);
    m_running = false;
    const ReferenceRates& rates = parse->rates;
    CCurrencyCategory* currencies = m_currencies ? m_currencies() : nullptr;
    if (!parse->ok) {
        m_error = parse->why;
        emit Done(false);
        return;
    }
    if (!currencies) {
        m_error = "the currency data is not available";
        emit Done(false);
        return;
    }
    StoreReferenceRates(rates, *currencies);
    currencies->ReloadStoredRates();
    emit Done(true);
}

} // namespace kelvara
