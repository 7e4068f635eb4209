#include "shell/ratesautoupdate.h"

#include "online/referenceupdate.h"
#include "platform/clock.h"

namespace kelvara {

RatesAutoUpdate::RatesAutoUpdate(std::function<bool()> enabled, ReferenceRatesFetch* fetch, QObject* parent)
    : QObject(parent), m_enabled(std::move(enabled)), m_fetch(fetch)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        Tick();
        m_timer.start(m_period);
    });
    m_timer.start(kFirstTry);
}

void RatesAutoUpdate::SetTimes(std::chrono::milliseconds first, std::chrono::milliseconds period)
{
    m_period = period;
    m_timer.start(first);
}

bool RatesAutoUpdate::Tick()
{
    if (!m_fetch || m_fetch->IsRunning() || !m_enabled || !m_enabled())
        return false;
    if (!ReferenceRatesFetch::IsDue(CurrentUtcTicks()))
        return false;
    return m_fetch->Start();
}

} // namespace kelvara
