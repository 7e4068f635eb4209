#include "page/unitcombobox.h"

#include "catalogue/baseunit.h"

#include "text/collate.h"
#include "text/strings.h"
#include "text/textmatch.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QtMath>

#include <algorithm>
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
    // Long names (currencies, countries) must not widen the window; the drop-down shows them. The
    // size this asks for is sizeHint's; the policy itself is set with the drop-down (EnsurePopup).
    setMinimumContentsLength(kMinimumContentsLength);
    connect(this, &QComboBox::currentTextChanged, this, [this](const QString& text) { setToolTip(text); });
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

QSize UnitComboBox::sizeHint() const
{
    // What QComboBox asks for under AdjustToMinimumContentsLengthWithIcon; setting that policy
    // builds the whole drop-down, which the window's first showing does not need. Kept, as QComboBox
    // keeps its own: measuring the letter shapes text, which costs more than the rest together.
    const QSize icon = iconSize();
    if (m_sizeHint.isValid() && m_hintLength == minimumContentsLength() && m_hintIcon == icon)
        return m_sizeHint;
    const QFontMetrics& metrics = fontMetrics();
    QSize hint(minimumContentsLength() * metrics.horizontalAdvance(QLatin1Char('X')) + icon.width() + 4,
               std::max(std::max(qCeil(QFontMetricsF(metrics).height()), 14) + 2, icon.height() + 2));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    m_sizeHint = style()->sizeFromContents(QStyle::CT_ComboBox, &option, hint, this);
    m_hintLength = minimumContentsLength();
    m_hintIcon = icon;
    return m_sizeHint;
}

void UnitComboBox::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_sizeHint = QSize();
    QComboBox::changeEvent(event);
}

QSize UnitComboBox::minimumSizeHint() const
{
    return sizeHint(); // the same under that policy
}

void UnitComboBox::EnsurePopup()
{
    if (m_popupBuilt)
        return;
    m_popupBuilt = true;
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // The drop-down's frame (it stays when the view is replaced).
    view()->parentWidget()->installEventFilter(new HideWatcher(this, [this] { OnPopupHidden(); }));
    view()->parentWidget()->installEventFilter(this);
    if (m_droppedWidth > 0)
        view()->setMinimumWidth(m_droppedWidth);
    if (m_filterWanted)
        BuildFilterField();
}

void UnitComboBox::EnableFilter()
{
    m_filterWanted = true;
    if (m_popupBuilt)
        BuildFilterField();
}

void UnitComboBox::BuildFilterField()
{
    QAbstractItemView* list = view();
    QWidget* popup = list->parentWidget();
    if (m_filterField || !popup)
        return;
    // The field only shows the words; the keys reach it from the list, which keeps the focus so
    // that its own Enter, Escape, arrows and clicks work as in every list.
    m_filterField = new QLineEdit(popup);
    m_filterField->setObjectName(QStringLiteral("filterField"));
    m_filterField->setFocusPolicy(Qt::NoFocus);
    m_filterField->setPlaceholderText(QString::fromStdString(LoadString(IDS_FILTER_HINT)));
    if (auto* layout = qobject_cast<QBoxLayout*>(popup->layout()))
        layout->insertWidget(0, m_filterField);
    else
        m_filterField->hide();
    connect(m_filterField, &QLineEdit::textChanged, this, &UnitComboBox::ApplyFilter);
    list->installEventFilter(this);
    popup->installEventFilter(this);
}

QString UnitComboBox::FilterText() const
{
    return m_filterField ? m_filterField->text() : QString();
}

bool UnitComboBox::eventFilter(QObject* watched, QEvent* event)
{
    // Placed once Qt has sized it and before the window system maps it: a popup that moves once
    // shown is not moved on Wayland.
    if (watched == view()->parentWidget() && event->type() == QEvent::Show)
        PlacePopup();
    if (!m_filterField)
        return QComboBox::eventFilter(watched, event);
    if (watched == view() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace) {
            m_filterField->backspace();
            return true;
        }
        const QString text = key->text();
        const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!command && !text.isEmpty() && text.at(0).isPrint()) {
            m_filterField->insert(text);
            return true;
        }
    } else if (watched == view()->parentWidget() && event->type() == QEvent::Hide) {
        // The next opening shows the whole list again, in its usual order.
        m_filterField->clear();
    }
    return QComboBox::eventFilter(watched, event);
}

