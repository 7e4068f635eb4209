#include "catalogue/sortedlist.h"

#include "text/collate.h"

#include <algorithm>

namespace kelvara {

void SortedList::ResetContent()
{
    m_entries.clear();
    m_selection = -1;
}

int SortedList::AddEntry(const std::string& text, const ListItem& item)
{
    auto at = m_entries.end();
    if (m_sorted)
        at = std::upper_bound(
            m_entries.begin(), m_entries.end(), text,
            [](const std::string& t, const Entry& e) { return CompareDisplayText(t, e.text) < 0; });
    const auto position = static_cast<int>(at - m_entries.begin());
    m_entries.insert(at, Entry{text, item, static_cast<int>(m_entries.size())});
    // The selected entry stays selected when one is inserted before it.
    if (m_selection >= position)
        ++m_selection;
    return position;
}

bool SortedList::SetCurSel(int position)
{
    if (position < 0 || position >= GetCount()) {
        m_selection = -1;
        return false;
    }
    m_selection = position;
    return true;
}

std::vector<std::string> SortedList::GetTexts() const
{
    std::vector<std::string> texts;
    texts.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        texts.push_back(e.text);
    return texts;
}

int SortedList::GetAddedOrder(int position) const
{
    if (position < 0 || position >= GetCount())
        return -1;
    return m_entries[static_cast<std::size_t>(position)].added;
}

int SortedList::FindAddedOrder(int order) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].added == order)
            return static_cast<int>(i);
    return -1;
}

} // namespace kelvara
