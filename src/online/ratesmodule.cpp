// The loadable reference-rate update of kelvara-cli (platform/ratesmodule.h).
#include "platform/ratesmodule.h"

#include "catalogue/catalogue.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "online/quietfetch.h"
#include "online/ratesupdate.h"
#include "online/referencerates.h"
#include "online/webaccess.h"
#include "online/xmlfile.h"
#include "platform/settingsprofilestore.h"
#include "text/strings.h"

#include <QCoreApplication>

#include <algorithm>
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

// Fetches every address the plan asks for, one after the other.
void FetchAll(kelvara::RatesUpdatePlan& plan, int idleTimeoutMs)
{
    // The network layer needs an application object and an event loop; the tool has neither.
    std::unique_ptr<QCoreApplication> application;
    static int argc = 1;
    static char name[] = "kelvara-cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);
    kelvara::SetWebAccess(&kelvara::NetworkWebAccess()); // linked into this module
    std::string url;
    while (plan.Next(url)) {
        kelvara::QuietFetch fetch;
        fetch.SetSizeLimit(static_cast<long long>(CXmlFile::kMaxSize));
        fetch.SetIdleTimeout(std::min(idleTimeoutMs, plan.TimeLeftMs()));
        fetch.SetDeadline(std::min(kelvara::QuietFetch::kDefaultDeadlineMs, plan.TimeLeftMs()));
        fetch.Run(QUrl(QString::fromUtf8(url.c_str())));
        const QByteArray& body = fetch.Body();
        plan.Fetched(fetch.IsOk(), std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
                     fetch.Error().toStdString());
    }
}

int Update(int idleTimeoutMs, std::string& report, std::string& error)
{
    using namespace kelvara;
    // The rates go where the program keeps them, for the catalogue's currencies, as it stores them;
    // the addresses come from the same settings.
    SettingsProfileStore store(SettingsProfileStore::Access::ReadWrite);
    SetProfile(&store);
    Catalogue catalogue;
    CCurrencyCategory* currencies = catalogue.LoadedCurrencies();
    int result = 0;
    if (!currencies) {
        error = LoadString(IDS_INIT_FAILED);
    } else {
        RatesUpdatePlan plan({true, true, RateRequest::User}, TodayIsoDate());
        FetchAll(plan, idleTimeoutMs);
        const RateUpdateResult stored = plan.Store(*currencies, store);
        for (const std::string& line : plan.Report(stored))
            report += line + "\n";
        result = plan.Failure(stored).empty() ? 1 : 0;
    }
    SetProfile(nullptr);
    return result;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int kelvara_update_all_rates(int idleTimeoutMs, char** report,
                                                                               char** error)
{
    std::string reportText;
    std::string errorText;
    const int ok = Update(idleTimeoutMs, reportText, errorText);
    *report = reportText.empty() ? nullptr : Copy(reportText);
    *error = errorText.empty() ? nullptr : Copy(errorText);
    return ok;
}

extern "C" __attribute__((visibility("default"))) void kelvara_rates_free(char* memory)
{
    std::free(memory);
}
