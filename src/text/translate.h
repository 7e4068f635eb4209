#pragma once

#include <string>

namespace kelvara {

// Our message catalogue's domain ("kelvara.mo").
inline constexpr const char* kTextDomain = "kelvara";
// Debian iso-codes' catalogues of country and currency names.
inline constexpr const char* kCountryDomain = "iso_3166-1";
inline constexpr const char* kCurrencyDomain = "iso_4217";

// The text in the user's language for the English `text`, from our catalogue; `text` itself when
// the catalogue has none (or no catalogue is bound). The empty text stays empty.
const char* Translate(const char* text);
std::string Translate(const std::string& text);
// The same for a text whose meaning depends on where it stands: `context` tells a "pound" of
// weight from a "pound" of money, and a dialog's label from another's.
const char* Translate(const char* context, const char* text);
std::string Translate(const std::string& context, const std::string& text);
// A name from another catalogue (kCountryDomain, ...); `text` itself when it has none.
const char* TranslateFrom(const char* domain, const char* text);

// The language the texts are shown in, as the user's environment asks for it ("de", "pt_BR",
// "sv"), whether or not our catalogue has it (iso-codes may); empty for English. Set with the
// catalogue (InitTranslations); the lists sort and fold by it.
std::string TextLanguage();
void SetTextLanguage(std::string language);

// Every call of Translate since the last change of language gave the same answer; LoadString's
// cache and the like compare this number to know when to look again.
unsigned TranslationGeneration();
// Called when the language or the catalogue changes (once at start; tests change it more often).
void NoteTranslationChange();

} // namespace kelvara
