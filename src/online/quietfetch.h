#pragma once

// Qt Core and the network layer only: the command line's fetch helper is built from this too.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <functional>

class QIODevice;

namespace kelvara {

struct WebAccess;

// Result codes of failed transfers, shown as " [0x%08X]" after the error text: the internet facility
// 0x800C0000 combined with the network layer's error number (QNetworkReply::NetworkError).
std::int32_t NetworkResultCode(int networkError);
// Our own reasons, in the same facility. Failures of where the body goes carry the system's code
// instead (0x80070000 with the errno).
inline constexpr auto kTransferTimedOut = static_cast<std::int32_t>(0x800C0004u); // TimeoutError
inline constexpr auto kReplyTooLarge = static_cast<std::int32_t>(0x800C7001u);
inline constexpr auto kReplyIncomplete = static_cast<std::int32_t>(0x800C7002u);

// Whether a transfer may follow a redirect from `from` to `to`: only within the same scheme or
// from http to https, and never off the web.
bool IsAllowedRedirect(const QUrl& from, const QUrl& to);

// The one transfer engine: fetches an http or https address, for the download dialog as for the
// background updates. Redirects as IsAllowedRedirect says and at most kMaxRedirects, the system's
// proxy settings, a time-out when nothing arrives for the idle time, an overall deadline for the
// whole transfer with its redirects (a server that trickles a byte now and then never lets the
// idle time pass), a size limit for the reply (also as announced, before any of it is taken) and
// for the body of every redirect, which is thrown away. Finished comes once, from the event loop
// or from Abort.
class QuietFetch : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuietFetch)
public:
    // The services answer small documents.
    static constexpr qint64 kDefaultSizeLimit = 4 * 1024 * 1024;
    static constexpr int kDefaultIdleTimeoutMs = 30000;
    static constexpr int kDefaultDeadlineMs = 120000;
    static constexpr int kMaxRedirects = 10;
    // The network layer holds at most this much of a reply before we take it.
    static constexpr qint64 kReadBufferSize = 64 * 1024;

    // Takes each piece of the body as it arrives, instead of Body(); returns 0, or the errno of a
    // failure, which ends the transfer.
    using Sink = std::function<int(const char* data, qint64 size)>;

    explicit QuietFetch(QObject* parent = nullptr);
    ~QuietFetch() override;

    void SetSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }
    qint64 SizeLimit() const { return m_sizeLimit; }
    void SetIdleTimeout(int milliseconds) { m_idleTimeoutMs = milliseconds; }
    void SetDeadline(int milliseconds) { m_deadlineMs = milliseconds; }
    void SetSink(Sink sink) { m_sink = std::move(sink); }
    void Start(const QUrl& url);
    // Waits in a local event loop until Finished; IsOk().
    bool Wait();
    bool Run(const QUrl& url)
    {
        Start(url);
        return Wait();
    }
    // Stops the transfer; Finished(false) comes at once, unless it came already.
    void Abort();

    bool IsOk() const { return m_ok; }
    const QByteArray& Body() const { return m_body; }
    // Bytes of the resource taken so far, and the length its server announced (-1: none).
    qint64 Received() const { return m_received; }
    qint64 Announced() const { return m_announced; }
    // Why it failed, in words, and as a result code; empty and 0 after success.
    const QString& Error() const { return m_error; }
    std::int32_t Code() const { return m_code; }

signals:
    // Once the server has answered with the resource, and after each piece of it.
    void Progress(qint64 received, qint64 announced);
    void Finished(bool ok);

private:
    void Request(const QUrl& url);
    void OnMetaData();
    void OnReadyRead();
    void OnFinished();
    bool IsRedirect() const;
    void FailTooLarge();
    void Fail(std::int32_t code, const QString& error);
    void Finish(bool ok, std::int32_t code, const QString& error);
    void StopReply();

    const WebAccess* m_web = nullptr;
    QObject* m_network = nullptr;
    QIODevice* m_reply = nullptr;
    QTimer m_idle;
    QTimer m_deadline;
    QUrl m_currentUrl;
    QByteArray m_body;
    Sink m_sink;
    QString m_error;
    std::int32_t m_code = 0;
    qint64 m_sizeLimit = kDefaultSizeLimit;
    qint64 m_received = 0;
    qint64 m_announced = -1;
    qint64 m_drained = 0; // bytes of the current redirect's body thrown away
    int m_idleTimeoutMs = kDefaultIdleTimeoutMs;
    int m_deadlineMs = kDefaultDeadlineMs;
    int m_redirects = 0;
    bool m_ok = false;
    bool m_done = false;
};

} // namespace kelvara
