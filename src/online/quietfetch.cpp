#include "quietfetch.h"

#include "online/bytesize.h"
#include "online/webaccess.h"
#include "platform/messages.h"
#include "text/formattext.h"
#include "text/outsidetext.h"
#include "text/formatting.h"
#include "text/strings.h"

#include <kelvara/version.h>

#include <QEventLoop>
#include <QIODevice>

#include <algorithm>
#include <string>
#include <vector>

namespace kelvara {

namespace {
QString Text(unsigned id, const std::vector<FormatArg>& args = {})
{
    return QString::fromStdString(FormatString(id, args));
}

std::string Seconds(int milliseconds)
{
    return FormatDouble(milliseconds / 1000.0);
}

bool IsWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
} // namespace

std::int32_t NetworkResultCode(int networkError)
{
    return static_cast<std::int32_t>(0x800C0000u | (static_cast<std::uint32_t>(networkError) & 0xFFFFu));
}

bool IsAllowedRedirect(const QUrl& from, const QUrl& to)
{
    const QString a = from.scheme().toLower();
    const QString b = to.scheme().toLower();
    if (!IsWebScheme(b) || to.host().isEmpty())
        return false;
    return a == b || (a == QLatin1String("http") && b == QLatin1String("https"));
}

QuietFetch::QuietFetch(QObject* parent) : QObject(parent)
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this,
            [this] { Fail(kTransferTimedOut, Text(IDS_SERVER_SILENT, {Seconds(m_idleTimeoutMs)})); });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { Fail(kTransferTimedOut, Text(IDS_TRANSFER_TOO_LONG, {Seconds(m_deadlineMs)})); });
}

QuietFetch::~QuietFetch()
{
    StopReply();
}

void QuietFetch::Start(const QUrl& url)
{
    m_body.clear();
    m_error.clear();
    m_code = 0;
    m_ok = false;
    m_done = false;
    m_redirects = 0;
    m_received = 0;
    m_announced = -1;
    // A failure before the request still comes from the event loop, as promised.
    const auto failLater = [this](std::int32_t code, const QString& error) {
        QMetaObject::invokeMethod(
            this, [this, code, error] { Fail(code, error); }, Qt::QueuedConnection);
    };
    if (!url.isValid() || !IsWebScheme(url.scheme().toLower()) || url.host().isEmpty()) {
        failLater(NetworkResultCode(neterror::kProtocolUnknown),
                  Text(IDS_NOT_WEB_ADDRESS, {url.toString().toStdString()}));
        return;
    }
    std::string why;
    if (!m_web && !(m_web = GetWebAccess(&why))) {
        failLater(NetworkResultCode(neterror::kUnknownNetwork), QString::fromStdString(why));
        return;
    }
    if (!m_network)
        m_network = m_web->createManager(this);
    m_deadline.start(m_deadlineMs);
    Request(url);
}

