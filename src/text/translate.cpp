#include "text/translate.h"

#include "text/collate.h"

#include <atomic>
#include <cstring>
#include <libintl.h>
#include <mutex>
#include <utility>

namespace kelvara {

namespace {
std::atomic<unsigned> g_generation{1};
std::mutex g_languageMutex;
std::string g_language;

// gettext keys a text with a context as "context\x04text" (the convention msgfmt compiles).
const char* LookUpInContext(const char* domain, const char* context, const char* text, std::string& key)
{
    key.assign(context);
    key += '\x04';
    key += text;
    const char* found = ::dgettext(domain, key.c_str());
    return found == key.c_str() ? text : found;
}
} // namespace

const char* Translate(const char* text)
{
    return TranslateFrom(kTextDomain, text);
}

std::string Translate(const std::string& text)
{
    return Translate(text.c_str());
}

const char* Translate(const char* context, const char* text)
{
    if (!text || !*text)
        return text;
    if (!context || !*context)
        return Translate(text);
    thread_local std::string key;
    return LookUpInContext(kTextDomain, context, text, key);
}

std::string Translate(const std::string& context, const std::string& text)
{
    return Translate(context.c_str(), text.c_str());
}

const char* TranslateFrom(const char* domain, const char* text)
{
    // The empty text would give the catalogue's header.
    if (!text || !*text)
        return text;
    return ::dgettext(domain, text);
}

std::string TextLanguage()
{
    const std::lock_guard lock(g_languageMutex);
    return g_language;
}

void SetTextLanguage(std::string language)
{
    {
        const std::lock_guard lock(g_languageMutex);
        g_language = std::move(language);
    }
    SetCollationLanguage(TextLanguage());
    NoteTranslationChange();
}

unsigned TranslationGeneration()
{
    return g_generation.load(std::memory_order_acquire);
}

void NoteTranslationChange()
{
    g_generation.fetch_add(1, std::memory_order_acq_rel);
}

} // namespace kelvara
