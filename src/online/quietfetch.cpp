#include "quietfetch.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kelvara {

namespace {
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
    connect(&m_idle, &QTimer::timeout, this, [this] {
        Finish(false,
               QStringLiteral("The server sent nothing for %1 seconds.").arg(m_idleTimeoutMs / 1000.0));
    });
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
            this, [this, url] { Finish(false, QStringLiteral("Not a web address: ") + url.toString()); },
            Qt::QueuedConnection);
        return;
    }
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    Request(url);
}

void QuietFetch::Abort()
{
    Finish(false, QStringLiteral("Cancelled."));
}

void QuietFetch::Request(const QUrl& url)
{
    m_currentUrl = url;
    m_drained = 0;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Kelvara"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(kReadBufferSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &QuietFetch::OnReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &QuietFetch::OnFinished);
    m_idle.start(m_idleTimeoutMs);
}

QUrl QuietFetch::RedirectTarget() const
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return {};
    const QUrl location = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    return location.isEmpty() ? QUrl() : m_currentUrl.resolved(location);
}

void QuietFetch::OnReadyRead()
{
    if (!m_reply)
        return;
    m_idle.start(m_idleTimeoutMs);
    const bool redirect = !RedirectTarget().isEmpty();
    char buffer[16 * 1024];
    for (;;) {
        const qint64 n = m_reply->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        // A redirect's body is thrown away, but no more of it is taken than of a reply.
        if (redirect) {
            m_drained += n;
            if (m_drained > m_sizeLimit) {
                Finish(false, QStringLiteral("The server's reply is larger than the limit."));
                return;
            }
            continue;
        }
        if (m_body.size() + n > m_sizeLimit) {
            Finish(false, QStringLiteral("The server's reply is larger than the limit."));
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
    if (m_reply->error() != QNetworkReply::NoError) {
        Finish(false, m_reply->errorString());
        return;
    }
    if (const QUrl target = RedirectTarget(); !target.isEmpty()) {
        if (!IsAllowedRedirect(m_currentUrl, target)) {
            Finish(false, QStringLiteral("The server redirected to an address that is not allowed: ") +
                              target.toString());
            return;
        }
        if (++m_redirects > kMaxRedirects) {
            Finish(false, QStringLiteral("The server redirected too often."));
            return;
        }
        StopReply();
        Request(target);
        return;
    }
    OnReadyRead();
    if (m_done)
        return;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != m_body.size()) {
        Finish(false,
               QStringLiteral("The server sent %1 of %2 bytes.").arg(m_body.size()).arg(length.toLongLong()));
        return;
    }
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && (status < 200 || status > 299)) {
        Finish(false, QStringLiteral("The server answered %1.").arg(status));
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
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

} // namespace kelvara
