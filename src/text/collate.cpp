#include "text/collate.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>

namespace kelvara {

namespace {
// Decodes one UTF-8 character at `i` (advancing it); invalid bytes stand for themselves.
char32_t NextChar(std::string_view s, std::size_t& i)
{
    const auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80)
        return b;
    int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) > s.size())
        return b;
    char32_t c = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((cont & 0xC0) != 0x80)
            return b;
        c = (c << 6) | (cont & 0x3F);
    }
    i += static_cast<std::size_t>(extra);
    return c;
}

// Latin-1 letters folded to their plain lower-case letter; 0 for non-letters.
char32_t FoldLatin1(char32_t c)
{
    static constexpr char kFold[] =
        // U+00C0 .. U+00FF
        "aaaaaaaceeeeiiii"   // C0-CF
        "dnooooo\0ouuuuyts"  // D0-DF (D7 is the multiplication sign)
        "aaaaaaaceeeeiiii"   // E0-EF
        "dnooooo\0ouuuuyty"; // F0-FF (F7 is the division sign)
    if (c >= 0xC0 && c <= 0xFF)
        return static_cast<unsigned char>(kFold[c - 0xC0]);
    return 0;
}

struct Key {
    int klass;     // 0 symbol, 1 digit, 2 letter
    char32_t base; // case- and accent-folded
};

Key KeyOf(char32_t c)
{
    if (c >= '0' && c <= '9')
        return {1, c};
    if (c >= 'a' && c <= 'z')
        return {2, c};
    if (c >= 'A' && c <= 'Z')
        return {2, c - 'A' + 'a'};
    if (const char32_t f = FoldLatin1(c))
        return {2, f};
    // Other scripts' letters are not told apart from symbols here; they sort after every Latin
    // letter, by code point, which keeps them together.
    if (c >= 0x100 && c != 0xFFFD && !(c >= 0x2000 && c <= 0x2BFF))
        return {3, c};
    return {0, c};
}

int Compare(std::string_view a, std::string_view b, bool exact)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = NextChar(a, i);
        const char32_t cb = NextChar(b, j);
        if (exact) {
            if (ca != cb)
                return ca < cb ? -1 : 1;
            continue;
        }
        const Key ka = KeyOf(ca);
        const Key kb = KeyOf(cb);
        if (std::tie(ka.klass, ka.base) != std::tie(kb.klass, kb.base))
            return std::tie(ka.klass, ka.base) < std::tie(kb.klass, kb.base) ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

std::mutex g_collatorMutex;
std::shared_ptr<const icu::Collator> g_collator;

std::shared_ptr<const icu::Collator> CurrentCollator()
{
    const std::lock_guard lock(g_collatorMutex);
    return g_collator;
}

// A letter beyond Latin-1 folded as the list order sees it: lower case (full folding's simple
// form), and a letter with marks as its base letter ("ś" -> "s"; "ł" has no base and stays).
char32_t FoldOther(char32_t c)
{
    auto folded = static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    // Looked up once: typing into an open list folds every entry on each key.
    static const icu::Normalizer2* const nfd = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* instance = icu::Normalizer2::getNFDInstance(status);
        return U_SUCCESS(status) ? instance : nullptr;
    }();
    icu::UnicodeString decomposition;
    if (nfd && nfd->getDecomposition(static_cast<UChar32>(folded), decomposition) &&
        decomposition.length() > 0) {
        const UChar32 base = decomposition.char32At(0);
        if (u_isalpha(base))
            folded = static_cast<char32_t>(base);
    }
    return folded;
}

void AppendUtf8(std::string& out, char32_t c)
{
    char bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    UBool error = false;
    U8_APPEND(bytes, length, U8_MAX_LENGTH, static_cast<UChar32>(c), error);
    if (!error)
        out.append(bytes, static_cast<std::size_t>(length));
}
} // namespace

void SetCollationLanguage(const std::string& language)
{
    std::shared_ptr<const icu::Collator> collator;
    if (!language.empty()) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale locale(language.substr(0, language.find_first_of(".@")).c_str());
        std::unique_ptr<icu::Collator> made(icu::Collator::createInstance(locale, status));
        if (U_SUCCESS(status) && made)
            collator = std::move(made);
    }
    const std::lock_guard lock(g_collatorMutex);
    g_collator = std::move(collator);
}

int CompareDisplayText(std::string_view a, std::string_view b)
{
    if (const auto collator = CurrentCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult result =
            collator->compareUTF8(icu::StringPiece(a.data(), static_cast<std::int32_t>(a.size())),
                                  icu::StringPiece(b.data(), static_cast<std::int32_t>(b.size())), status);
        if (U_SUCCESS(status) && result != UCOL_EQUAL)
            return result == UCOL_LESS ? -1 : 1;
    }
    return CompareListText(a, b);
}

int CompareListText(std::string_view a, std::string_view b)
{
    if (const int primary = Compare(a, b, false))
        return primary;
    return Compare(a, b, true);
}

std::string FoldListText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        const char32_t c = NextChar(text, i);
        const Key key = KeyOf(c);
        if (key.klass == 2)
            out += static_cast<char>(key.base);
        else if (key.klass == 3)
            AppendUtf8(out, FoldOther(c));
        else
            out.append(text.substr(start, i - start));
    }
    return out;
}

std::string LowerFirstLetterOfWord(std::string_view text)
{
    if (text.empty())
        return {};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    UChar32 first = 0;
    U8_NEXT(bytes, i, length, first);
    const std::int32_t rest = i;
    UChar32 second = 0;
    if (i < length)
        U8_NEXT(bytes, i, length, second);
    if (first < 0 || !u_isupper(first) || !u_islower(second))
        return std::string(text);
    char lowered[U8_MAX_LENGTH];
    std::int32_t size = 0;
    UBool error = false;
    U8_APPEND(lowered, size, U8_MAX_LENGTH, u_tolower(first), error);
    if (error)
        return std::string(text);
    return std::string(lowered, static_cast<std::size_t>(size)) +
           std::string(text.substr(static_cast<std::size_t>(rest)));
}

} // namespace kelvara
