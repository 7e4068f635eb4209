#include "platform/versionrecord.h"

#include "support/testenv.h"

#include "kelvara/version.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace kelvara {
namespace {

FixedFileInfo Version(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                      std::uint32_t flags = 0)
{
    FixedFileInfo info;
    info.dwFileVersionMS = (std::uint32_t{a} << 16) | b;
    info.dwFileVersionLS = (std::uint32_t{c} << 16) | d;
    info.dwFileFlags = flags;
    return info;
}

TEST(VersionLine, ComponentsFillTheTemplateWithTheSecondPaddedToTwoDigits)
{
    EXPECT_EQ(FormatVersionLine(Version(1, 5, 0, 0)), "Version: 1.05 (build 0.0)");
    EXPECT_EQ(FormatVersionLine(Version(1, 25, 67, 3)), "Version: 1.25 (build 67.3)");
    EXPECT_EQ(FormatVersionLine(Version(2, 100, 9, 10)), "Version: 2.100 (build 9.10)");
    // Components are 16-bit and unsigned: the top value must not turn negative.
    EXPECT_EQ(FormatVersionLine(Version(65535, 65535, 65535, 65535)),
              "Version: 65535.65535 (build 65535.65535)");
}

TEST(VersionLine, OnlyThePrereleaseFlagAddsBeta)
{
    EXPECT_EQ(FormatVersionLine(Version(1, 5, 0, 0, kFileFlagPrerelease)),
              "Version: 1.05 (build 0.0) [BETA]");
    EXPECT_EQ(FormatVersionLine(Version(3, 0, 1, 2, 0x3F)), "Version: 3.00 (build 1.2) [BETA]");
    EXPECT_EQ(FormatVersionLine(Version(3, 0, 1, 2, 0x1 | 0x4 | 0x8)), "Version: 3.00 (build 1.2)");
}

const VersionStringValue kStrings[] = {
    {"CompanyName", "Brask"},
    {"LegalCopyright", "Copyright \xC2\xA9 2026 Brask"},
    {"ProductName", "Kelvara"},
};

VersionInfoSource Source()
{
    VersionInfoSource src;
    src.fileVersion = {1, 25, 67, 3};
    src.productVersion = {1, 25, 0, 0};
    src.flags = kFileFlagPrerelease;
    src.strings = kStrings;
    return src;
}

std::string Text(std::span<const unsigned char> value)
{
    return {reinterpret_cast<const char*>(value.data()), value.size()};
}

TEST(VersionRecord, QueriesReturnWhatTheRecordWasBuiltFrom)
{
    const auto record = EncodeVersionRecord(Source());
    ASSERT_EQ(ValidVersionRecord(record).size(), record.size());

    std::span<const unsigned char> value;
    ASSERT_TRUE(QueryVersionValue(record, "\\", value));
    FixedFileInfo info;
    ASSERT_TRUE(ReadFixedFileInfo(value, info));
    EXPECT_EQ(info.dwSignature, kFixedFileInfoSignature);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010019u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00430003u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010019u);
    EXPECT_EQ(info.dwProductVersionLS, 0u);
    EXPECT_EQ(info.dwFileFlags, kFileFlagPrerelease);

    ASSERT_TRUE(QueryVersionValue(record, "\\VarFileInfo\\Translation", value));
    EXPECT_EQ(std::vector<unsigned char>(value.begin(), value.end()),
              (std::vector<unsigned char>{0x09, 0x04, 0xE9, 0xFD}));

    ASSERT_TRUE(QueryVersionValue(record, "\\StringFileInfo\\0409fde9\\LegalCopyright", value));
    EXPECT_EQ(Text(value), "Copyright \xC2\xA9 2026 Brask");
    ASSERT_TRUE(QueryVersionValue(record, "\\stringfileinfo\\0409FDE9\\companyname", value));
    EXPECT_EQ(Text(value), "Brask");

    EXPECT_FALSE(QueryVersionValue(record, "\\StringFileInfo\\0409fde9\\Comments", value));
    EXPECT_FALSE(QueryVersionValue(record, "\\StringFileInfo\\040904e4\\CompanyName", value));
    EXPECT_FALSE(QueryVersionValue(record, "\\StringFileInfo\\0409fde9", value));
    EXPECT_FALSE(QueryVersionValue(record, "\\StringFileInfo\\0409fde9\\", value));
}

TEST(VersionRecord, WithoutTranslationTheListIsAbsentButStringsRemain)
{
    auto src = Source();
    src.hasTranslation = false;
    src.codePage = 1252;
    const auto record = EncodeVersionRecord(src);
    std::span<const unsigned char> value;
    EXPECT_FALSE(QueryVersionValue(record, "\\VarFileInfo\\Translation", value));
    ASSERT_TRUE(QueryVersionValue(record, "\\StringFileInfo\\040904e4\\ProductName", value));
    EXPECT_EQ(Text(value), "Kelvara");
}

TEST(VersionRecord, CompileTimeAndRunTimeEncodingsAgree)
{
    static constexpr VersionStringValue strings[] = {{"ProductName", "Kelvara"}};
    static constexpr VersionInfoSource src{{1, 5, 0, 0}, {1, 5, 0, 0}, 0, true, 0x0409, 65001, strings};
    constexpr auto fixed = EncodeVersionRecord<VersionRecordSize(src)>(src);
    const auto runtime = EncodeVersionRecord(src);
    EXPECT_EQ(std::vector<unsigned char>(fixed.begin(), fixed.end()), runtime);
}

