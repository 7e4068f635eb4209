#include "online/xmlfile.h"

#include "platform/smallfile.h"
#include "text/textcase.h"

#include <new>
#include <pugixml.hpp>

struct CXmlFile::Document {
    pugi::xml_document document;
    pugi::xml_node root;
};

namespace {
// All text below `node` in document order; a loop rather than recursion, so deep nesting cannot
// exhaust the stack.
std::string TextContent(pugi::xml_node node)
{
    std::string text;
    pugi::xml_node current = node.first_child();
    while (current) {
        if (current.type() == pugi::node_pcdata || current.type() == pugi::node_cdata)
            text += current.value();
        if (current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (current && current != node && !current.next_sibling())
            current = current.parent();
        if (!current || current == node)
            break;
        current = current.next_sibling();
    }
    return text;
}
} // namespace

CXmlFile::CXmlFile() = default;
CXmlFile::~CXmlFile() = default;

bool CXmlFile::Load(const std::string& path)
{
    Close();
    std::string content;
    return kelvara::ReadSmallFile(path, content, kMaxSize) && LoadBuffer(content.data(), content.size());
}

bool CXmlFile::LoadBuffer(const char* data, std::size_t size)
{
    Close();
    if (size > kMaxSize)
        return false;
    try {
        auto document = std::make_unique<Document>();
        // parse_default: no DOCTYPE node (the declaration is skipped, its entities unused), only
        // the predefined entities and character references are replaced.
        const pugi::xml_parse_result result =
            document->document.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto);
        if (!result)
            return false;
        // A document has one root element; pugixml also takes fragments of several.
        int elements = 0;
        for (const pugi::xml_node child : document->document.children())
            elements += child.type() == pugi::node_element ? 1 : 0;
        if (elements != 1)
            return false;
        document->root = document->document.document_element();
        m_document = std::move(document);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CXmlFile::GetNodeText(const std::string& query, std::string& text) const
{
    if (!m_document)
        return false;
    try {
        const pugi::xpath_query compiled(query.c_str());
        const pugi::xpath_node match = compiled.evaluate_node(m_document->root);
        std::string value;
        if (match.attribute())
            value = match.attribute().value();
        else if (match.node().type() == pugi::node_element || match.node().type() == pugi::node_document)
            value = TextContent(match.node());
        else if (match.node())
            value = match.node().value();
        else
            return false;
        text = kelvara::Trim(value);
        return true;
    } catch (const pugi::xpath_exception&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CXmlFile::Close()
{
    m_document.reset();
}
