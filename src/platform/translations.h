#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// Takes the user's language from the environment as every program here does (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG) and binds our catalogue, and iso-codes' country and currency names, as UTF-8.
// `localeDir` holds <language>/LC_MESSAGES/kelvara.mo; empty means the folder the programs are
// installed with (share/locale beside bin, mirrored in the build tree). Returns the language of the
// catalogue now in use ("de", "fr"), empty when the texts stay English.
std::string InitTranslations(const std::string& localeDir = {});

// Whether `bytes` are a message catalogue the C library can read without reading past them: its
// header, every string table entry and the hash table lie within the bytes, and every string ends
// where its entry says. The C library trusts these offsets, so a truncated or damaged file in the
// catalogue folder would crash the program at its first text.
bool IsSoundMessageCatalogue(std::string_view bytes);

// The language of the catalogue in use, as InitTranslations returned it.
std::string CatalogueLanguage();

} // namespace kelvara