bool QuietFetch::Wait()
{
    if (!m_done) {
        QEventLoop loop;
        connect(this, &QuietFetch::Finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_ok;
}

void QuietFetch::Abort()
{
    Finish(false, NetworkResultCode(neterror::kOperationCanceled), Text(IDS_TRANSFER_CANCELLED));
}

void QuietFetch::Request(const QUrl& url)
{
    m_currentUrl = url;
    m_drained = 0;
    m_reply =
        m_web->get(m_network, url, QStringLiteral("Kelvara/" KELVARA_VERSION_STRING), kReadBufferSize, this,
                   {[this] { OnReadyRead(); }, [this] { OnMetaData(); }, [this] { OnFinished(); }});
    m_idle.start(m_idleTimeoutMs);
}

bool QuietFetch::IsRedirect() const
{
    return !RedirectTarget(*m_web, m_reply, m_currentUrl).isEmpty();
}

void QuietFetch::FailTooLarge()
{
    Fail(kReplyTooLarge,
         Text(IDS_REPLY_LARGER_THAN, {FormatByteSize(static_cast<std::uint64_t>(m_sizeLimit))}));
}

void QuietFetch::OnMetaData()
{
    if (!m_reply || IsRedirect())
        return;
    m_idle.start(m_idleTimeoutMs);
    m_announced = m_web->contentLength(m_reply);
    // Refused before any of it is taken.
    if (m_announced > m_sizeLimit) {
        FailTooLarge();
        return;
    }
    emit Progress(m_received, m_announced);
}

void QuietFetch::OnReadyRead()
{
    if (!m_reply)
        return;
    m_idle.start(m_idleTimeoutMs);
    const bool redirect = IsRedirect();
    if (!redirect && m_web->contentLength(m_reply) > m_sizeLimit) {
        FailTooLarge();
        return;
    }
    // In pieces of a bounded size, whatever the network layer holds.
    char buffer[16 * 1024];
    bool taken = false;
    for (;;) {
        const qint64 n = m_reply->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        // A redirect's body is not the resource, but no more of it is read than of a reply.
        qint64& counted = redirect ? m_drained : m_received;
        if (counted + n > m_sizeLimit) {
            FailTooLarge();
            return;
        }
        counted += n;
        if (redirect)
            continue;
        taken = true;
        if (!m_sink) {
            m_body.append(buffer, static_cast<qsizetype>(n));
        } else if (const int error = m_sink(buffer, n); error != 0) {
            const std::int32_t code = ResultFromErrno(error);
            Fail(code, QString::fromStdString(GetErrorText(code)));
            return;
        }
    }
    if (taken)
        emit Progress(m_received, m_announced);
}

void QuietFetch::OnFinished()
{
    if (!m_reply)
        return;
    m_idle.stop();
    if (const int error = m_web->error(m_reply); error != 0) {
        // The network layer's text carries the server's reason phrase; no failure is without words.
        const std::string text = OutsideText(m_reply->errorString().toStdString(), kMaxErrorText);
        Fail(NetworkResultCode(error), text.empty() ? Text(IDS_NETWORK_ERROR, {static_cast<unsigned>(error)})
                                                    : QString::fromStdString(text));
        return;
    }
    if (const QUrl target = RedirectTarget(*m_web, m_reply, m_currentUrl); !target.isEmpty()) {
        if (!IsAllowedRedirect(m_currentUrl, target)) {
            Fail(NetworkResultCode(neterror::kInsecureRedirect),
                 Text(IDS_REDIRECT_NOT_ALLOWED, {OutsideText(target.toString().toStdString(), kMaxErrorText)}));
            return;
        }
        if (++m_redirects > kMaxRedirects) {
            Fail(NetworkResultCode(neterror::kTooManyRedirects), Text(IDS_TOO_MANY_REDIRECTS));
            return;
        }
        StopReply();
        Request(target);
        return;
    }
    OnReadyRead();
    if (m_done)
        return;
    // The network layer reports a connection closed early; this also catches a server that says
    // it is done before the length it announced.
    const qint64 length = m_web->contentLength(m_reply);
    if (length >= 0 && length != m_received) {
        Fail(kReplyIncomplete, Text(IDS_REPLY_INCOMPLETE, {m_received, length}));
        return;
    }
    const int status = m_web->httpStatus(m_reply);
    if (status != 0 && (status < 200 || status > 299)) {
        Fail(NetworkResultCode(neterror::kUnknownServer), Text(IDS_SERVER_ANSWERED, {status}));
        return;
    }
    Finish(true, 0, {});
}

void QuietFetch::Fail(std::int32_t code, const QString& error)
{
    Finish(false, code, error);
}

void QuietFetch::Finish(bool ok, std::int32_t code, const QString& error)
{
    if (m_done)
        return;
    m_done = true;
    m_idle.stop();
    m_deadline.stop();
    StopReply();
    m_ok = ok;
    m_code = code;
    m_error = error;
    if (!ok)
        m_body.clear();
    emit Finished(ok);
}

void QuietFetch::StopReply()
{
    if (!m_reply)
        return;
    QIODevice* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    m_web->abort(reply);
}

} // namespace kelvara