// Damaged bytes must be refused, never read past: every shortened copy and every single-byte
// change of a length field.
TEST(VersionRecord, TruncatedOrCorruptedRecordsAreRefused)
{
    const auto record = EncodeVersionRecord(Source());
    for (std::size_t n = 0; n < record.size(); ++n) {
        std::vector<unsigned char> cut(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(n));
        std::span<const unsigned char> value;
        EXPECT_TRUE(ValidVersionRecord(cut).empty()) << n;
        EXPECT_FALSE(QueryVersionValue(cut, "\\", value)) << n;
    }
    std::mt19937 random(7);
    for (std::size_t i = 16; i < record.size() - 16; ++i) {
        auto damaged = record;
        damaged[i] = static_cast<unsigned char>(damaged[i] ^ (1 + random() % 255));
        // Either still a consistent record (a changed text or number) or refused; never a read past
        // the end, which the sanitizer build would catch.
        auto valid = ValidVersionRecord(damaged);
        if (!valid.empty()) {
            EXPECT_EQ(valid.size(), record.size());
        }
    }
    auto oversized = record;
    oversized[16] = 0xFF;
    oversized[17] = 0xFF;
    oversized[18] = 0xFF;
    oversized[19] = 0x7F;
    EXPECT_TRUE(ValidVersionRecord(oversized).empty());
}

TEST(VersionRecord, TheProgramsRecordCarriesTheProjectVersion)
{
    const auto record = ProgramVersionRecord();
    ASSERT_FALSE(ValidVersionRecord(record).empty());
    std::span<const unsigned char> value;
    ASSERT_TRUE(QueryVersionValue(record, "\\", value));
    FixedFileInfo info;
    ASSERT_TRUE(ReadFixedFileInfo(value, info));
    EXPECT_EQ(info.dwFileVersionMS >> 16, unsigned{KELVARA_VERSION_MAJOR});
    EXPECT_EQ(info.dwFileVersionMS & 0xFFFF, unsigned{KELVARA_VERSION_MINOR});
    EXPECT_EQ(info.dwFileVersionLS >> 16, unsigned{KELVARA_VERSION_PATCH});
    EXPECT_EQ(info.dwFileVersionLS & 0xFFFF, unsigned{KELVARA_VERSION_TWEAK});
    EXPECT_EQ((info.dwFileFlags & kFileFlagPrerelease) != 0, KELVARA_PRERELEASE != 0);
    ASSERT_TRUE(QueryVersionValue(record, "\\StringFileInfo\\0409fde9\\LegalCopyright", value));
    EXPECT_EQ(Text(value), KELVARA_LEGAL_NOTICE);
    ASSERT_TRUE(QueryVersionValue(record, "\\StringFileInfo\\0409fde9\\CompanyName", value));
    EXPECT_EQ(Text(value), "Brask");
}

class RecordInFile : public testing::Test {
protected:
    std::string Write(const std::vector<unsigned char>& bytes)
    {
        const std::string path = test::TestRoot() + "/tmp/record-" + std::to_string(m_count++) + ".bin";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static std::vector<unsigned char> Noise(std::size_t n)
    {
        std::mt19937 random(42);
        std::vector<unsigned char> bytes(n);
        for (auto& b : bytes)
            b = static_cast<unsigned char>(random());
        return bytes;
    }

    int m_count = 0;
};

TEST_F(RecordInFile, FoundAtAnyOffsetPastDecoyMarkers)
{
    const auto record = EncodeVersionRecord(Source());
    auto bytes = Noise(5000);
    // A bare marker (as a reader's own search pattern would leave in a program) and a record cut short.
    bytes.insert(bytes.begin() + 100, kVersionRecordBegin.begin(), kVersionRecordBegin.end());
    bytes.insert(bytes.begin() + 300, record.begin(), record.begin() + 40);
    bytes.insert(bytes.begin() + 1001, record.begin(), record.end());
    EXPECT_EQ(FindVersionRecordInFile(Write(bytes)), record);
}

TEST_F(RecordInFile, FoundWhereverTheReadingPiecesSplitIt)
{
    const auto record = EncodeVersionRecord(Source());
    constexpr std::size_t piece = std::size_t{1} << 20;
    for (std::size_t offset :
         {piece - kMaxVersionRecordSize - 3, piece - 10, piece + 1, 3 * piece - record.size()}) {
        auto bytes = Noise(3 * piece);
        std::copy(record.begin(), record.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        EXPECT_EQ(FindVersionRecordInFile(Write(bytes)), record) << offset;
    }
}

TEST_F(RecordInFile, NoRecordNoFileOrNotARegularFile)
{
    EXPECT_TRUE(FindVersionRecordInFile(Write(Noise(100000))).empty());
    EXPECT_TRUE(FindVersionRecordInFile(Write({})).empty());
    EXPECT_TRUE(FindVersionRecordInFile(test::TestRoot() + "/missing").empty());
    EXPECT_TRUE(FindVersionRecordInFile(test::TestRoot()).empty());
    EXPECT_TRUE(FindVersionRecordInFile("/dev/zero").empty());
}

TEST_F(RecordInFile, ThisProgramsFileHoldsTheCompiledInRecord)
{
    const auto record = ProgramVersionRecord();
    EXPECT_EQ(FindVersionRecordInFile("/proc/self/exe"),
              std::vector<unsigned char>(record.begin(), record.end()));
}

} // namespace
} // namespace kelvara
