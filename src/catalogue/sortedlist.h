#pragma once

#include "catalogue/unitlist.h"

#include <string>
#include <vector>

namespace kelvara {

// A list that lives in memory only: what the command line fills where the page has combo boxes,
// and what tests fill to see what the page would show. A sorted list keeps its entries in
// CompareDisplayText order (an entry equal to others goes after them); an unsorted one in the order
// they were added.
class SortedList : public UnitList {
public:
    explicit SortedList(bool sorted = true) : m_sorted(sorted) {}

    void ResetContent() override;
    void SetSorted(bool sorted) override { m_sorted = sorted; }
    int AddEntry(const std::string& text, const ListItem& item) override;
    // Like a list control: a position outside the list clears the selection and fails.
    bool SetCurSel(int position) override;
    void SetDroppedWidth(int width) override { m_droppedWidth = width; }

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // -1 when nothing is selected.
    int GetCurSel() const { return m_selection; }
    int GetDroppedWidth() const { return m_droppedWidth; }
    const std::string& GetText(int position) const
    {
        return m_entries.at(static_cast<std::size_t>(position)).text;
    }
    const ListItem& GetItem(int position) const
    {
        return m_entries.at(static_cast<std::size_t>(position)).item;
    }
    std::vector<std::string> GetTexts() const;
    // The place of the entry at `position` in the order the entries were added (a category adds
    // them in its own order: its data file's rows, its columns as it declares them); -1 outside.
    int GetAddedOrder(int position) const;
    // The position of the entry added `order`th; -1 when there is none.
    int FindAddedOrder(int order) const;

private:
    struct Entry {
        std::string text;
        ListItem item;
        int added = 0;
    };
    std::vector<Entry> m_entries;
    int m_selection = -1;
    int m_droppedWidth = 0;
    bool m_sorted;
};

} // namespace kelvara
