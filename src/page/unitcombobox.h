#pragma once

#include "catalogue/unitlist.h"

#include <QComboBox>
#include <QMetaType>
#include <QVariant>

Q_DECLARE_METATYPE(kelvara::ListItem)

namespace kelvara {

// A drop-down list of the page. A sorted one keeps its entries in the order of CompareListText, so
// a stored position means the same entry from one run to the next whatever the file order; an
// unsorted one keeps the order in which entries were added. Each entry carries its item as data.
// Opening and closing the drop-down are reported, because the page acts on both.
class UnitComboBox : public QComboBox, public UnitList {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnitComboBox)

public:
    explicit UnitComboBox(QWidget* parent = nullptr);

    void SetSorted(bool sorted) override { m_sorted = sorted; }
    bool IsSorted() const { return m_sorted; }

    // UnitList
    void ResetContent() override;
    int AddEntry(const std::string& text, const ListItem& item) override;
    bool SetCurSel(int position) override;
    void SetDroppedWidth(int width) override;

    // Adds an entry carrying any data (the category list carries catalogue positions).
    int AddText(const QString& text, const QVariant& value);

    // The item of the entry at `position`; an empty item when there is none.
    ListItem ItemAt(int position) const;
    ListItem SelectedItem() const { return ItemAt(currentIndex()); }
    // The position of the first entry whose item carries `unit` (or, for null, `column`); -1 if none.
    int FindItem(const ListItem& item) const;

    void showPopup() override;
    void hidePopup() override;
    bool IsDroppedDown() const { return m_droppedDown; }

signals:
    void DropDownOpened();
    void DropDownClosed();

private:
    int InsertPosition(const QString& text) const;

    bool m_sorted = false;
    bool m_droppedDown = false;
};

} // namespace kelvara
