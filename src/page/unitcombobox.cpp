#include "page/unitcombobox.h"

#include "text/collate.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QTimer>

#include <functional>
#include <utility>

namespace kelvara {

namespace {

// Tells when the watched widget is hidden, however that happened.
class HideWatcher : public QObject {
public:
    HideWatcher(QObject* parent, std::function<void()> onHide) : QObject(parent), m_onHide(std::move(onHide))
    {
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            m_onHide();
        return false;
    }

private:
    std::function<void()> m_onHide;
};

} // namespace

UnitComboBox::UnitComboBox(QWidget* parent) : QComboBox(parent)
{
    // Long names (currencies, countries) must not widen the window; the drop-down shows them.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);

    // The drop-down's frame (it stays when the view is replaced).
    view()->parentWidget()->installEventFilter(new HideWatcher(this, [this] { OnPopupHidden(); }));
    // A pick closes the drop-down first and selects afterwards: the pick alone is reported. This
    // runs before any other receiver of activated().
    connect(this, &QComboBox::activated, this, [this] { m_closePending = false; });
}

UnitComboBox::~UnitComboBox()
{
    // Closed while the list is still whole: the drop-down would otherwise report its close from
    // the middle of the teardown.
    if (IsDroppedDown())
        view()->parentWidget()->hide();
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
    m_popupOpen = true;
    emit DropDownOpened();
    QComboBox::showPopup();
    if (!IsDroppedDown())
        OnPopupHidden(); // nothing to show: closed at once
}

bool UnitComboBox::IsDroppedDown() const
{
    return view()->parentWidget()->isVisible();
}

void UnitComboBox::OnPopupHidden()
{
    if (!m_popupOpen)
        return;
    m_popupOpen = false;
    // Whether a pick follows is known only once Qt has finished closing.
    m_closePending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_closePending) {
            m_closePending = false;
            emit DropDownClosed();
        }
    });
}

} // namespace kelvara
