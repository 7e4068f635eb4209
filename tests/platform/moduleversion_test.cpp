#include "platform/moduleversion.h"

#include "support/testenv.h"

#include "kelvara/version.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using kelvara::VersionInfoSource;
using kelvara::VersionStringValue;

const VersionStringValue kStrings[] = {
    {"CompanyName", "Brask"},
    {"LegalCopyright", "Copyright (C) 1999 Somebody Else"},
};

std::string WriteProgramLike(const std::vector<unsigned char>& record, const std::string& name)
{
    const std::string path = kelvara::test::TestRoot() + "/tmp/" + name;
    std::ofstream out(path, std::ios::binary);
    const std::string head(4096, '\x7f');
    out << head;
    out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
    out << head;
    return path;
}

std::string WriteRecord(const VersionInfoSource& src, const std::string& name)
{
    return WriteProgramLike(kelvara::EncodeVersionRecord(src), name);
}

TEST(ModuleVersion, TheRunningProgramsRecord)
{
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromModule());
    EXPECT_EQ(version.dwSignature, kelvara::kFixedFileInfoSignature);
    EXPECT_EQ(version.dwFileVersionMS, (unsigned{KELVARA_VERSION_MAJOR} << 16) | KELVARA_VERSION_MINOR);
    EXPECT_EQ(version.dwFileVersionLS, (unsigned{KELVARA_VERSION_PATCH} << 16) | KELVARA_VERSION_TWEAK);
    EXPECT_EQ(version.GetStringValue("CompanyName"), "Brask");
    EXPECT_EQ(version.GetStringValue("ProductName"), "Kelvara");
    EXPECT_EQ(version.GetStringValue("LegalCopyright"), KELVARA_LEGAL_NOTICE);
    EXPECT_EQ(version.GetStringValue("FileVersion"), version.GetStringValue("ProductVersion"));
    EXPECT_EQ(version.GetStringValue("NoSuchValue"), "");

    // The same record as another reader finds it in the program file.
    CModuleVersion fromFile;
    ASSERT_TRUE(fromFile.LoadFromFile("/proc/self/exe"));
    EXPECT_EQ(fromFile.dwFileVersionMS, version.dwFileVersionMS);
    EXPECT_EQ(fromFile.dwFileVersionLS, version.dwFileVersionLS);
    EXPECT_EQ(fromFile.dwFileFlags, version.dwFileFlags);
    EXPECT_EQ(fromFile.GetStringValue("LegalCopyright"), KELVARA_LEGAL_NOTICE);

    EXPECT_EQ(kelvara::FormatVersionLine(version).ends_with(" [BETA]"), KELVARA_PRERELEASE != 0);
}

TEST(ModuleVersion, AnotherBuildsRecordIsReadFromItsFile)
{
    VersionInfoSource src;
    src.fileVersion = {2, 7, 1, 9};
    src.flags = kelvara::kFileFlagPrerelease;
    src.strings = kStrings;
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromFile(WriteRecord(src, "other-build")));
    EXPECT_EQ(kelvara::FormatVersionLine(version), "Version: 2.07 (build 1.9) [BETA]");
    EXPECT_EQ(version.GetStringValue("LegalCopyright"), "Copyright (C) 1999 Somebody Else");
    EXPECT_EQ(version.Language(), 0x0409);
    EXPECT_EQ(version.CodePage(), 65001);
}

TEST(ModuleVersion, WithoutTranslationListStringsAreLookedUpInCodePage1252)
{
    VersionInfoSource src;
    src.hasTranslation = false;
    src.codePage = 1252;
    src.strings = kStrings;
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromFile(WriteRecord(src, "no-translation-1252")));
    EXPECT_EQ(version.CodePage(), 1252);
    EXPECT_EQ(version.GetStringValue("CompanyName"), "Brask");

    // Strings filed under another code page are then out of reach, and nothing of the record read
    // before carries over.
    src.codePage = 1200;
    ASSERT_TRUE(version.LoadFromFile(WriteRecord(src, "no-translation-1200")));
    EXPECT_EQ(version.CodePage(), 1252);
    EXPECT_EQ(version.GetStringValue("CompanyName"), "");
}

TEST(ModuleVersion, NothingToReadLeavesNothingBehind)
{
    VersionInfoSource src;
    src.fileVersion = {1, 5, 0, 0};
    src.strings = kStrings;
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromFile(WriteRecord(src, "good")));

    EXPECT_FALSE(version.LoadFromFile(kelvara::test::TestRoot() + "/no-such-file"));
    EXPECT_EQ(version.dwSignature, 0u);
    EXPECT_EQ(version.dwFileVersionMS, 0u);
    EXPECT_EQ(version.GetStringValue("CompanyName"), "");

    EXPECT_FALSE(version.LoadFromFile(WriteProgramLike({}, "no-record")));
    EXPECT_EQ(version.GetStringValue("CompanyName"), "");

    CModuleVersion fresh;
    EXPECT_EQ(fresh.GetStringValue("CompanyName"), "");
}

TEST(ModuleVersion, AWrongSignatureIsNotAVersion)
{
    VersionInfoSource src;
    src.strings = kStrings;
    auto record = kelvara::EncodeVersionRecord(src);
    record[20] ^= 0xFF; // first byte of the fixed record's signature
    CModuleVersion version;
    EXPECT_FALSE(version.LoadFromFile(WriteProgramLike(record, "bad-signature")));
}

TEST(ModuleVersion, NamedModulesMustBeLoaded)
{
    CModuleVersion version;
    EXPECT_FALSE(version.LoadFromModule("libkelvara-not-loaded.so"));
    // Loaded, but not one of ours: no record in it.
    EXPECT_FALSE(version.LoadFromModule("libc.so.6"));
    EXPECT_TRUE(version.LoadFromModule(""));
}

} // namespace
