#include "datencoder.h"

#include <cstdint>

namespace kelvara {

namespace {

void PutUnit(std::string& out, std::uint16_t unit)
{
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

void PutCodePoint(std::string& out, std::uint32_t cp)
{
    if (cp < 0x10000) {
        PutUnit(out, static_cast<std::uint16_t>(cp));
    } else {
        cp -= 0x10000;
        PutUnit(out, static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
        PutUnit(out, static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one strictly valid UTF-8 sequence at in[pos]; returns its length, 0 when invalid
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view in, std::size_t pos, std::uint32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[pos + i]); };
    const unsigned char lead = byte(0);
    std::size_t len = 0;
    std::uint32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2;
        cp = lead & 0x1Fu;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
        cp = lead & 0x0Fu;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
        cp = lead & 0x07u;
        min = 0x10000;
    } else {
        return 0;
    }
    if (pos + len > in.size())
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

bool EncodeDataFile(std::string_view in, std::string& out, std::string& error)
{
    out.clear();
    error.clear();
    if (in.substr(0, 3) == "\xEF\xBB\xBF")
        in.remove_prefix(3);

    std::string result("\xFF\xFE", 2);
    result.reserve(2 + in.size() * 2);
    std::size_t line = 1;
    std::size_t column = 1;
    bool lineOpen = false;
    const auto fail = [&](const char* what) {
        error = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
        return false;
    };

    for (std::size_t pos = 0; pos < in.size();) {
        const char c = in[pos];
        if (c == '\n' || (c == '\r' && pos + 1 < in.size() && in[pos + 1] == '\n')) {
            PutUnit(result, '\r');
            PutUnit(result, '\n');
            pos += c == '\n' ? 1 : 2;
            ++line;
            column = 1;
            lineOpen = false;
            continue;
        }
        // A lone CR would end a line for the reader while the file claims CR LF throughout.
        if (c == '\r')
            return fail("CR without LF");
        if (c == '\0')
            return fail("NUL character");
        std::uint32_t cp = 0;
        const std::size_t len = DecodeUtf8(in, pos, cp);
        if (len == 0)
            return fail("invalid UTF-8");
        PutCodePoint(result, cp);
        pos += len;
        ++column;
        lineOpen = true;
    }
    if (lineOpen) {
        PutUnit(result, '\r');
        PutUnit(result, '\n');
    }
    out = std::move(result);
    return true;
}

} // namespace kelvara
