#include "datencoder.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using kelvara::EncodeDataFile;

// UTF-16LE bytes of an ASCII or BMP text given as char16_t.
std::string Utf16(std::u16string_view text)
{
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

const std::string kMark("\xFF\xFE", 2);

std::string Encode(std::string_view in)
{
    std::string out;
    std::string error;
    EXPECT_TRUE(EncodeDataFile(in, out, error)) << error;
    return out;
}

std::string Rejection(std::string_view in)
{
    std::string out = "stale";
    std::string error;
    EXPECT_FALSE(EncodeDataFile(in, out, error));
    EXPECT_TRUE(out.empty());
    return error;
}

TEST(EncodeDataFile, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(Encode("a\nb\n"), kMark + Utf16(u"a\r\nb\r\n"));
    EXPECT_EQ(Encode("a\r\nb"), kMark + Utf16(u"a\r\nb\r\n")) << "CR LF input, unterminated last line";
    EXPECT_EQ(Encode("a\n\n;x\r\n"), kMark + Utf16(u"a\r\n\r\n;x\r\n")) << "blank lines stay";
    EXPECT_EQ(Encode(""), kMark);
    EXPECT_EQ(Encode("\xEF\xBB\xBF;x\n"), kMark + Utf16(u";x\r\n")) << "a UTF-8 mark is not carried over";
}

TEST(EncodeDataFile, CarriesEveryCharacter)
{
    EXPECT_EQ(Encode("° µ² Å ô ångström (Å)\n"), kMark + Utf16(u"° µ² Å ô ångström (Å)\r\n"));
    EXPECT_EQ(Encode("\xE2\x82\xAC"), kMark + Utf16(u"\u20AC\r\n"));
    // Beyond the BMP: a surrogate pair.
    EXPECT_EQ(Encode("\xF0\x9F\x98\x80"), kMark + Utf16(u"\xD83D\xDE00\r\n"));
}

TEST(EncodeDataFile, RejectsMalformedTextNamingWhere)
{
    EXPECT_EQ(Rejection("ok\nab\xFF"), "line 2, column 3: invalid UTF-8");
    EXPECT_EQ(Rejection("\x80"), "line 1, column 1: invalid UTF-8") << "stray continuation byte";
    EXPECT_EQ(Rejection("x\xC3"), "line 1, column 2: invalid UTF-8") << "truncated at the end";
    EXPECT_EQ(Rejection("\xC3(b"), "line 1, column 1: invalid UTF-8") << "missing continuation";
    EXPECT_EQ(Rejection("\xC0\xAF"), "line 1, column 1: invalid UTF-8") << "overlong";
    EXPECT_EQ(Rejection("\xE0\x80\xAF"), "line 1, column 1: invalid UTF-8") << "overlong";
    EXPECT_EQ(Rejection("\xED\xA0\x80"), "line 1, column 1: invalid UTF-8") << "surrogate";
    EXPECT_EQ(Rejection("\xF4\x90\x80\x80"), "line 1, column 1: invalid UTF-8") << "beyond U+10FFFF";
    EXPECT_EQ(Rejection("a\rb\n"), "line 1, column 2: CR without LF");
    EXPECT_EQ(Rejection(std::string("a\0b", 3)), "line 1, column 2: NUL character");
}

struct MkdatRun {
    int status;
    std::string output;
};

MkdatRun RunMkdat(const std::string& in, const std::string& out)
{
    const std::string command = "'" KELVARA_MKDAT "' '" + in + "' '" + out + "' 2>&1";
    MkdatRun run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    run.status = pclose(pipe);
    return run;
}

TEST(Mkdat, WritesTheEncodedFileOrFailsWithoutLeavingOne)
{
    const std::filesystem::path dir = kelvara::test::TestRoot();
    const std::string good = (dir / "good.txt").string();
    const std::string bad = (dir / "bad.txt").string();
    const std::string out = (dir / "out.dat").string();
    std::ofstream(good, std::ios::binary) << "\"inch (in)\",0.0254\n";
    std::ofstream(bad, std::ios::binary) << "\"inch\",0.0254\n\xFF\n";

    MkdatRun run = RunMkdat(good, out);
    EXPECT_EQ(run.status, 0) << run.output;
    std::ifstream written(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}),
              kMark + Utf16(u"\"inch (in)\",0.0254\r\n"));

    std::filesystem::remove(out);
    run = RunMkdat(bad, out);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.output, "mkdat: " + bad + ": line 2, column 1: invalid UTF-8\n");
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));

    run = RunMkdat((dir / "missing.txt").string(), out);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos) << run.output;
}

} // namespace
