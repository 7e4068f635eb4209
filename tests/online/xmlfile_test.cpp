#include "online/updateinfo.h"
#include "online/xmlfile.h"
#include "platform/privatetemp.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string Text(CXmlFile& xml, const std::string& query, bool expectFound = true)
{
    std::string text = "<untouched>";
    EXPECT_EQ(xml.GetNodeText(query, text), expectFound) << query;
    return text;
}

bool Load(CXmlFile& xml, const std::string& document)
{
    return xml.LoadBuffer(document.data(), document.size());
}

const char* const kDocument = R"(<?xml version="1.0" encoding="utf-8"?>
<response>
  <status>ok</status>
  <programs>
    <program name="Kelvara">
      <version>
        1.25.67.4
      </version>
      <fileName>kelvara-1.25.67.4.exe</fileName>
    </program>
    <program><version>9.9.9.9</version></program>
  </programs>
</response>)";

TEST(XmlFile, FindsTheFirstMatchAtAnyDepthTrimmed)
{
    CXmlFile xml;
    ASSERT_TRUE(Load(xml, kDocument));
    EXPECT_EQ(Text(xml, kelvara::kVersionQuery), "1.25.67.4");
    EXPECT_EQ(Text(xml, kelvara::kFileNameQuery), "kelvara-1.25.67.4.exe");
    EXPECT_EQ(Text(xml, "//programs/program/@name"), "Kelvara");
    EXPECT_EQ(Text(xml, "//programs/program/missing", false), "<untouched>");
}

TEST(XmlFile, ElementTextIncludesNestedTextAndCData)
{
    CXmlFile xml;
    ASSERT_TRUE(Load(
        xml, "<programs><program><fileName>a<i>b</i><![CDATA[&c]]>&amp;d</fileName></program></programs>"));
    EXPECT_EQ(Text(xml, kelvara::kFileNameQuery), "ab&c&d");
}

TEST(XmlFile, ReadsFilesAndUtf16)
{
    const std::string path = kelvara::PrivateTempFolder() + "/doc.xml";
    {
        // UTF-16LE with a byte-order mark.
        std::ofstream out(path, std::ios::binary);
        out.write("\xFF\xFE", 2);
        for (char c : std::string("<programs><program><version>2.0.0.0</version></program></programs>"))
            out.put(c).put('\0');
    }
    CXmlFile xml;
    ASSERT_TRUE(xml.Load(path));
    EXPECT_EQ(Text(xml, kelvara::kVersionQuery), "2.0.0.0");
    ::unlink(path.c_str());
    EXPECT_FALSE(xml.Load(path));
    EXPECT_FALSE(xml.GetNodeText(kelvara::kVersionQuery, *std::make_unique<std::string>()));
}

TEST(XmlFile, RefusesWhatIsNotAWholeDocument)
{
    CXmlFile xml;
    for (const char* bad :
         {"", "   ", "<programs><program><version>1.2.3.4</version></program>", "<programs></program>",
          "<a>&unterminated</a", "<?xml version=\"1.0\"?>", "<a/><b/>"}) {
        EXPECT_FALSE(Load(xml, bad)) << bad;
        EXPECT_FALSE(xml.GetNodeText("//*", *std::make_unique<std::string>())) << bad;
    }
}

TEST(XmlFile, AnHtmlErrorPageHasNoVersion)
{
    CXmlFile xml;
    const std::string page = "<html><head><title>500 Internal Server Error</title></head>"
                             "<body><h1>Internal Server Error</h1><p>Try again.</p></body></html>";
    if (Load(xml, page))
        Text(xml, kelvara::kVersionQuery, false);
    EXPECT_FALSE(Load(xml, "<!DOCTYPE html><html><body><br><p>Oops</body></html>"));
}

TEST(XmlFile, EntitiesAreNeverExpanded)
{
    // Nine levels of ten: a billion copies if anything expanded them.
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE programs [\n<!ENTITY lol0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            bomb += "&lol" + std::to_string(i - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "<!ENTITY v \"9.9.9.9\">\n<!ENTITY ext SYSTEM \"file:///etc/passwd\">\n]>\n"
            "<programs><program><version>&v;</version><fileName>&lol9;&ext;</fileName></program></programs>";
    CXmlFile xml;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Load(xml, bomb));
    EXPECT_EQ(Text(xml, kelvara::kVersionQuery), "&v;");
    EXPECT_EQ(Text(xml, kelvara::kFileNameQuery), "&lol9;&ext;");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(XmlFile, BadQueriesAndOversizedInputFailQuietly)
{
    CXmlFile xml;
    ASSERT_TRUE(Load(xml, kDocument));
    Text(xml, "//programs[", false);
    Text(xml, "1 + 1", false);
    Text(xml, "", false);

    const std::string big = "<a>" + std::string(CXmlFile::kMaxSize, 'x') + "</a>";
    EXPECT_FALSE(Load(xml, big));
    const std::string path = kelvara::PrivateTempFolder() + "/big.xml";
    std::ofstream(path, std::ios::binary) << big;
    EXPECT_FALSE(xml.Load(path));
    ::unlink(path.c_str());
}

TEST(XmlFile, DeepNestingDoesNotExhaustTheStack)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<programs>";
    deep += "<program><version>1.2.3.4</version></program>";
    for (int i = 0; i < 100000; ++i)
        deep += "</programs>";
    CXmlFile xml;
    ASSERT_TRUE(Load(xml, deep));
    EXPECT_EQ(Text(xml, kelvara::kVersionQuery), "1.2.3.4");
    EXPECT_EQ(Text(xml, "/programs").size(), 7u);
}

} // namespace
