#pragma once

// The network layer, kept in a module of its own (kelvara-web.so) that is loaded the first time
// something is fetched: the program starts and runs without mapping the network library and its
// dependencies until the user asks for something online. The readers of the XML documents fetched
// live there too, with the XML library. Qt Core types only, so that this side
// needs no network headers.

#include <QString>
#include <QUrl>

#include <functional>
#include <string>
#include <string_view>

class QIODevice;
class QObject;

namespace kelvara {

struct ReferenceRates;
struct WorldRates;

// The network layer's error numbers (QNetworkReply::NetworkError) that our own checks report.
namespace neterror {
inline constexpr int kTooManyRedirects = 10;
inline constexpr int kInsecureRedirect = 11;
inline constexpr int kOperationCanceled = 5;
inline constexpr int kUnknownNetwork = 99;
inline constexpr int kProtocolUnknown = 301;
inline constexpr int kUnknownServer = 499;
} // namespace neterror

// What a reply reports, called with the `context` given to get() as the receiver (disconnecting
// the reply from `context` stops them).
struct WebCallbacks {
    std::function<void()> readyRead;
    std::function<void()> metaDataChanged;
    std::function<void()> finished;
};

// The entry points of the layer. A reply is the network layer's reply seen as a device: read it
// with QIODevice::read, ask it for errorString().
struct WebAccess {
    // A request manager owned by `owner`, using the system's proxy settings.
    QObject* (*createManager)(QObject* owner);
    // Starts a GET of `url` through `manager`: redirects are left to the caller, the body comes as
    // sent (no compression asked for), never from a cache; the layer holds at most
    // `readBufferSize` bytes not yet read.
    QIODevice* (*get)(QObject* manager, const QUrl& url, const QString& userAgent, qint64 readBufferSize,
                      QObject* context, const WebCallbacks& callbacks);
    // The HTTP status; 0 before the headers or for other schemes.
    int (*httpStatus)(const QIODevice* reply);
    // The Location of a redirect as sent (relative or absolute); empty for none.
    QUrl (*redirectLocation)(const QIODevice* reply);
    // The announced Content-Length; -1 when there is none.
    qint64 (*contentLength)(const QIODevice* reply);
    // The layer's error number; 0 for none.
    int (*error)(const QIODevice* reply);
    // Stops the transfer; the reply is deleted from the event loop.
    void (*abort)(QIODevice* reply);

    // ParseReferenceRates (referencerates.h).
    bool (*parseReferenceRates)(std::string_view document, const std::string& today, ReferenceRates& rates,
                                std::string& why);
    // The text of the first node the XPath `query` matches in the XML file at `path` (CXmlFile);
    // false when the file cannot be read as XML or nothing matches.
    bool (*xmlFileNodeText)(const std::string& path, const std::string& query, std::string& text);
    // ParseWorldRates (worldrates.h).
    bool (*parseWorldRates)(std::string_view document, const std::string& today, WorldRates& rates,
                            std::string& why);
};

// The layer, loaded on the first call; null when the module cannot be loaded, with the reason in
// `why`. Not retried after a failure.
const WebAccess* GetWebAccess(std::string* why = nullptr);

// Programs that link the layer in give it here; tests name the module built beside them (a path
// given before the module is loaded makes the next call try again).
void SetWebAccess(const WebAccess* access);
void SetWebModulePath(const std::string& path);

// Where a finished or arriving redirect (301, 302, 303, 307, 308) points, resolved against
// `current`; empty for any other reply.
QUrl RedirectTarget(const WebAccess& web, const QIODevice* reply, const QUrl& current);

// The layer itself (webnetwork.cpp), for the module's entry and for programs that link it in.
const WebAccess& NetworkWebAccess();

} // namespace kelvara

extern "C" {
using KelvaraWebAccessEntry = const kelvara::WebAccess* (*)();
}
namespace kelvara {
inline constexpr const char* kWebModuleEntry = "KelvaraWebAccess";
} // namespace kelvara
