#pragma once

#include <string>

class CBaseUnit;

namespace kelvara {

// What a list entry carries besides its text: a unit (unit and value lists) or a column number
// (the lookup categories' scale and service lists).
struct ListItem {
    CBaseUnit* unit = nullptr;
    int column = -1;
};

// The drop-down list the category fillers write into; the page's combo boxes implement it, and so
// do the command line and the tests. A sorted list keeps its entries ordered by CompareDisplayText.
class UnitList {
public:
    virtual ~UnitList() = default;
    virtual void ResetContent() = 0;
    // Whether the entries added from now on go in CompareDisplayText order or at the end.
    virtual void SetSorted(bool sorted) = 0;
    // Returns the position of the new entry, or -1 when it could not be added.
    virtual int AddEntry(const std::string& text, const ListItem& item) = 0;
    // False for a position outside the list.
    virtual bool SetCurSel(int position) = 0;
    virtual void SetDroppedWidth(int width) = 0;
};

} // namespace kelvara
