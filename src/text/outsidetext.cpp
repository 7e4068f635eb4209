#include "text/outsidetext.h"

namespace kelvara {

namespace {
// The length of the UTF-8 sequence at `i`, or 0 when the bytes there are not one.
std::size_t SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no characters.
    if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    // C1 controls (U+0080 to U+009F) steer terminals as C0 ones do.
    if (code <= 0x9F)
        return 0;
    return length;
}
} // namespace

std::string OutsideText(std::string_view text, std::size_t max)
{
    std::string out;
    std::size_t characters = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (characters == max)
            return out + "...";
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = SequenceLength(text, i)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            // A C1 control is two bytes: one '?' for it.
            const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                            (static_cast<unsigned char>(text[i + 1]) & 0xC0u) == 0x80u;
            out += '?';
            i += c1 ? 2 : 1;
        }
        ++characters;
    }
    return out;
}

} // namespace kelvara
