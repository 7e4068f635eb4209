// The loadable network helper of kelvara-cli (fetchmodule.h).
#include "fetchmodule.h"

#include "quietfetch.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
char* Copy(const char* data, std::size_t size)
{
    auto* copy = static_cast<char*>(std::malloc(size + 1));
    if (!copy)
        return nullptr;
    if (size)
        std::memcpy(copy, data, size);
    copy[size] = '\0';
    return copy;
}
} // namespace

extern "C" __attribute__((visibility("default"))) int kelvara_fetch(const char* url, long long sizeLimit,
                                                                    int idleTimeoutMs, char** data,
                                                                    unsigned long long* size, char** error)
{
    *data = nullptr;
    *size = 0;
    *error = nullptr;
    // The network layer needs an application object and an event loop; the tool has neither.
    std::unique_ptr<QCoreApplication> application;
    static int argc = 1;
    static char name[] = "kelvara-cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);
    bool ok = false;
    {
        kelvara::QuietFetch fetch;
        fetch.SetSizeLimit(sizeLimit);
        fetch.SetIdleTimeout(idleTimeoutMs);
        QEventLoop loop;
        bool finished = false;
        QObject::connect(&fetch, &kelvara::QuietFetch::Finished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        fetch.Start(QUrl(QString::fromUtf8(url)));
        if (!finished)
            loop.exec();
        ok = fetch.IsOk();
        if (ok) {
            *data = Copy(fetch.Body().constData(), static_cast<std::size_t>(fetch.Body().size()));
            *size = static_cast<unsigned long long>(fetch.Body().size());
            ok = *data != nullptr;
        } else {
            const QByteArray text = fetch.Error().toUtf8();
            *error = Copy(text.constData(), static_cast<std::size_t>(text.size()));
        }
    }
    return ok ? 1 : 0;
}

extern "C" __attribute__((visibility("default"))) void kelvara_fetch_free(char* memory)
{
    std::free(memory);
}
