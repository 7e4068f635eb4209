#include "platform/translations.h"

#include "platform/programpath.h"
#include "text/translate.h"

#include <clocale>
#include <cstring>
#include <libintl.h>

#ifndef KELVARA_LOCALE_DIR_FROM_BIN
#define KELVARA_LOCALE_DIR_FROM_BIN "../share/locale"
#endif

namespace kelvara {

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
    NoteTranslationChange();
    return CatalogueLanguage();
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
