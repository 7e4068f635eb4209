#include "cli/rates.h"

#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "online/fetchmodule.h"
#include "online/referencerates.h"
#include "online/xmlfile.h"
#include "platform/profilestore.h"
#include "platform/serviceaddress.h"
#include "text/formattext.h"
#include "text/strings.h"

#ifdef KELVARA_CLI_SETTINGS
#include "cli/storedsettings.h"
#endif

#include <charconv>
#include <dlfcn.h>
#include <limits.h>
#include <map>
#include <unistd.h>

namespace kelvara::cli {

namespace {

constexpr int kIdleTimeoutMs = 30000;

// The folder of this program, from the kernel's link to it.
std::string ProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    std::string folder(path, static_cast<std::size_t>(n));
    const auto slash = folder.rfind('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

// Loads the network helper: beside the program (the build tree), else where an install puts it.
// Only ever by full path, never through the library search path.
void* LoadFetchModule(std::string& tried)
{
    const std::string folder = ProgramFolder();
    for (const std::string& candidate :
         {folder + "/" KELVARA_FETCH_MODULE, folder + "/" KELVARA_FETCH_RELDIR "/" KELVARA_FETCH_MODULE}) {
        tried += (tried.empty() ? "" : ", ") + candidate;
        if (::access(candidate.c_str(), R_OK) != 0)
            continue;
        if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
        tried += std::string(" (") + ::dlerror() + ")";
    }
    return nullptr;
}

bool Fetch(const std::string& url, std::string& body, std::string& error)
{
    std::string tried;
    void* module = LoadFetchModule(tried);
    if (!module) {
        error = "the network helper could not be loaded (" + tried + ")";
        return false;
    }
    // The module stays loaded: the Qt libraries it brings do not take being unloaded.
    auto fetch = reinterpret_cast<KelvaraFetchFunction>(::dlsym(module, KELVARA_FETCH_SYMBOL));
    auto release = reinterpret_cast<KelvaraFetchFreeFunction>(::dlsym(module, KELVARA_FETCH_FREE_SYMBOL));
    if (!fetch || !release) {
        error = "the network helper is not the one this program needs";
        return false;
    }
    char* data = nullptr;
    char* text = nullptr;
    unsigned long long size = 0;
    const bool ok = fetch(url.c_str(), static_cast<long long>(CXmlFile::kMaxSize), kIdleTimeoutMs, &data,
                          &size, &text) == 1;
    if (ok)
        body.assign(data, static_cast<std::size_t>(size));
    else
        error = text ? text : "the transfer failed";
    release(data);
    release(text);
    return ok;
}

int Update(CCurrencyCategory& currencies, std::FILE* out, std::FILE* err)
{
    const std::string url = ReferenceRatesAddress();
    std::string body;
    std::string error;
    if (!Fetch(url, body, error)) {
        std::fprintf(err, "kelvara-cli: %s\n%s\n", LoadString(IDS_RETRIEVE_FAILED).c_str(), error.c_str());
        return kExitLoadFailed;
    }
    ReferenceRates rates;
    if (!ParseReferenceRates(body, TodayIsoDate(), rates, error)) {
        std::fprintf(err, "kelvara-cli: %s\n", FormatText(LoadString(IDS_RATES_UNREADABLE), {error}).c_str());
        return kExitLoadFailed;
    }
#ifdef KELVARA_CLI_SETTINGS
    // The one command that writes the program's settings, and only the rates.
    StoredSettings store(err, true);
    if (!store.Load())
        return kExitLoadFailed;
    ProfileStore& previous = Profile();
    SetProfile(&store);
    const ReferenceRatesStored stored = StoreReferenceRates(rates, currencies);
    currencies.ReloadStoredRates();
    SetProfile(&previous == &store ? nullptr : &previous);
    std::fprintf(out, "ECB reference rates of %s: %d stored, %d kept (typed or newer)\n", rates.date.c_str(),
                 stored.stored, stored.kept);
    return kExitOk;
#else
    (void)currencies;
    (void)out;
    std::fprintf(err, "kelvara-cli: this build has no settings store to keep rates in\n");
    return kExitLoadFailed;
#endif
}

} // namespace

int RunRates(Commands& commands, const std::vector<std::string>& args, std::FILE* out, std::FILE* err)
{
    bool update = false;
    for (const std::string& arg : args) {
        if (arg == "--update") {
            update = true;
        } else {
            std::fprintf(err, "kelvara-cli: unknown argument '%s'; usage: rates [--update]\n", arg.c_str());
            return kExitUsage;
        }
    }
    int exitCode = kExitOk;
    auto* currencies =
        dynamic_cast<CCurrencyCategory*>(commands.FindLoadedCategory(LoadString(IDS_CURRENCY), exitCode));
    if (!currencies)
        return exitCode == kExitOk ? kExitLoadFailed : exitCode;
    // The update says what it did in one line; the list is the plain command's.
    if (update)
        return Update(*currencies, out, err);
    // One line per code: a floating row's rate (they share it), else the fixed one.
    std::map<std::string, const CCurrency*> byCode;
    for (const auto& unit : currencies->GetUnits()) {
        const auto* currency = dynamic_cast<const CCurrency*>(unit.get());
        if (!currency || currency->GetCode().empty())
            continue;
        auto [it, added] = byCode.emplace(currency->GetCode(), currency);
        if (!added && it->second->IsFixed() && !currency->IsFixed())
            it->second = currency;
    }
    for (const auto& [code, currency] : byCode) {
        const std::string date = currency->GetRateDate().empty() ? "-" : currency->GetRateDate();
        // The shortest text that reads back as the same number, for scripts.
        char rate[64];
        const auto end = std::to_chars(rate, rate + sizeof rate - 1, currency->GetValue()).ptr;
        *end = '\0';
        std::fprintf(out, "%s\t%s\t%s\t%s\n", code.c_str(), rate, date.c_str(),
                     currency->GetRateSource().c_str());
    }
    return kExitOk;
}

} // namespace kelvara::cli
