#include "page/hyperlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>

namespace {
// Shortens `text` to `width` with an ellipsis, cutting at a word boundary when there is one.
QString ElideAtWord(const QString& text, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    for (qsizetype cut = text.lastIndexOf(QLatin1Char(' ')); cut > 0;
         cut = text.lastIndexOf(QLatin1Char(' '), cut - 1)) {
        const QString candidate = text.left(cut).trimmed() + ellipsis;
        if (metrics.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}
} // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent)
{
    m_linkColour = palette().color(QPalette::Link);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void CHyperLink::SetTarget(const QString& address, const QString& tooltip)
{
    m_targetSet = true;
    m_address = address;
    Fit();
    setToolTip(tooltip.isEmpty() ? address : tooltip);
}

void CHyperLink::SetFitToText(bool on, int maxWidth)
{
    m_fitToText = on;
    m_maxWidth = maxWidth;
    setSizePolicy(on ? QSizePolicy::Maximum : QSizePolicy::Preferred, QSizePolicy::Fixed);
    Fit();
}

QString CHyperLink::Address() const
{
    if (!m_address.isEmpty() || m_targetSet)
        return m_address;
    return text();
}

QString CHyperLink::DisplayText() const
{
    return text().isEmpty() ? m_address : text();
}

bool CHyperLink::Follow()
{
    const QString address = Address();
    if (address.isEmpty())
        return false;
    if (!QDesktopServices::openUrl(QUrl::fromUserInput(address)))
        QApplication::beep();
    return true;
}

void CHyperLink::SetLinkColour(const QColor& colour)
{
    m_linkColour = colour;
    update();
}

void CHyperLink::SetHoverColour(const QColor& colour)
{
    m_hoverColour = colour;
    update();
}

void CHyperLink::SetUnderline(bool on)
{
    m_underline = on;
    Fit();
    update();
}

QColor CHyperLink::TextColour() const
{
    if (!isEnabled())
        return palette().color(QPalette::Disabled, QPalette::WindowText);
    return m_hovering ? m_hoverColour : m_linkColour;
}

QFont CHyperLink::LinkFont() const
{
    QFont f = font();
    f.setUnderline(m_underline);
    return f;
}

QSize CHyperLink::TextSize() const
{
    const QFontMetrics metrics(LinkFont());
    return {metrics.horizontalAdvance(DisplayText()), metrics.height()};
}

QSize CHyperLink::sizeHint() const
{
    if (!m_fitToText)
        return QLabel::sizeHint();
    QSize text = TextSize();
    if (m_maxWidth > 0)
        text.setWidth(std::min(text.width(), m_maxWidth));
    return {text.width() + 4 * m_focusBorderWidth, text.height() + 4 * m_focusBorderHeight};
}

QSize CHyperLink::minimumSizeHint() const
{
    if (!m_fitToText)
        return QLabel::minimumSizeHint();
    // Narrower than the text is allowed: the text is then shortened with an ellipsis.
    const QFontMetrics metrics(LinkFont());
    const int least = metrics.horizontalAdvance(QString(QChar(0x2026))) + 4 * m_focusBorderWidth;
    const QSize hint = sizeHint();
    return {std::min(least, hint.width()), hint.height()};
}

void CHyperLink::Fit()
{
    updateGeometry();
    if (!m_fitToText)
        return;
    // Outside a layout, resize in place keeping the left edge and the vertical centre.
    const QSize wanted = sizeHint();
    const QRect old = geometry();
    const int top = old.top() + (old.height() - wanted.height()) / 2;
    setGeometry(old.left(), top, wanted.width(), wanted.height());
}

void CHyperLink::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Fit();
}

void CHyperLink::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect();
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    const QRect area = rect().adjusted(2 * m_focusBorderWidth, 2 * m_focusBorderHeight,
                                       -2 * m_focusBorderWidth, -2 * m_focusBorderHeight);
    const QFont linkFont = LinkFont();
    painter.setFont(linkFont);
    painter.setPen(TextColour());
    const QString shown = ElideAtWord(DisplayText(), QFontMetrics(linkFont), area.width());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void CHyperLink::Activate()
{
    if (!Follow())
        emit Clicked();
}

void CHyperLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            Activate();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        event->accept();
        Activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    m_hovering = true;
    update();
}

void CHyperLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    m_hovering = false;
    update();
}

void CHyperLink::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    update();
}

void CHyperLink::focusOutEvent(QFocusEvent* event)
{
    QLabel::focusOutEvent(event);
    update();
}
