// The loadable reference-rate update of kelvara-cli (platform/ratesmodule.h).
#include "platform/ratesmodule.h"

#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "catalogue/dataarchive.h"
#include "online/quietfetch.h"
#include "online/referencerates.h"
#include "online/webaccess.h"
#include "online/xmlfile.h"
#include "platform/settingsprofilestore.h"
#include "text/formattext.h"
#include "text/strings.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

char* Copy(const std::string& text)
{
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

bool Fetch(const char* url, int idleTimeoutMs, std::string& body, std::string& error)
{
    // The network layer needs an application object and an event loop; the tool has neither.
    std::unique_ptr<QCoreApplication> application;
    static int argc = 1;
    static char name[] = "kelvara-cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);
    kelvara::SetWebAccess(&kelvara::NetworkWebAccess()); // linked into this module
    kelvara::QuietFetch fetch;
    fetch.SetSizeLimit(static_cast<long long>(CXmlFile::kMaxSize));
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
    if (!fetch.IsOk()) {
        error = fetch.Error().toStdString();
        return false;
    }
    body.assign(fetch.Body().constData(), static_cast<std::size_t>(fetch.Body().size()));
    return true;
}

int Update(const char* url, int idleTimeoutMs, std::string& report, std::string& error)
{
    using namespace kelvara;
    std::string body;
    std::string reason;
    if (!Fetch(url, idleTimeoutMs, body, reason)) {
        error = LoadString(IDS_RETRIEVE_FAILED) + "\n" + reason;
        return 0;
    }
    ReferenceRates rates;
    if (!ParseReferenceRates(body, TodayIsoDate(), rates, reason)) {
        error = FormatText(LoadString(IDS_RATES_UNREADABLE), {reason});
        return 0;
    }
    // The rates go where the program keeps them, for the catalogue's currencies, as it stores them.
    SettingsProfileStore store(SettingsProfileStore::Access::ReadWrite);
    SetProfile(&store);
    CDataArchive archive;
    CCurrencyCategory currencies;
    int result = 0;
    if (!archive.Prepare() || !currencies.EnsureLoaded()) {
        error = LoadString(IDS_INIT_FAILED);
    } else {
        const ReferenceRatesStored stored = StoreReferenceRates(rates, currencies);
        report = "ECB reference rates of " + rates.date + ": " + std::to_string(stored.stored) + " stored, " +
                 std::to_string(stored.kept) + " kept (typed or newer)";
        result = 1;
    }
    SetProfile(nullptr);
    return result;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int kelvara_update_rates(const char* url, int idleTimeoutMs,
                                                                           char** report, char** error)
{
    std::string reportText;
    std::string errorText;
    const int ok = Update(url, idleTimeoutMs, reportText, errorText);
    *report = ok ? Copy(reportText) : nullptr;
    *error = ok ? nullptr : Copy(errorText);
    return ok;
}

extern "C" __attribute__((visibility("default"))) void kelvara_rates_free(char* memory)
{
    std::free(memory);
}
