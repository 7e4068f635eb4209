#pragma once

#include "catalogue/unitlist.h"
#include "support/testfiles.h"
#include "text/collate.h"

#include <string>
#include <vector>

namespace kelvara::test {

// A drop-down list as the page's combo boxes behave: optionally sorted by the program's order.
class FakeList : public UnitList {
public:
    struct Entry {
        std::string text;
        ListItem item;
    };

    explicit FakeList(bool sorted = true) : m_sorted(sorted) {}

    void ResetContent() override
    {
        entries.clear();
        selection = -1;
    }
    void SetSorted(bool sorted) override { m_sorted = sorted; }
    int AddEntry(const std::string& text, const ListItem& item) override
    {
        auto pos = entries.end();
        if (m_sorted) {
            pos = entries.begin();
            while (pos != entries.end() && CompareListText(pos->text, text) <= 0)
                ++pos;
        }
        const auto at = entries.insert(pos, Entry{text, item});
        return static_cast<int>(at - entries.begin());
    }
    bool SetCurSel(int position) override
    {
        if (position < 0 || position >= static_cast<int>(entries.size()))
            return false;
        selection = position;
        return true;
    }
    void SetDroppedWidth(int width) override { droppedWidth = width; }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& e : entries)
            texts.push_back(e.text);
        return texts;
    }
    const Entry& Selected() const { return entries.at(static_cast<std::size_t>(selection)); }

    std::vector<Entry> entries;
    int selection = -1;
    int droppedWidth = -1;

private:
    bool m_sorted;
};

} // namespace kelvara::test
