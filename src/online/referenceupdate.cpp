#include "online/referenceupdate.h"

#include "catalogue/currencycategory.h"
#include "online/quietfetch.h"
#include "online/ratesupdate.h"
#include "online/webaccess.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/profilestore.h"
#include "text/strings.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>

#include <memory>

namespace kelvara {

namespace {

// Reads what arrived on a thread of its own: even within the readers' limits a document of the
// size allowed takes longer than a frame, and the window (and the instance socket, which a new copy
// asks) must keep answering meanwhile. The thread touches only the plan and its copy of the answer.
QThread* ReadThread(RatesUpdatePlan& plan, const QuietFetch& fetch)
{
    // The readers' module is loaded here, not on the other thread.
    GetWebAccess();
    auto body = std::make_shared<const std::string>(fetch.Body().constData(),
                                                    static_cast<std::size_t>(fetch.Body().size()));
    return QThread::create([&plan, body = std::move(body), ok = fetch.IsOk(),
                            error = fetch.Error().toStdString()] { plan.Fetched(ok, *body, error); });
}

// The same, waited for in a local event loop so that the window keeps painting.
void ReadWithoutBlocking(RatesUpdatePlan& plan, const QuietFetch& fetch)
{
    const std::unique_ptr<QThread> thread(ReadThread(plan, fetch));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
}

} // namespace

bool UpdateReferenceRates(QWidget* parent, CCurrencyCategory& currencies, const std::string& code, bool* covered)
{
    RatesUpdatePlan plan({true, true, RateRequest::User}, TodayIsoDate());
    QProgressDialog progress(QString::fromStdString(LoadString(IDS_RETRIEVING_RATES)), QString(), 0, 0, parent);
    progress.setWindowTitle(QString::fromStdString(LoadString(IDS_APP_TITLE)));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QuietFetch fetch;
    bool cancelled = false;
    QObject::connect(&progress, &QProgressDialog::canceled, &fetch, [&] {
        cancelled = true;
        fetch.Abort();
    });
    progress.show();
    while (!cancelled && plan.StartNext(fetch)) {
        fetch.Wait();
        if (cancelled)
            return false;
        ReadWithoutBlocking(plan, fetch);
    }
    progress.hide();
    const RateUpdateResult result = plan.Store(currencies, Profile());
    if (covered)
        *covered = plan.Carries(code);
    const std::string failure = plan.Failure(result);
    if (!failure.empty())
        ShowMessage(IDS_RATES_NOT_UPDATED, MB_OK | MB_ICONEXCLAMATION, failure);
    // Whatever arrived is stored (or the failure said); only a fetch that brought nothing at all
    // leaves the caller with nothing to go on.
    return result.written && (result.ecb.given || result.world.given);
}

ReferenceRatesFetch::ReferenceRatesFetch(std::function<CCurrencyCategory*()> currencies, QObject* parent)
    : QObject(parent), m_currencies(std::move(currencies)), m_fetch(new QuietFetch(this))
{
    connect(m_fetch, &QuietFetch::Finished, this, &ReferenceRatesFetch::OnFinished);
}

ReferenceRatesFetch::~ReferenceRatesFetch()
{
    // The readers are bounded (the size and element limits); their end is waited for.
    if (m_readThread) {
        m_readThread->disconnect(this);
        m_readThread->wait();
        delete m_readThread;
    }
}

bool ReferenceRatesFetch::IsDue(std::int64_t nowTicks)
{
    const DueRates due = RatesDue(Profile(), nowTicks);
    return due.ecb || due.world;
}

bool ReferenceRatesFetch::Start()
{
    if (m_running)
        return false;
    const DueRates due = RatesDue(Profile(), CurrentUtcTicks());
    if (!due.ecb && !due.world)
        return false;
    m_running = true;
    m_error.clear();
    m_plan = std::make_unique<RatesUpdatePlan>(
        RatesUpdatePlan::Options{due.ecb, due.world, RateRequest::Background}, TodayIsoDate());
    FetchNext();
    return true;
}

void ReferenceRatesFetch::FetchNext()
{
    if (m_plan->StartNext(*m_fetch))
        return;
    m_running = false;
    CCurrencyCategory* currencies = m_currencies ? m_currencies() : nullptr;
    if (!currencies) {
        m_error = LoadString(IDS_CURRENCY_DATA_UNAVAILABLE);
        emit Done(false);
        return;
    }
    const RateUpdateResult result = m_plan->Store(*currencies, Profile());
    m_error = m_plan->Failure(result);
    emit Done(result.written && (result.ecb.stored > 0 || result.world.stored > 0));
}

void ReferenceRatesFetch::OnFinished()
{
    m_readThread = ReadThread(*m_plan, *m_fetch);
    connect(m_readThread, &QThread::finished, this, [this] {
        m_readThread->wait();
        delete m_readThread;
        m_readThread = nullptr;
        FetchNext();
    });
    m_readThread->start();
}

} // namespace kelvara
