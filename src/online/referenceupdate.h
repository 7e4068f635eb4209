#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CCurrencyCategory;
class QThread;
class QWidget;

namespace kelvara {

class QuietFetch;
class RatesUpdatePlan;

// Fetches the ECB's reference rates and the world rates behind a small progress window (with
// Cancel) and stores them for the category's currencies, which take them at once. A source that
// could not be fetched, read or stored is named in a message. True when a document arrived and
// what it brought was stored; `covered` (when given) tells whether a document carried `code`.
bool UpdateReferenceRates(QWidget* parent, CCurrencyCategory& currencies, const std::string& code = {},
                          bool* covered = nullptr);

// The same without a window, for the updates in the background: only the documents that are due,
// failures are silent (Error says what went wrong) and the next attempt is the caller's. Done
// comes once per Start. Documents are read on a thread of their own, never on the window's.
class ReferenceRatesFetch : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReferenceRatesFetch)
public:
    // `currencies` gives the category to store for when the documents have arrived (null: none).
    explicit ReferenceRatesFetch(std::function<CCurrencyCategory*()> currencies, QObject* parent = nullptr);
    ~ReferenceRatesFetch() override;

    // Whether either document is due at universal time `nowTicks`.
    static bool IsDue(std::int64_t nowTicks);
    // False when one is already under way or nothing is due.
    bool Start();
    bool IsRunning() const { return m_running; }
    const std::string& Error() const { return m_error; }

signals:
    // `stored`: rates were stored and the category has reloaded them.
    void Done(bool stored);

private:
    void FetchNext();
    void OnFinished();

    std::function<CCurrencyCategory*()> m_currencies;
    QuietFetch* m_fetch;
    std::unique_ptr<RatesUpdatePlan> m_plan;
    QThread* m_readThread = nullptr;
    std::string m_error;
    bool m_running = false;
};

} // namespace kelvara
