#include "catalogue/textfilereader.h"
#include "support/fakelist.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using Lines = std::vector<std::string>;
using kelvara::test::Utf16LE;
using kelvara::test::WriteFile;

std::string TempPath(const std::string& name)
{
    return kelvara::test::TestRoot() + "/tmp/" + name;
}

Lines ReadAll(const std::string& content, TextEncoding* encoding = nullptr)
{
    const std::string path = TempPath("reader.txt");
    WriteFile(path, content);
    CTextFileReader reader(path);
    if (encoding)
        *encoding = reader.GetEncoding();
    Lines lines;
    std::string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    // Once at the end, the reader stays there and leaves the output alone.
    line = "untouched";
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "untouched");

    // The same bytes held in memory (a member of the built-in archive) read exactly alike.
    const std::vector<std::uint8_t> bytes(content.begin(), content.end());
    CTextFileReader memory{std::span<const std::uint8_t>(bytes)};
    EXPECT_EQ(memory.GetEncoding(), reader.GetEncoding());
    Lines fromMemory;
    while (memory.ReadLine(line))
        fromMemory.push_back(line);
    EXPECT_EQ(fromMemory, lines) << "read from memory";
    line = "untouched";
    EXPECT_FALSE(memory.ReadLine(line));
    EXPECT_EQ(line, "untouched");
    return lines;
}

std::string Utf16BE(const std::string& utf8)
{
    std::string le = Utf16LE(utf8, false);
    for (std::size_t i = 0; i + 1 < le.size(); i += 2)
        std::swap(le[i], le[i + 1]);
    return std::string("\xFE\xFF", 2) + le;
}

const std::string kSample = ";unit,value\r\n\"[JP] gô\",0.330579\r\n° Celsius (°C),1\r\n";
const Lines kSampleLines = {";unit,value", "\"[JP] gô\",0.330579", "° Celsius (°C),1", ""};

TEST(TextFileReader, EveryEncodingYieldsTheSameLines)
{
    TextEncoding encoding{};
    EXPECT_EQ(ReadAll(Utf16LE(kSample), &encoding), kSampleLines);
    EXPECT_EQ(encoding, TextEncoding::Utf16LittleEndian);
    EXPECT_EQ(ReadAll(Utf16BE(kSample), &encoding), kSampleLines);
    EXPECT_EQ(encoding, TextEncoding::Utf16BigEndian);
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + kSample, &encoding), kSampleLines);
    EXPECT_EQ(encoding, TextEncoding::Utf8);
    // Without a mark the bytes come back as they stand.
    EXPECT_EQ(ReadAll(kSample, &encoding), kSampleLines);
    EXPECT_EQ(encoding, TextEncoding::Ansi);
}

TEST(TextFileReader, IncompleteMarksAreReadAsPlainBytes)
{
    EXPECT_EQ(ReadAll("\xEF\xBBx"), Lines{"\xEF\xBBx"});
    EXPECT_EQ(ReadAll("\xEF\xBB"), Lines{"\xEF\xBB"});
    EXPECT_EQ(ReadAll("\xFF"), Lines{"\xFF"});
}

TEST(TextFileReader, ShortFiles)
{
    EXPECT_EQ(ReadAll("A"), Lines{"A"});
    EXPECT_EQ(ReadAll(""), Lines{});
    // A mark alone, or one line ending alone, ends in the final empty line.
    EXPECT_EQ(ReadAll(std::string("\xFF\xFE", 2)), Lines{""});
    EXPECT_EQ(ReadAll("\n"), Lines{""});
}

TEST(TextFileReader, MixedLineEndings)
{
    EXPECT_EQ(ReadAll("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(ReadAll("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ReadAll("a\n\nb\n"), (Lines{"a", "", "b", ""}));
    // A leading line ending is taken as the end of a line before the file began.
    EXPECT_EQ(ReadAll("\r\nx"), Lines{"x"});
    EXPECT_EQ(ReadAll(Utf16LE("a\rb\nc\r\n")), (Lines{"a", "b", "c", ""}));
}

TEST(TextFileReader, Utf8FollowsTheThreeByteRuleAndReplacesEverythingElse)
{
    // A stray continuation byte and a four-byte sequence become U+FFFD per byte.
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF"
                      "a\x80z"),
              Lines{"a\xEF\xBF\xBDz"});
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF"
                      "\xF0\x9F\x98\x80"),
              Lines{"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"});
    // Continuation bytes are not checked: their top bits are dropped.
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF"
                      "\xC3\x29"),
              Lines{"\xC3\xA9"});
}

TEST(TextFileReader, Utf16PairsAndNulls)
{
    // A surrogate pair becomes one character; a lone surrogate cannot be written.
    EXPECT_EQ(ReadAll(Utf16LE("\xF0\x9F\x98\x80")), Lines{"\xF0\x9F\x98\x80"});
    EXPECT_EQ(ReadAll(std::string("\xFF\xFE\x00\xD8x\x00", 6)), Lines{"\xEF\xBF\xBDx"});
    // U+0000 ends the text of its line.
    EXPECT_EQ(ReadAll(std::string("\xFF\xFE"
                                  "a\x00\x00\x00"
                                  "b\x00",
                                  8)),
              Lines{"a"});
    // An odd trailing byte does not become a character.
    EXPECT_EQ(ReadAll(std::string("\xFF\xFE"
                                  "a\x00"
                                  "b",
                                  5)),
              Lines{"a"});
}

TEST(TextFileReader, LinesSpanningBlockBoundaries)
{
    // Lines longer than a block and endings split across blocks.
    std::string content;
    Lines expected;
    for (int i = 0; i < 300; ++i) {
        std::string line(static_cast<std::size_t>(i * 37 % 5000 + 1), static_cast<char>('a' + i % 26));
        content += line + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
        expected.push_back(line);
    }
    expected.push_back("");
    EXPECT_TRUE(ReadAll(content) == expected);

    std::string u8;
    for (const auto& l : expected)
        u8 += l + "\r\n";
    u8.resize(u8.size() - 2);
    EXPECT_TRUE(ReadAll(Utf16LE(u8)) == expected);
}

TEST(TextFileReader, OpenFailuresThrowTheCauseAndPath)
{
    const std::string missing = TempPath("does-not-exist.dat");
    try {
        CTextFileReader reader(missing);
        FAIL() << "opened a missing file";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
        EXPECT_EQ(e.m_lOsError, ENOENT);
        EXPECT_EQ(e.m_strFileName, missing);
    }
    try {
        CTextFileReader reader(kelvara::test::TestRoot());
        FAIL() << "opened a directory";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    }
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(CTextFileReader{fifo}, CFileException);
}

} // namespace
