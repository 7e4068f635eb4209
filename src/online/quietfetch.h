#pragma once

// Qt Core and the network layer only: the command line's fetch helper is built from this too.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QIODevice;

namespace kelvara {

struct WebAccess;

// Whether a transfer may follow a redirect from `from` to `to`: only within the same scheme or
// from http to https, and never off the web.
bool IsAllowedRedirect(const QUrl& from, const QUrl& to);

// Fetches one http or https address into memory, without a window, under the same rules as the
// download dialog: redirects as IsAllowedRedirect says and at most kMaxRedirects, the system's
// proxy settings, a time-out when nothing arrives for the idle time, an overall deadline for the
// whole transfer with its redirects (a server that trickles a byte now and then never lets the
// idle time pass), a size limit for the reply and for the body of every redirect. Finished comes
// once, from the event loop.
class QuietFetch : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuietFetch)
public:
    static constexpr qint64 kDefaultSizeLimit = 4 * 1024 * 1024;
    static constexpr int kDefaultIdleTimeoutMs = 30000;
    static constexpr int kDefaultDeadlineMs = 120000;
    static constexpr int kMaxRedirects = 10;
    // The network layer holds at most this much of a reply before we take it.
    static constexpr qint64 kReadBufferSize = 64 * 1024;

    explicit QuietFetch(QObject* parent = nullptr);
    ~QuietFetch() override;

    void SetSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }
    void SetIdleTimeout(int milliseconds) { m_idleTimeoutMs = milliseconds; }
    void SetDeadline(int milliseconds) { m_deadlineMs = milliseconds; }
    void Start(const QUrl& url);
    void Abort();

    bool IsOk() const { return m_ok; }
    const QByteArray& Body() const { return m_body; }
    // Why it failed, in words; empty after success.
    const QString& Error() const { return m_error; }

signals:
    void Finished(bool ok);

private:
    void Request(const QUrl& url);
    void OnReadyRead();
    void OnFinished();
    void Finish(bool ok, const QString& error);
    void StopReply();

    const WebAccess* m_web = nullptr;
    QObject* m_network = nullptr;
    QIODevice* m_reply = nullptr;
    QTimer m_idle;
    QTimer m_deadline;
    QUrl m_currentUrl;
    QByteArray m_body;
    QString m_error;
    qint64 m_sizeLimit = kDefaultSizeLimit;
    qint64 m_drained = 0;
    int m_idleTimeoutMs = kDefaultIdleTimeoutMs;
    int m_deadlineMs = kDefaultDeadlineMs;
    int m_redirects = 0;
    bool m_ok = false;
    bool m_done = false;
};

} // namespace kelvara
