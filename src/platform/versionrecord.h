#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// The fixed part of a version record, laid out and named like the 52-byte record of the Windows
// version resource, so the version words mean the same everywhere (the update check compares them).
struct FixedFileInfo {
    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};

inline constexpr std::size_t kFixedFileInfoSize = 52;
inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
inline constexpr std::uint32_t kFixedFileInfoStrucVersion = 0x00010000;
inline constexpr std::uint32_t kFileFlagsMask = 0x3F;
inline constexpr std::uint32_t kFileFlagPrerelease = 0x2;
inline constexpr std::uint32_t kFileTypeApp = 0x1;

// The translation of the program's own record: U.S. English, strings in UTF-8.
inline constexpr std::uint16_t kProgramLanguage = 0x0409;
inline constexpr std::uint16_t kProgramCodePage = 65001;

// A string value of the record ("CompanyName", "LegalCopyright", ...).
struct VersionStringValue {
    std::string_view name;
    std::string_view value;
};

// What a record is made from. The strings form one table, keyed by language and code page; the
// translation list names that table unless hasTranslation is false (records without one exist).
struct VersionInfoSource {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t flags = 0;
    bool hasTranslation = true;
    std::uint16_t language = kProgramLanguage;
    std::uint16_t codePage = kProgramCodePage;
    std::span<const VersionStringValue> strings;
};

// Record layout, all numbers little-endian:
//   begin marker (16 bytes), total size (u32, marker to end marker inclusive),
//   fixed record (13 x u32),
//   translation count (u16), then per entry language (u16) and code page (u16),
//   table count (u16), then per table language, code page, string count (u16 each) and per string
//   name length (u16), name bytes, value length (u16), value bytes,
//   end marker (16 bytes).
// The markers let a reader find the record among a program file's bytes without knowing the
// executable format.
inline constexpr std::array<unsigned char, 16> kVersionRecordBegin = {
    0x7F, 'K', 'E', 'L', 'V', 'A', 'R', 'A', '-', 'V', 'E', 'R', 'S', 'I', 'O', 'N'};
inline constexpr std::array<unsigned char, 16> kVersionRecordEnd = {0x7F, 'K', 'E', 'L', 'V', 'A', 'R', 'A',
                                                                    '-',  'V', 'E', 'R', 'E', 'N', 'D', 0};
// Larger claims are treated as damage, not as a record.
inline constexpr std::size_t kMaxVersionRecordSize = std::size_t{64} * 1024;

namespace detail {

template <typename Out> constexpr void Put16(Out& out, std::uint32_t v)
{
    out(static_cast<unsigned char>(v & 0xFF));
    out(static_cast<unsigned char>((v >> 8) & 0xFF));
}

template <typename Out> constexpr void Put32(Out& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Text longer than a u16 length can say is cut; record texts are short.
template <typename Out> constexpr void PutText(Out& out, std::string_view text)
{
    const std::size_t n = text.size() < 0xFFFF ? text.size() : 0xFFFF;
    Put16(out, static_cast<std::uint32_t>(n));
    for (std::size_t i = 0; i < n; ++i)
        out(static_cast<unsigned char>(text[i]));
}

constexpr std::uint32_t Pack(std::uint16_t high, std::uint16_t low)
{
    return (static_cast<std::uint32_t>(high) << 16) | low;
}

template <typename Out>
constexpr void WriteVersionRecord(const VersionInfoSource& src, std::uint32_t total, Out& out)
{
    for (unsigned char c : kVersionRecordBegin)
        out(c);
    Put32(out, total);
    Put32(out, kFixedFileInfoSignature);
    Put32(out, kFixedFileInfoStrucVersion);
    Put32(out, Pack(src.fileVersion[0], src.fileVersion[1]));
    Put32(out, Pack(src.fileVersion[2], src.fileVersion[3]));
    Put32(out, Pack(src.productVersion[0], src.productVersion[1]));
    Put32(out, Pack(src.productVersion[2], src.productVersion[3]));
    Put32(out, kFileFlagsMask);
    Put32(out, src.flags);
    Put32(out, 0); // operating system: none of the Windows values applies
    Put32(out, kFileTypeApp);
    Put32(out, 0); // subtype
    Put32(out, 0); // date, high
    Put32(out, 0); // date, low
    Put16(out, src.hasTranslation ? 1 : 0);
    if (src.hasTranslation) {
        Put16(out, src.language);
        Put16(out, src.codePage);
    }
    Put16(out, 1);
    Put16(out, src.language);
    Put16(out, src.codePage);
    Put16(out, static_cast<std::uint32_t>(src.strings.size()));
    for (const VersionStringValue& s : src.strings) {
        PutText(out, s.name);
        PutText(out, s.value);
    }
    for (unsigned char c : kVersionRecordEnd)
        out(c);
}

} // namespace detail

constexpr std::size_t VersionRecordSize(const VersionInfoSource& src)
{
    std::size_t n = 0;
    auto count = [&n](unsigned char) { ++n; };
    detail::WriteVersionRecord(src, 0, count);
    return n;
}

// The record as a constant, for the record compiled into the program.
template <std::size_t N>
constexpr std::array<unsigned char, N> EncodeVersionRecord(const VersionInfoSource& src)
{
    std::array<unsigned char, N> bytes{};
    std::size_t i = 0;
    auto put = [&](unsigned char c) { bytes[i++] = c; };
    detail::WriteVersionRecord(src, static_cast<std::uint32_t>(N), put);
    return bytes;
}

// The same record built at run time.
std::vector<unsigned char> EncodeVersionRecord(const VersionInfoSource& src);

// The record at the start of `bytes` (a prefix of them), or an empty span when they do not start
// with a complete, consistent record.
std::span<const unsigned char> ValidVersionRecord(std::span<const unsigned char> bytes);

// Looks a value up in a record as the Windows version API does: "\" gives the fixed record
// (52 bytes), "\VarFileInfo\Translation" the translation list (4 bytes per entry),
// "\StringFileInfo\llllcccc\Name" a string value (language and code page in hexadecimal).
// Names compare without regard to ASCII case. False when the record is not valid or lacks the value.
bool QueryVersionValue(std::span<const unsigned char> record, std::string_view subBlock,
                       std::span<const unsigned char>& value);

// Decodes the 52-byte fixed record; false when `bytes` is shorter.
bool ReadFixedFileInfo(std::span<const unsigned char> bytes, FixedFileInfo& info);

// The first valid record among the bytes of the regular file at `path` (the whole file is scanned
// in pieces, so a large program costs no more memory than a small one); empty when there is none
// or the file cannot be read.
std::vector<unsigned char> FindVersionRecordInFile(const std::string& path);

// The record compiled into this program (generated by the build from the project's version).
std::span<const unsigned char> ProgramVersionRecord();

// The About page's version line: string 7 "Version: %d.%02d (build %d.%d)" filled with the four
// file-version components, then " [BETA]" when the pre-release flag is set.
std::string FormatVersionLine(const FixedFileInfo& info);

} // namespace kelvara
