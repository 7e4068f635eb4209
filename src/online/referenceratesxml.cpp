// Reading the reference-rate document: kept apart from the rest of the rates because it brings
// the XML reader, which only the parts that fetch documents link.
#include "online/referencerates.h"

#include "catalogue/currency.h"
#include "online/xmlfile.h"
#include "text/formattext.h"
#include "text/leadingnumber.h"
#include "text/outsidetext.h"
#include "text/strings.h"

#include <charconv>
#include <cmath>
#include <new>
#include <pugixml.hpp>
#include <set>
#include <unordered_map>

namespace kelvara {

namespace {

std::string_view LocalName(std::string_view name)
{
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Quoted for a message, cut short: a hostile document may put anything in there.
std::string Quoted(std::string_view text)
{
    return "'" + OutsideText(text) + "'";
}

// The namespace declarations in force at an element, each element's attributes read once as the
// walk enters it: looking a prefix up never reads an ancestor's attributes again, so a root with a
// great many attributes costs its attributes once, not once per element below it.
class NamespaceScope {
public:
    NamespaceScope(pugi::xml_node node, const NamespaceScope* parent) : m_node(node), m_parent(parent)
    {
        for (const pugi::xml_attribute attribute : node.attributes()) {
            const std::string_view name = attribute.name();
            // The first of a repeated declaration counts, as a lookup by name would find it.
            if (name == "xmlns")
                m_bindings.emplace(std::string_view(), attribute.value());
            else if (name.size() > 6 && name.substr(0, 6) == "xmlns:")
                m_bindings.emplace(name.substr(6), attribute.value());
        }
    }

    pugi::xml_node Node() const { return m_node; }

    // The namespace URI of the element's name: its prefix's declaration on it or the nearest ancestor.
    std::string_view Namespace() const
    {
        const std::string_view name = m_node.name();
        const auto colon = name.find(':');
        const std::string_view prefix =
            colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
        for (const NamespaceScope* scope = this; scope; scope = scope->m_parent)
            if (const auto found = scope->m_bindings.find(prefix); found != scope->m_bindings.end())
                return found->second;
        return {};
    }

    bool Is(std::string_view ns, std::string_view local) const
    {
        return m_node.type() == pugi::node_element && LocalName(m_node.name()) == local && Namespace() == ns;
    }

private:
    pugi::xml_node m_node;
    const NamespaceScope* m_parent;
    std::unordered_map<std::string_view, std::string_view> m_bindings;
};

// Refuses a document too large to walk at once; the whole tree is counted, linearly, before
// anything is looked up in it.
bool WithinLimits(const pugi::xml_document& xml, std::string& why)
{
    std::size_t elements = 0;
    for (pugi::xml_node node = xml.first_child(); node;) {
        if (node.type() == pugi::node_element) {
            if (++elements > kMaxReferenceElements) {
                why = FormatString(IDS_DOC_TOO_MANY_ELEMENTS, {kMaxReferenceElements});
                return false;
            }
            std::size_t attributes = 0;
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
                if (++attributes > kMaxReferenceAttributes) {
                    why = FormatString(IDS_DOC_TOO_MANY_ATTRIBUTES,
                                       {Quoted(node.name()), kMaxReferenceAttributes});
                    return false;
                }
        }
        // Depth first without recursion: a deeply nested document must not exhaust the stack.
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent();
        if (node)
            node = node.next_sibling();
    }
    return true;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool IsCode(std::string_view code)
{
    if (code.size() != 3)
        return false;
    for (const char c : code)
        if (c < 'A' || c > 'Z')
            return false;
    return true;
}

bool ParseDocument(std::string_view document, const std::string& today, ReferenceRates& rates,
                   std::string& why)
{
    if (document.size() > CXmlFile::kMaxSize) {
        why = FormatString(IDS_DOC_LARGER_THAN_MB, {CXmlFile::kMaxSize / (1024 * 1024)});
        return false;
    }
    pugi::xml_document xml;
    // parse_default: no DOCTYPE node, only the predefined entities and character references.
    const pugi::xml_parse_result result =
        xml.load_buffer(document.data(), document.size(), pugi::parse_default, pugi::encoding_auto);
    if (!result) {
        why = FormatString(IDS_DOC_NOT_XML_AT, {result.description(), result.offset});
        return false;
    }
    int roots = 0;
    for (const pugi::xml_node child : xml.children())
        roots += child.type() == pugi::node_element ? 1 : 0;
    if (roots != 1) {
        why = FormatString(roots == 0 ? IDS_DOC_NOT_XML_NO_ELEMENT : IDS_DOC_SEVERAL_ROOTS);
        return false;
    }
    if (!WithinLimits(xml, why))
        return false;
    const NamespaceScope root(xml.document_element(), nullptr);
    if (!root.Is(kGesmesNamespace, "Envelope")) {
        why = FormatString(IDS_DOC_NOT_REFERENCE_RATES, {Quoted(root.Node().name())});
        return false;
    }

    // The dated Cube: the latest day when a document carries several.
    pugi::xml_node dated;
    std::int64_t datedDay = 0;
    // The dated Cube's parent, whose declarations count for the rates read below.
    pugi::xml_node datedOuter;
    for (const pugi::xml_node outerNode : root.Node().children()) {
        const NamespaceScope outer(outerNode, &root);
        if (!outer.Is(kEurofxrefNamespace, "Cube"))
            continue;
        for (const pugi::xml_node day : outerNode.children()) {
            // The cheap test first: most elements of a long document carry no time.
            if (!day.attribute("time") || !NamespaceScope(day, &outer).Is(kEurofxrefNamespace, "Cube"))
                continue;
            const std::string_view time = Trimmed(day.attribute("time").value());
            std::int64_t days = 0;
            if (!ParseIsoDate(time, days)) {
                why = FormatString(IDS_DOC_DATE_NO_DATE, {Quoted(time)});
                return false;
            }
            if (!dated || days > datedDay) {
                dated = day;
                datedOuter = outerNode;
                datedDay = days;
            }
        }
    }
    if (!dated) {
        why = FormatString(IDS_DOC_NO_DATED_CUBE);
        return false;
    }
    std::int64_t todayDays = 0;
    if (ParseIsoDate(today, todayDays) && datedDay > todayDays + 1) {
        why = FormatString(IDS_DOC_DATE_IN_FUTURE, {IsoDateFromDays(datedDay)});
        return false;
    }

    ReferenceRates read;
    read.date = IsoDateFromDays(datedDay);
    std::set<std::string, std::less<>> seen;
    const NamespaceScope outer(datedOuter, &root);
    const NamespaceScope day(dated, &outer);
    for (const pugi::xml_node cube : dated.children()) {
        if (!NamespaceScope(cube, &day).Is(kEurofxrefNamespace, "Cube"))
            continue;
        const std::string_view code = Trimmed(cube.attribute("currency").value());
        if (!IsCode(code)) {
            why = FormatString(IDS_DOC_BAD_CODE, {Quoted(code)});
            return false;
        }
        if (!seen.insert(std::string(code)).second) {
            why = FormatString(IDS_DOC_RATE_TWICE, {std::string(code)});
            return false;
        }
        const std::string_view text = Trimmed(cube.attribute("rate").value());
        double rate = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rate);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(rate > 0) ||
            !std::isfinite(rate)) {
            why = FormatString(IDS_DOC_RATE_NOT_POSITIVE_AS, {std::string(code), Quoted(text)});
            return false;
        }
        read.rates.emplace_back(std::string(code), rate);
        read.texts.push_back(IsPlainDecimal(text) ? std::string(text) : std::string());
    }
    if (read.rates.empty()) {
        why = FormatString(IDS_DOC_NO_RATES_FOR, {read.date});
        return false;
    }
    rates = std::move(read);
    return true;
}

} // namespace

bool ParseReferenceRates(std::string_view document, const std::string& today, ReferenceRates& rates,
                         std::string& why)
{
    try {
        return ParseDocument(document, today, rates, why);
    } catch (const std::bad_alloc&) {
        why = FormatString(IDS_DOC_NO_MEMORY);
        return false;
    }
}

} // namespace kelvara
