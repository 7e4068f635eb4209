// The network layer behind WebAccess: Qt's network access and the readers of the documents fetched.
#include "online/webaccess.h"

#include "online/referencerates.h"
#include "online/worldrates.h"
#include "online/xmlfile.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kelvara {

namespace {

static_assert(neterror::kTooManyRedirects == QNetworkReply::TooManyRedirectsError);
static_assert(neterror::kInsecureRedirect == QNetworkReply::InsecureRedirectError);
static_assert(neterror::kUnknownNetwork == QNetworkReply::UnknownNetworkError);
static_assert(neterror::kProtocolUnknown == QNetworkReply::ProtocolUnknownError);

const QNetworkReply* Reply(const QIODevice* device)
{
    return static_cast<const QNetworkReply*>(device);
}

QObject* CreateManager(QObject* owner)
{
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    return new QNetworkAccessManager(owner);
}

QIODevice* Get(QObject* manager, const QUrl& url, const QString& userAgent, qint64 readBufferSize,
               QObject* context, const WebCallbacks& callbacks)
{
    QNetworkRequest request(url);
    // Redirects are followed by the caller rather than by the network layer, which has been seen
    // to send a redirected request more than once.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // Plain bytes: the length the server announces is then the length that arrives.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = static_cast<QNetworkAccessManager*>(manager)->get(request);
    reply->setReadBufferSize(readBufferSize);
    if (callbacks.readyRead)
        QObject::connect(reply, &QNetworkReply::readyRead, context, callbacks.readyRead);
    if (callbacks.metaDataChanged)
        QObject::connect(reply, &QNetworkReply::metaDataChanged, context, callbacks.metaDataChanged);
    if (callbacks.finished)
        QObject::connect(reply, &QNetworkReply::finished, context, callbacks.finished);
    return reply;
}

int HttpStatus(const QIODevice* reply)
{
    return Reply(reply)->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QUrl RedirectLocation(const QIODevice* reply)
{
    return Reply(reply)->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
}

qint64 ContentLength(const QIODevice* reply)
{
    const QVariant length = Reply(reply)->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}

int Error(const QIODevice* reply)
{
    return Reply(reply)->error();
}

void Abort(QIODevice* device)
{
    auto* reply = static_cast<QNetworkReply*>(device);
    reply->abort();
    reply->deleteLater();
}

bool XmlFileNodeText(const std::string& path, const std::string& query, std::string& text)
{
    CXmlFile document;
    return document.Load(path) && document.GetNodeText(query, text);
}

} // namespace

const WebAccess& NetworkWebAccess()
{
    static const WebAccess access{&CreateManager, &Get,   &HttpStatus,          &RedirectLocation,
                                  &ContentLength, &Error, &Abort,               &ParseReferenceRates,
                                  &XmlFileNodeText, &ParseWorldRates};
    return access;
}

} // namespace kelvara

extern "C" __attribute__((visibility("default"))) const kelvara::WebAccess* KelvaraWebAccess()
{
    return &kelvara::NetworkWebAccess();
}
