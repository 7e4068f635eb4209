#include "quietfetch.h"

#include "online/webaccess.h"
#include "text/formattext.h"
#include "text/outsidetext.h"
#include "text/strings.h"

#include <QIODevice>

#include <string>
#include <vector>

namespace kelvara {

namespace {
QString Text(unsigned id, const std::vector<FormatArg>& args = {})
{
    return QString::fromStdString(FormatText(LoadString(id), args));
}

// A number as QString::arg writes it.
std::string Number(double value)
{
    return QStringLiteral("%1").arg(value).toStdString();
}

bool IsWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
} // namespace

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
            [this] { Finish(false, Text(IDS_SERVER_SILENT, {Number(m_idleTimeoutMs / 1000.0)})); });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { Finish(false, Text(IDS_TRANSFER_TOO_LONG, {Number(m_deadlineMs / 1000.0)})); });
}

QuietFetch::~QuietFetch()
{
    StopReply();
}

void QuietFetch::Start(const QUrl& url)
{
    m_body.clear();
    m_error.clear();
    m_ok = false;
    m_done = false;
    m_redirects = 0;
    if (!url.isValid() || !IsWebScheme(url.scheme().toLower()) || url.host().isEmpty()) {
        // Still from the event loop, as promised.
        QMetaObject::invokeMethod(
            this, [this, url] { Finish(false, Text(IDS_NOT_WEB_ADDRESS, {url.toString().toStdString()})); },
            Qt::QueuedConnection);
        return;
    }
    std::string why;
    if (!m_web && !(m_web = GetWebAccess(&why))) {
        QMetaObject::invokeMethod(
            this, [this, why] { Finish(false, QString::fromStdString(why)); }, Qt::QueuedConnection);
        return;
    }
    if (!m_network)
        m_network = m_web->createManager(this);
    m_deadline.start(m_deadlineMs);
    Request(url);
}

void QuietFetch::Abort()
{
    Finish(false, Text(IDS_TRANSFER_CANCELLED));
}

void QuietFetch::Request(const QUrl& url)
{
    m_currentUrl = url;
    m_drained = 0;
    m_reply = m_web->get(m_network, url, QStringLiteral("Kelvara"), kReadBufferSize, this,
                         {[this] { OnReadyRead(); }, {}, [this] { OnFinished(); }});
    m_idle.start(m_idleTimeoutMs);
}

void QuietFetch::OnReadyRead()
{
    if (!m_reply)
        return;
    m_idle.start(m_idleTimeoutMs);
    const bool redirect = !RedirectTarget(*m_web, m_reply, m_currentUrl).isEmpty();
    char buffer[16 * 1024];
    for (;;) {
        const qint64 n = m_reply->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        // A redirect's body is thrown away, but no more of it is taken than of a reply.
        if (redirect) {
            m_drained += n;
            if (m_drained > m_sizeLimit) {
                Finish(false, Text(IDS_REPLY_OVER_LIMIT));
                return;
            }
            continue;
        }
        if (m_body.size() + n > m_sizeLimit) {
            Finish(false, Text(IDS_REPLY_OVER_LIMIT));
            return;
        }
        m_body.append(buffer, static_cast<qsizetype>(n));
    }
}

void QuietFetch::OnFinished()
{
    if (!m_reply)
        return;
    m_idle.stop();
    if (m_web->error(m_reply) != 0) {
        // The network layer's text carries the server's reason phrase.
        Finish(false,
               QString::fromStdString(OutsideText(m_reply->errorString().toStdString(), kMaxErrorText)));
        return;
    }
    if (const QUrl target = RedirectTarget(*m_web, m_reply, m_currentUrl); !target.isEmpty()) {
        if (!IsAllowedRedirect(m_currentUrl, target)) {
            Finish(false, Text(IDS_REDIRECT_NOT_ALLOWED,
                               {OutsideText(target.toString().toStdString(), kMaxErrorText)}));
            return;
        }
        if (++m_redirects > kMaxRedirects) {
            Finish(false, Text(IDS_TOO_MANY_REDIRECTS));
            return;
        }
        StopReply();
        Request(target);
        return;
    }
    OnReadyRead();
    if (m_done)
        return;
    const qint64 length = m_web->contentLength(m_reply);
    if (length >= 0 && length != m_body.size()) {
        Finish(false, Text(IDS_REPLY_INCOMPLETE, {m_body.size(), length}));
        return;
    }
    const int status = m_web->httpStatus(m_reply);
    if (status != 0 && (status < 200 || status > 299)) {
        Finish(false, Text(IDS_SERVER_ANSWERED, {status}));
        return;
    }
    Finish(true, {});
}

void QuietFetch::Finish(bool ok, const QString& error)
{
    if (m_done)
        return;
    m_done = true;
    m_idle.stop();
    m_deadline.stop();
    StopReply();
    m_ok = ok;
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
