#include "platform/translations.h"

#include "platform/programpath.h"
#include "text/translate.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <libintl.h>

#ifndef KELVARA_LOCALE_DIR_FROM_BIN
#define KELVARA_LOCALE_DIR_FROM_BIN "../share/locale"
#endif

namespace kelvara {

namespace {
// The language the environment asks for, by gettext's rules: none under the C locale, else the
// first of LANGUAGE's list, else the messages locale's name; English is no language to translate to.
std::string AskedLanguage()
{
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    if (!locale || !std::strcmp(locale, "C") || !std::strcmp(locale, "POSIX"))
        return {};
    std::string language = locale;
    if (const char* list = std::getenv("LANGUAGE"); list && *list)
        language.assign(list, std::strcspn(list, ":"));
    language = language.substr(0, language.find_first_of(".@"));
    if (language.empty() || language == "C" || language == "POSIX" || language.rfind("en", 0) == 0)
        return {};
    return language;
}
} // namespace

std::string InitTranslations(const std::string& localeDir)
{
    // Messages only: numbers are read and written by the program's own rules, never by the C
    // library's, whatever LC_NUMERIC says. (A GUI's toolkit may set the rest; that is its affair.)
    std::setlocale(LC_MESSAGES, "");
    std::string folder = localeDir;
    if (folder.empty()) {
        const std::string program = ProgramDirectory();
        folder = (program.empty() ? std::string(".") : program) + "/" + KELVARA_LOCALE_DIR_FROM_BIN;
    }
    ::bindtextdomain(kTextDomain, folder.c_str());
    for (const char* domain : {kTextDomain, kCountryDomain, kCurrencyDomain})
        ::bind_textdomain_codeset(domain, "UTF-8");
    // A language our catalogue lacks still has iso-codes' country and currency names, and its own
    // order of the lists.
    const std::string catalogue = CatalogueLanguage();
    SetTextLanguage(catalogue.empty() ? AskedLanguage() : catalogue);
    return catalogue;
}

std::string CatalogueLanguage()
{
    // The catalogue's header (the translation of the empty text) names its language.
    const char* header = ::dgettext(kTextDomain, "");
    if (!header || !*header)
        return {};
    const char* field = std::strstr(header, "Language: ");
    if (!field)
        return {};
    field += std::strlen("Language: ");
    const char* end = std::strchr(field, '\n');
    return std::string(field, end ? end : field + std::strlen(field));
}

} // namespace kelvara
