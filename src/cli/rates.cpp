#include "cli/rates.h"

#include "catalogue/currency.h"
#include "catalogue/currencycategory.h"
#include "platform/module.h"
#include "platform/programpath.h"
#include "platform/ratesmodule.h"
#include "text/formattext.h"
#include "text/strings.h"

#include <charconv>
#include <set>
#include <unistd.h>

namespace kelvara::cli {

namespace {

constexpr int kIdleTimeoutMs = 30000;

// The update's two entries, from the module beside the program (the build tree), else where an
// install puts it; null after saying what was tried in `tried`.
bool LoadRatesModule(KelvaraUpdateRatesFunction& update, KelvaraRatesFreeFunction& release,
                     std::string& tried)
{
    const std::string folder = ProgramDirectory();
    for (const std::string& candidate :
         {folder + "/" KELVARA_RATES_MODULE, folder + "/" KELVARA_FETCH_RELDIR "/" KELVARA_RATES_MODULE}) {
        tried += (tried.empty() ? "" : ", ") + candidate;
        if (::access(candidate.c_str(), R_OK) != 0)
            continue;
        std::string why;
        void* updateEntry = ModuleEntry(candidate, KELVARA_RATES_UPDATE_SYMBOL, why);
        void* releaseEntry = updateEntry ? ModuleEntry(candidate, KELVARA_RATES_FREE_SYMBOL, why) : nullptr;
        if (releaseEntry) {
            update = reinterpret_cast<KelvaraUpdateRatesFunction>(updateEntry);
            release = reinterpret_cast<KelvaraRatesFreeFunction>(releaseEntry);
            return true;
        }
        tried += " (" + why + ")";
    }
    return false;
}

int Update(std::FILE* out, std::FILE* err)
{
    std::string tried;
    KelvaraUpdateRatesFunction update = nullptr;
    KelvaraRatesFreeFunction release = nullptr;
    if (!LoadRatesModule(update, release, tried)) {
        std::fprintf(err, "kelvara-cli: %s\n%s\n", LoadString(IDS_RETRIEVE_FAILED).c_str(),
                     FormatText(LoadString(IDS_CLI_HELPER_NOT_LOADED), {tried}).c_str());
        return kExitLoadFailed;
    }
    char* report = nullptr;
    char* error = nullptr;
    const bool ok = update(kIdleTimeoutMs, &report, &error) == 1;
    // One line per source; a source that stored nothing says why, and the exit status says so too.
    if (report)
        std::fputs(report, out);
    if (error)
        std::fprintf(err, "kelvara-cli: %s\n", error);
    else if (!ok)
        std::fprintf(err, "kelvara-cli: %s\n", LoadString(IDS_CLI_NOT_EVERY_SOURCE).c_str());
    release(report);
    release(error);
    return ok ? kExitOk : kExitLoadFailed;
}

} // namespace

int RunRates(Commands& commands, const std::vector<std::string>& args, std::FILE* out, std::FILE* err)
{
    bool update = false;
    for (const std::string& arg : args) {
        if (arg == "--update") {
            update = true;
        } else {
            std::fprintf(err, "kelvara-cli: %s\n",
                         FormatText(LoadString(IDS_CLI_RATES_UNKNOWN_ARGUMENT), {arg}).c_str());
            return kExitUsage;
        }
    }
    // The update says what it did in one line; the list is the plain command's.
    if (update)
        return Update(out, err);
    int exitCode = kExitOk;
    auto* currencies =
        dynamic_cast<CCurrencyCategory*>(commands.FindLoadedCategory(LoadString(IDS_CURRENCY), exitCode));
    if (!currencies)
        return exitCode == kExitOk ? kExitLoadFailed : exitCode;
    // One line per code, sorted.
    std::set<std::string> codes;
    for (const auto& unit : currencies->GetUnits())
        if (const auto* currency = dynamic_cast<const CCurrency*>(unit.get());
            currency && !currency->GetCode().empty())
            codes.insert(currency->GetCode());
    for (const std::string& code : codes) {
        const CCurrency* currency = currencies->FindRateRow(code);
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
