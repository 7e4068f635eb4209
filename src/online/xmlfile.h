#pragma once

#include <cstddef>
#include <memory>
#include <string>

// An XML document read from a file or a buffer, queried with XPath. Document type declarations are
// skipped and entities other than the five predefined ones and character references are left as
// written, never expanded: neither external nor recursive entities can make a document reach for
// files or grow without bound. Files and buffers larger than kMaxSize are refused.
class CXmlFile {
public:
    static constexpr std::size_t kMaxSize = 4 * 1024 * 1024;

    CXmlFile();
    ~CXmlFile();
    CXmlFile(const CXmlFile&) = delete;
    CXmlFile& operator=(const CXmlFile&) = delete;

    // True when the file was parsed completely and has exactly one root element (stray text
    // outside it is ignored).
    bool Load(const std::string& path);
    bool LoadBuffer(const char* data, std::size_t size);
    // Evaluates `query` against the root element and gives the text of the first node that matches
    // (an element's text is all its text, trimmed of blanks at both ends), in UTF-8. False when
    // nothing is loaded, the query is not valid XPath, nothing matches or the match has no text
    // form.
    bool GetNodeText(const std::string& query, std::string& text) const;
    void Close();

private:
    struct Document;
    std::unique_ptr<Document> m_document;
};
