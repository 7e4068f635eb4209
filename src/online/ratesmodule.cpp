// The loadable reference-rate update of kelvara-cli (platform/ratesmodule.h).
#include "platform/ratesmodule.h"

#include "catalogue/catalogue.h"
#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "online/quietfetch.h"
#include "online/ratesupdate.h"
#include "online/webaccess.h"
#include "platform/settingsprofilestore.h"
#include "text/strings.h"

#include <QCoreApplication>

#include <cstdlib>
#include <memory>
#include <string.h>
#include <string>

namespace {

// Fetches every address the plan asks for, one after the other.
void FetchAll(kelvara::RatesUpdatePlan& plan)
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
    while (plan.StartNext(fetch)) {
        fetch.Wait();
        plan.Fetched(fetch);
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
        RatesUpdatePlan plan({true, true, RateRequest::User, RatesUpdatePlan::kUpdateBudgetMs, idleTimeoutMs},
                             TodayIsoDate());
        FetchAll(plan);
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
    *report = reportText.empty() ? nullptr : ::strdup(reportText.c_str());
    *error = errorText.empty() ? nullptr : ::strdup(errorText.c_str());
    return ok;
}

extern "C" __attribute__((visibility("default"))) void kelvara_rates_free(char* memory)
{
    std::free(memory);
}
