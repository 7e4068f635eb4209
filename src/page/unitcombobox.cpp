#include "page/unitcombobox.h"

#include "text/collate.h"

#include <QAbstractItemView>

namespace kelvara {

UnitComboBox::UnitComboBox(QWidget* parent) : QComboBox(parent)
{
    // Long names (currencies, countries) must not widen the window; the drop-down shows them.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
}

void UnitComboBox::ResetContent()
{
    clear();
}

int UnitComboBox::InsertPosition(const QString& text) const
{
    if (!m_sorted)
        return count();
    // After every entry that does not sort behind the new one, so equal names keep file order.
    const std::string key = text.toStdString();
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareListText(itemText(mid).toStdString(), key) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int UnitComboBox::AddText(const QString& text, const QVariant& value)
{
    const int position = InsertPosition(text);
    insertItem(position, text, value);
    return position;
}

int UnitComboBox::AddEntry(const std::string& text, const ListItem& item)
{
    return AddText(QString::fromStdString(text), QVariant::fromValue(item));
}

bool UnitComboBox::SetCurSel(int position)
{
    if (position < 0 || position >= count())
        return false;
    setCurrentIndex(position);
    return true;
}

void UnitComboBox::SetDroppedWidth(int width)
{
    // A width below the list's own leaves the drop-down as wide as the list.
    view()->setMinimumWidth(width);
}

ListItem UnitComboBox::ItemAt(int position) const
{
    if (position < 0 || position >= count())
        return {};
    const QVariant value = itemData(position);
    return value.canConvert<ListItem>() ? value.value<ListItem>() : ListItem{};
}

int UnitComboBox::FindItem(const ListItem& item) const
{
    for (int i = 0; i < count(); ++i) {
        const ListItem other = ItemAt(i);
        if (item.unit ? other.unit == item.unit : (!other.unit && other.column == item.column))
            return i;
    }
    return -1;
}

void UnitComboBox::showPopup()
{
    m_droppedDown = true;
    emit DropDownOpened();
    QComboBox::showPopup();
}

void UnitComboBox::hidePopup()
{
    QComboBox::hidePopup();
    if (m_droppedDown) {
        m_droppedDown = false;
        emit DropDownClosed();
    }
}

} // namespace kelvara
