#pragma once

#include "catalogue/unitlist.h"

#include <QComboBox>
#include <QMetaType>
#include <QPointer>
#include <QVariant>

Q_DECLARE_METATYPE(kelvara::ListItem)

class QLineEdit;

namespace kelvara {

// A drop-down list of the page. A sorted one keeps its entries in the order of CompareDisplayText, so
// a stored position means the same entry from one run to the next whatever the file order; an
// unsorted one keeps the order in which entries were added. Each entry carries its item as data.
// Opening and closing the drop-down are reported, because the page acts on both.
//
// A filterable list stays a list (nothing to edit in the closed box): typing while it is open
// narrows it to the entries that hold every word typed, any part of their text, without regard to
// case or accents; a field at the top of the open list shows the words. Enter or a click picks, as
// in any list; Escape closes it and leaves the selection as it was. Each opening starts unfiltered.
//
// The selected entry's whole text is the closed box's tooltip, since long entries are cut there,
// and the open list is as wide as its widest entry (within the screen).
class UnitComboBox : public QComboBox, public UnitList {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnitComboBox)

public:
    static constexpr int kMinimumContentsLength = 12;
    // The open list's height, in rows, at most.
    static constexpr int kMaxVisibleRows = 20;

    explicit UnitComboBox(QWidget* parent = nullptr);
    ~UnitComboBox() override;

    void SetSorted(bool sorted) override { m_sorted = sorted; }
    // Makes the list filterable (see above); for good.
    void EnableFilter();
    // What has been typed into the open list; empty when it shows every entry.
    QString FilterText() const;
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
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Whether the drop-down shows now. Its own visibility decides: Qt also closes it without
    // hidePopup(), when the application loses the focus.
    bool IsDroppedDown() const;

signals:
    void DropDownOpened();
    // Reported once the drop-down closed without a pick; a pick reports activated() alone, after
    // the new entry is selected.
    void DropDownClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int InsertPosition(const QString& text) const;
    void ApplyFilter(const QString& text);
    void FitPopupWidth();
    // Puts the drop-down next to the box, at most kMaxVisibleRows tall, within the available screen.
    void PlacePopup();
    // Shrinks (or grows back) the open drop-down to the entries the filter leaves.
    void FitPopupHeight(int shownRows);
    // The drop-down and what belongs to it, built when it first opens.
    void EnsurePopup();
    void BuildFilterField();
    void OnPopupHidden();

    bool m_sorted = false;
    bool m_popupOpen = false;
    bool m_closePending = false;
    bool m_popupBuilt = false;
    bool m_filterWanted = false;
    int m_droppedWidth = 0;
    int m_openedPopupHeight = 0;
    QPointer<QLineEdit> m_filterField;
    // sizeHint for the font, style, length and icon size it was measured with.
    mutable QSize m_sizeHint;
    mutable int m_hintLength = -1;
    mutable QSize m_hintIcon;
};

} // namespace kelvara
