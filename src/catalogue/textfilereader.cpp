#include "catalogue/textfilereader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
constexpr unsigned kCR = 0x0D;
constexpr unsigned kLF = 0x0A;
constexpr char16_t kReplacement = 0xFFFD;

// Writes `c` at `out` as UTF-8; returns the position after it.
char* PutUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// UTF-16 code units to UTF-8. Pairs become one character; a lone surrogate cannot be written and
// becomes U+FFFD; U+0000 ends the text.
void ToUtf8(const std::vector<char16_t>& units, std::string& text)
{
    // At most three bytes a unit (a pair of two units takes four).
    text.resize(units.size() * 3);
    char* const begin = text.data();
    char* out = begin;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u == 0)
            break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            const char32_t c =
                0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            out = PutUtf8(out, c);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out = PutUtf8(out, kReplacement);
        } else {
            out = PutUtf8(out, u);
        }
    }
    text.resize(static_cast<std::size_t>(out - begin));
}
} // namespace

CTextFileReader::CTextFileReader(const std::string& path)
{
    Open(path);
    DetectEncoding();
}

CTextFileReader::CTextFileReader(std::span<const std::uint8_t> bytes) : m_inMemory(true), m_memory(bytes)
{
    DetectEncoding();
}

std::size_t CTextFileReader::Fill()
{
    if (!m_inMemory)
        return Read(m_buffer, sizeof m_buffer);
    // Blocks of the same size as from a file, so that lines across a block's end read alike.
    const std::size_t n = std::min(m_memory.size(), sizeof m_buffer);
    if (n > 0)
        std::memcpy(m_buffer, m_memory.data(), n);
    m_memory = m_memory.subspan(n);
    return n;
}

void CTextFileReader::DetectEncoding()
{
    const unsigned char b1 = ReadByte();
    const unsigned char b2 = ReadByte();
    if (b1 == 0xFF && b2 == 0xFE) {
        m_encoding = TextEncoding::Utf16LittleEndian;
        return;
    }
    if (b1 == 0xFE && b2 == 0xFF) {
        m_encoding = TextEncoding::Utf16BigEndian;
        return;
    }
    if (b1 == 0xEF && b2 == 0xBB && ReadByte() == 0xBF) {
        m_encoding = TextEncoding::Utf8;
        return;
    }
    // No mark: start again at the first byte, which the probe read into the first block.
    m_encoding = TextEncoding::Ansi;
    m_position = -1;
    m_eof = m_bytesInBuffer == 0;
}

unsigned char CTextFileReader::ReadByte()
{
    if (m_pushedBack) {
        m_pushedBack = false;
        return m_pushedByte;
    }
    if (m_position == static_cast<std::int32_t>(sizeof m_buffer) - 1)
        m_bytesInBuffer = 0;
    if (m_bytesInBuffer == 0) {
        const std::size_t n = Fill();
        if (n == 0) {
            m_eof = true;
            return 0;
        }
        m_bytesInBuffer = static_cast<std::int32_t>(n);
        m_position = 0;
        return m_buffer[0];
    }
    if (m_position + 1 >= m_bytesInBuffer) {
        // A short block is the file's last.
        m_position = m_bytesInBuffer;
        m_eof = true;
        return 0;
    }
    return m_buffer[++m_position];
}

char16_t CTextFileReader::ReadChar()
{
    if (m_pushedBack) {
        m_pushedBack = false;
        return m_pushedChar;
    }
    switch (m_encoding) {
    case TextEncoding::Utf16BigEndian: {
        const unsigned hi = ReadByte();
        const unsigned lo = ReadByte();
        return static_cast<char16_t>((hi << 8) | lo);
    }
    case TextEncoding::Utf16LittleEndian: {
        const unsigned lo = ReadByte();
        const unsigned hi = ReadByte();
        return static_cast<char16_t>((hi << 8) | lo);
    }
    default: {
        const unsigned b = ReadByte();
        if ((b & 0x80) == 0)
            return static_cast<char16_t>(b);
        if ((b & 0xE0) == 0xC0) {
            const unsigned b2 = ReadByte();
            return static_cast<char16_t>(((b & 0x1F) << 6) | (b2 & 0x3F));
        }
        if ((b & 0xF0) == 0xE0) {
            const unsigned b2 = ReadByte();
            const unsigned b3 = ReadByte();
            return static_cast<char16_t>(((b & 0x0F) << 12) | ((b2 & 0x3F) << 6) | (b3 & 0x3F));
        }
        // A stray continuation byte or a longer sequence's lead byte.
        return kReplacement;
    }
    }
}

unsigned CTextFileReader::ReadUnit()
{
    return m_encoding == TextEncoding::Ansi ? ReadByte() : ReadChar();
}

inline unsigned CTextFileReader::NextUnit()
{
    // Within the block and with nothing pushed back, the unit is at hand: the same result as
    // ReadUnit, without its checks for every byte.
    if (!m_pushedBack && m_bytesInBuffer > 0) {
        const std::int32_t p = m_position;
        switch (m_encoding) {
        case TextEncoding::Ansi:
            if (p + 1 < m_bytesInBuffer)
                return m_buffer[++m_position];
            break;
        case TextEncoding::Utf16LittleEndian:
            if (p + 2 < m_bytesInBuffer) {
                m_position = p + 2;
                return static_cast<unsigned>(m_buffer[p + 1]) | (static_cast<unsigned>(m_buffer[p + 2]) << 8);
            }
            break;
        case TextEncoding::Utf16BigEndian:
            if (p + 2 < m_bytesInBuffer) {
                m_position = p + 2;
                return (static_cast<unsigned>(m_buffer[p + 1]) << 8) | static_cast<unsigned>(m_buffer[p + 2]);
            }
            break;
        case TextEncoding::Utf8:
            break;
        }
    }
    return ReadUnit();
}

void CTextFileReader::PushBack(unsigned unit)
{
    if (m_encoding == TextEncoding::Ansi)
        m_pushedByte = static_cast<unsigned char>(unit);
    else
        m_pushedChar = static_cast<char16_t>(unit);
    m_pushedBack = true;
}

bool CTextFileReader::ReadLine(std::string& line)
{
    if ((!IsOpen() && !m_inMemory) || m_eof)
        return false;

    unsigned c = NextUnit();
    // The ending of the previous line, whichever of CR LF, CR or LF it was.
    if (c == kCR) {
        c = NextUnit();
        if (c == kLF)
            c = NextUnit();
    } else if (c == kLF) {
        c = NextUnit();
    }

    // Kept between lines, so that their room is reused rather than allocated for every line.
    std::string& bytes = m_lineBytes;
    std::vector<char16_t>& units = m_lineUnits;
    bytes.clear();
    units.clear();
    while (c != kCR && c != kLF && !m_eof) {
        if (m_encoding == TextEncoding::Ansi)
            bytes += static_cast<char>(c);
        else
            units.push_back(static_cast<char16_t>(c));
        c = NextUnit();
    }
    PushBack(c);

    if (m_encoding == TextEncoding::Ansi)
        line.assign(bytes);
    else
        ToUtf8(units, line);
    return true;
}