void UnitComboBox::ApplyFilter(const QString& text)
{
    auto* list = qobject_cast<QListView*>(view());
    if (!list)
        return;
    const TextQuery query(text.toStdString());
    int first = -1;
    int shownRows = 0;
    for (int i = 0; i < count(); ++i) {
        // An entry is found by its English name too, whatever the language it shows in.
        const ListItem item = ItemAt(i);
        const bool shown = query.IsEmpty() || query.Matches(itemText(i).toStdString()) ||
                           (item.unit && query.Matches(item.unit->GetName()));
        list->setRowHidden(i, !shown);
        if (shown && first < 0)
            first = i;
        shownRows += shown ? 1 : 0;
    }
    FitPopupHeight(shownRows);
    // Enter picks what the list points at: the entry it pointed at while that still shows, else
    // the first that does, and nothing when nothing does.
    const QModelIndex current = list->currentIndex();
    if (current.isValid() && !list->isRowHidden(current.row())) {
        list->scrollTo(current);
        return;
    }
    if (first < 0) {
        list->selectionModel()->clear();
        list->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = model()->index(first, modelColumn(), rootModelIndex());
    list->setCurrentIndex(index);
    list->scrollTo(index);
}

void UnitComboBox::FitPopupHeight(int shownRows)
{
    QAbstractItemView* list = view();
    QWidget* popup = list->parentWidget();
    if (!popup || !popup->isVisible() || count() == 0)
        return;
    if (m_openedPopupHeight <= 0)
        m_openedPopupHeight = popup->height();
    // As tall as the entries that show (one row's room when none does), never taller than it opened.
    const int rows = std::max(shownRows, 1);
    const int wanted = popup->height() - list->viewport()->height() + rows * list->sizeHintForRow(0);
    const int height = std::min(wanted, m_openedPopupHeight);
    if (height == popup->height())
        return;
    // A drop-down that opened above the box shrinks towards it, one below towards its own top.
    QRect geometry = popup->geometry();
    const bool above = geometry.center().y() < mapToGlobal(rect().center()).y();
    if (above)
        geometry.setTop(geometry.bottom() + 1 - height);
    else
        geometry.setHeight(height);
    popup->setGeometry(geometry);
}

void UnitComboBox::PlacePopup()
{
    QAbstractItemView* list = view();
    QWidget* popup = list->parentWidget();
    if (count() == 0)
        return;
    // Styles that open the list over the box (Fusion) make it as tall as every entry, up to the
    // screen; and on Wayland, where a window does not know where it is, such a list ends up at the
    // screen's top, over the panel. A list below its box (above it when there is no room below), as
    // tall as about twenty rows, is where the eye is.
    const int chrome = popup->height() - list->viewport()->height();
    const int rows = std::min(count(), kMaxVisibleRows);
    QRect geometry(mapToGlobal(QPoint(0, height())),
                   QSize(popup->width(), chrome + rows * list->sizeHintForRow(0)));
    const QScreen* where = screen();
    if (where && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Never over a panel: the screen's available part only.
        const QRect area = where->availableGeometry();
        const QPoint top = mapToGlobal(QPoint(0, 0));
        if (geometry.bottom() > area.bottom() && top.y() - area.top() > area.bottom() - geometry.top())
            geometry.moveBottom(top.y() - 1);
        geometry.setTop(std::max(geometry.top(), area.top()));
        geometry.setBottom(std::min(geometry.bottom(), area.bottom()));
        geometry.moveLeft(std::clamp(geometry.left(), area.left(),
                                     std::max(area.left(), area.right() + 1 - geometry.width())));
    }
    popup->setGeometry(geometry);
}

void UnitComboBox::FitPopupWidth()
{
    QAbstractItemView* list = view();
    int width = list->sizeHintForColumn(modelColumn()) + 2 * list->frameWidth();
    if (list->verticalScrollBar())
        width += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    width = std::max(width, m_droppedWidth);
    if (const QScreen* where = screen())
        width = std::min(width, where->availableGeometry().width());
    list->setMinimumWidth(width);
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
        if (CompareDisplayText(itemText(mid).toStdString(), key) <= 0)
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
    m_droppedWidth = width;
    if (m_popupBuilt)
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
    EnsurePopup();
    m_openedPopupHeight = 0;
    m_popupOpen = true;
    FitPopupWidth();
    emit DropDownOpened();
    QComboBox::showPopup();
    if (!IsDroppedDown()) {
        OnPopupHidden(); // nothing to show: closed at once
        return;
    }
    // The selected entry in sight in the list as placed.
    view()->scrollTo(view()->currentIndex(), QAbstractItemView::PositionAtCenter);
}

bool UnitComboBox::IsDroppedDown() const
{
    return m_popupBuilt && view()->parentWidget()->isVisible();
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
