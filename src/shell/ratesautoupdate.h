#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace kelvara {

class ReferenceRatesFetch;

// Keeps the currency rates current while the program runs: a minute after the start, then every
// six hours, it fetches the reference rates without a window when the option is on and the stored
// ones are older than the last publication. A failure is silent; the next tick tries again.
class RatesAutoUpdate : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RatesAutoUpdate)
public:
    static constexpr std::chrono::milliseconds kFirstTry{60'000};
    static constexpr std::chrono::milliseconds kPeriod{6 * 3600 * 1000};

    // `enabled` reads the option; `fetch` does the work (owned elsewhere).
    RatesAutoUpdate(std::function<bool()> enabled, ReferenceRatesFetch* fetch, QObject* parent = nullptr);

    // Tests shorten the times; takes effect at once.
    void SetTimes(std::chrono::milliseconds first, std::chrono::milliseconds period);
    // One tick now: true when a fetch was started.
    bool Tick();

private:
    std::function<bool()> m_enabled;
    ReferenceRatesFetch* m_fetch;
    QTimer m_timer;
    std::chrono::milliseconds m_period = kPeriod;
};

} // namespace kelvara
