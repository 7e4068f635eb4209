#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class CCurrencyCategory;
class QThread;
class QWidget;

namespace kelvara {

class QuietFetch;
struct ReferenceRatesParse;

// Fetches the ECB's reference rates behind the download dialog (progress, Cancel, the transfer's
// failure messages) and stores them for the category's currencies. A document that cannot be used
// changes nothing and says why. True when rates were stored (the category has reloaded them).
bool UpdateReferenceRates(QWidget* parent, CCurrencyCategory& currencies);

// The same without a window, for the updates in the background: failures are silent (Error says
// what went wrong) and the next attempt is the caller's. Done comes once per Start. The document is
// read on a thread of its own, never on the window's.
class ReferenceRatesFetch : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReferenceRatesFetch)
public:
    // `currencies` gives the category to store for when the document has arrived (null: none).
    explicit ReferenceRatesFetch(std::function<CCurrencyCategory*()> currencies, QObject* parent = nullptr);
    ~ReferenceRatesFetch() override;

    // False when one is already under way.
    bool Start();
    bool IsRunning() const { return m_running; }
    const std::string& Error() const { return m_error; }

signals:
    // `stored`: rates were stored and the category has reloaded them.
    void Done(bool stored);

private:
    void OnFinished(bool ok);
    void OnParsed();

    std::function<CCurrencyCategory*()> m_currencies;
    QuietFetch* m_fetch;
    std::shared_ptr<ReferenceRatesParse> m_parse;
    QThread* m_parseThread = nullptr;
    std::string m_error;
    bool m_running = false;
};

} // namespace kelvara
