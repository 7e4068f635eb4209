#include "platform/translations.h"

#include "platform/programpath.h"
#include "platform/smallfile.h"
#include "text/translate.h"

#include <libintl.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifndef KELVARA_LOCALE_DIR_FROM_BIN
#define KELVARA_LOCALE_DIR_FROM_BIN "../share/locale"
#endif

namespace kelvara {

namespace {
// A catalogue larger than this is no catalogue of ours (ours are about 100 KB).
constexpr std::size_t kMaxCatalogueBytes = 16u << 20;

std::uint32_t Word(std::string_view bytes, std::size_t at, bool swapped)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[at + (swapped ? i : 3 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

// The languages the environment asks for, by gettext's rules: none under the C locale, else
// LANGUAGE's list, else the messages locale's name.
std::vector<std::string> AskedLanguages()
{
    std::vector<std::string> names;
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    if (!locale || !std::strcmp(locale, "C") || !std::strcmp(locale, "POSIX"))
        return names;
    std::string list = locale;
    if (const char* language = std::getenv("LANGUAGE"); language && *language)
        list = language;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// Whether every catalogue of ours the C library might load from `folder` is sound: each language
// asked for, in every spelling the library tries ("ru_RU.UTF-8@x" down to "ru").
bool CataloguesAreSound(const std::string& folder)
{
    for (const std::string& name : AskedLanguages()) {
        const std::size_t at = name.find('@');
        const std::string modifier = at == std::string::npos ? "" : name.substr(at);
        const std::string base = name.substr(0, at);
        const std::size_t dot = base.find('.');
        const std::string codeset = dot == std::string::npos ? "" : base.substr(dot);
        const std::string withTerritory = base.substr(0, dot);
        const std::string language = withTerritory.substr(0, withTerritory.find('_'));
        for (const std::string& head : {withTerritory, language})
            for (const std::string& mid : {codeset, std::string(".utf8"), std::string()})
                for (const std::string& tail : {modifier, std::string()}) {
                    const std::string path =
                        folder + "/" + head + mid + tail + "/LC_MESSAGES/" + kTextDomain + ".mo";
                    std::string bytes;
                    if (::access(path.c_str(), F_OK) != 0)
                        continue;
                    if (!ReadSmallFile(path, bytes, kMaxCatalogueBytes) || !IsSoundMessageCatalogue(bytes))
                        return false;
                }
    }
    return true;
}

// The first language asked for, without codeset or modifier; English is no language to translate to.
std::string AskedLanguage()
{
    const std::vector<std::string> asked = AskedLanguages();
    const std::string language =
        asked.empty() ? "" : asked.front().substr(0, asked.front().find_first_of(".@"));
    if (language == "C" || language == "POSIX" || language.rfind("en", 0) == 0)
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
    // A damaged catalogue would crash the C library; then the texts stay English.
    if (!CataloguesAreSound(folder))
        folder += "/.damaged-catalogue";
    ::bindtextdomain(kTextDomain, folder.c_str());
    for (const char* domain : {kTextDomain, kCountryDomain, kCurrencyDomain})
        ::bind_textdomain_codeset(domain, "UTF-8");
    // A language our catalogue lacks still has iso-codes' country and currency names, and its own
    // order of the lists.
    const std::string catalogue = CatalogueLanguage();
    SetTextLanguage(catalogue.empty() ? AskedLanguage() : catalogue);
    return catalogue;
}

bool IsSoundMessageCatalogue(std::string_view bytes)
{
    constexpr std::uint32_t kMagic = 0x950412DE;
    constexpr std::size_t kHeaderBytes = 28;
    if (bytes.size() < kHeaderBytes)
        return false;
    const bool swapped = Word(bytes, 0, false) != kMagic;
    if (Word(bytes, 0, swapped) != kMagic)
        return false;
    // Revision 0, or 1 without the system-dependent strings the C library would also read.
    const std::uint32_t revision = Word(bytes, 4, swapped);
    if (revision > 1)
        return false;
    if (revision == 1 &&
        (bytes.size() < 48 || Word(bytes, 28, swapped) != 0 || Word(bytes, 36, swapped) != 0))
        return false;
    const std::uint64_t count = Word(bytes, 8, swapped);
    const std::uint64_t size = bytes.size();
    const auto tableFits = [&](std::uint64_t offset, std::uint64_t entries, std::uint64_t width) {
        return offset % 4 == 0 && offset <= size && entries * width <= size - offset;
    };
    const auto stringsFit = [&](std::uint64_t table) {
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t length = Word(bytes, table + 8 * i, swapped);
            const std::uint64_t offset = Word(bytes, table + 8 * i + 4, swapped);
            if (offset > size || length >= size - offset || bytes[offset + length] != '\0')
                return false;
        }
        return true;
    };
    const std::uint64_t originals = Word(bytes, 12, swapped);
    const std::uint64_t translations = Word(bytes, 16, swapped);
    const std::uint64_t hashSize = Word(bytes, 20, swapped);
    const std::uint64_t hashOffset = Word(bytes, 24, swapped);
    if (!tableFits(originals, count, 8) || !tableFits(translations, count, 8) || !stringsFit(originals) ||
        !stringsFit(translations))
        return false;
    // The C library looks a text up by the hash table only when it has more than two slots.
    if (hashSize <= 2)
        return true;
    if (!tableFits(hashOffset, hashSize, 4))
        return false;
    // The hash table names entries by number plus one; the C library follows them unchecked.
    for (std::uint64_t i = 0; i < hashSize; ++i)
        if (Word(bytes, hashOffset + 4 * i, swapped) > count)
            return false;
    return true;
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
