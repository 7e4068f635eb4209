#include "platform/versionrecord.h"

#include "text/formattext.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <system_error>

namespace kelvara {

namespace {

// Reads a record front to back; any read past the end turns it off for good.
class Reader {
public:
    explicit Reader(std::span<const unsigned char> bytes) : m_bytes(bytes) {}

    bool Ok() const { return m_ok; }
    std::size_t Position() const { return m_pos; }

    std::span<const unsigned char> Take(std::size_t n)
    {
        if (!m_ok || n > m_bytes.size() - m_pos) {
            m_ok = false;
            return {};
        }
        auto part = m_bytes.subspan(m_pos, n);
        m_pos += n;
        return part;
    }

    std::uint32_t U16()
    {
        auto b = Take(2);
        return m_ok ? static_cast<std::uint32_t>(b[0] | (b[1] << 8)) : 0;
    }

    std::uint32_t U32()
    {
        auto b = Take(4);
        return m_ok ? static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                          (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24)
                    : 0;
    }

    std::span<const unsigned char> Text() { return Take(U16()); }

private:
    std::span<const unsigned char> m_bytes;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

struct StringEntry {
    std::uint32_t language;
    std::uint32_t codePage;
    std::span<const unsigned char> name;
    std::span<const unsigned char> value;
};

struct ParsedRecord {
    std::span<const unsigned char> whole;
    std::span<const unsigned char> fixed;
    std::span<const unsigned char> translations;
    std::vector<StringEntry> strings;
};

bool Equal(std::span<const unsigned char> bytes, std::span<const unsigned char> expected)
{
    return std::equal(bytes.begin(), bytes.end(), expected.begin(), expected.end());
}

// Walks the whole record, so that a record that parses is consistent from marker to marker.
std::optional<ParsedRecord> Parse(std::span<const unsigned char> bytes)
{
    Reader r(bytes);
    if (!Equal(r.Take(kVersionRecordBegin.size()), kVersionRecordBegin))
        return std::nullopt;
    const std::uint32_t total = r.U32();
    if (!r.Ok() || total > kMaxVersionRecordSize || total > bytes.size())
        return std::nullopt;
    Reader body(bytes.first(total));
    body.Take(kVersionRecordBegin.size() + 4);

    ParsedRecord rec;
    rec.whole = bytes.first(total);
    rec.fixed = body.Take(kFixedFileInfoSize);
    const std::uint32_t translationCount = body.U16();
    rec.translations = body.Take(std::size_t{4} * translationCount);
    const std::uint32_t tableCount = body.U16();
    for (std::uint32_t t = 0; t < tableCount && body.Ok(); ++t) {
        const std::uint32_t language = body.U16();
        const std::uint32_t codePage = body.U16();
        const std::uint32_t count = body.U16();
        for (std::uint32_t i = 0; i < count && body.Ok(); ++i) {
            auto name = body.Text();
            auto value = body.Text();
            rec.strings.push_back({language, codePage, name, value});
        }
    }
    if (!Equal(body.Take(kVersionRecordEnd.size()), kVersionRecordEnd) || !body.Ok() ||
        body.Position() != total)
        return std::nullopt;
    return rec;
}

std::string_view AsText(std::span<const unsigned char> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

std::vector<unsigned char> EncodeVersionRecord(const VersionInfoSource& src)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(VersionRecordSize(src));
    auto put = [&bytes](unsigned char c) { bytes.push_back(c); };
    detail::WriteVersionRecord(src, static_cast<std::uint32_t>(VersionRecordSize(src)), put);
    return bytes;
}

std::span<const unsigned char> ValidVersionRecord(std::span<const unsigned char> bytes)
{
    auto rec = Parse(bytes);
    return rec ? rec->whole : std::span<const unsigned char>{};
}

bool QueryVersionValue(std::span<const unsigned char> record, std::string_view subBlock,
                       std::span<const unsigned char>& value)
{
    auto rec = Parse(record);
    if (!rec)
        return false;
    if (subBlock == "\\") {
        value = rec->fixed;
        return true;
    }
    if (EqualsNoCase(subBlock, "\\VarFileInfo\\Translation")) {
        if (rec->translations.empty())
            return false;
        value = rec->translations;
        return true;
    }
    constexpr std::string_view prefix = "\\StringFileInfo\\";
    if (!StartsWithNoCase(subBlock, prefix))
        return false;
    std::string_view rest = subBlock.substr(prefix.size());
    if (rest.size() < 10 || rest[8] != '\\')
        return false;
    for (const StringEntry& s : rec->strings) {
        char key[9];
        std::snprintf(key, sizeof key, "%04x%04x", static_cast<unsigned>(s.language),
                      static_cast<unsigned>(s.codePage));
        if (EqualsNoCase(rest.substr(0, 8), key) && EqualsNoCase(rest.substr(9), AsText(s.name))) {
            value = s.value;
            return true;
        }
    }
    return false;
}

bool ReadFixedFileInfo(std::span<const unsigned char> bytes, FixedFileInfo& info)
{
    if (bytes.size() < kFixedFileInfoSize)
        return false;
    Reader r(bytes);
    std::uint32_t* fields[] = {&info.dwSignature,     &info.dwStrucVersion,     &info.dwFileVersionMS,
                               &info.dwFileVersionLS, &info.dwProductVersionMS, &info.dwProductVersionLS,
                               &info.dwFileFlagsMask, &info.dwFileFlags,        &info.dwFileOS,
                               &info.dwFileType,      &info.dwFileSubtype,      &info.dwFileDateMS,
                               &info.dwFileDateLS};
    for (std::uint32_t* field : fields)
        *field = r.U32();
    return true;
}

std::vector<unsigned char> FindVersionRecordInFile(const std::string& path)
{
    // Only regular files: a device or pipe named here would never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};

    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const std::boyer_moore_horspool_searcher searcher(kVersionRecordBegin.begin(), kVersionRecordBegin.end());
    std::vector<unsigned char> buffer;
    bool atEnd = false;
    while (!atEnd) {
        const std::size_t kept = buffer.size();
        buffer.resize(kept + kChunk);
        in.read(reinterpret_cast<char*>(buffer.data() + kept), static_cast<std::streamsize>(kChunk));
        const auto got = static_cast<std::size_t>(in.gcount());
        buffer.resize(kept + got);
        atEnd = got < kChunk;

        // A marker that starts here can only be judged once a whole record's worth of bytes after it
        // has been read; later ones wait for the next piece.
        const std::size_t limit =
            atEnd ? buffer.size()
                  : (buffer.size() > kMaxVersionRecordSize ? buffer.size() - kMaxVersionRecordSize : 0);
        auto from = buffer.begin();
        while (true) {
            auto hit = std::search(from, buffer.end(), searcher);
            if (hit == buffer.end() || static_cast<std::size_t>(hit - buffer.begin()) >= limit)
                break;
            auto rest = std::span<const unsigned char>(buffer).subspan(
                static_cast<std::size_t>(hit - buffer.begin()));
            auto record = ValidVersionRecord(rest);
            if (!record.empty())
                return {record.begin(), record.end()};
            from = hit + 1;
        }
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(limit));
    }
    return {};
}

std::string FormatVersionLine(const FixedFileInfo& info)
{
    // The template comes from the string table: filled by the type-safe formatter, never printf.
    std::string result =
        FormatText(LoadString(IDS_VERSION_LINE), {info.dwFileVersionMS >> 16, info.dwFileVersionMS & 0xFFFF,
                                                  info.dwFileVersionLS >> 16, info.dwFileVersionLS & 0xFFFF});
    if (info.dwFileFlags & kFileFlagPrerelease)
        result += " [BETA]";
    return result;
}

} // namespace kelvara
