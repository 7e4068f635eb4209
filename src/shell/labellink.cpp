#include "shell/labellink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace kelvara {

namespace {

QString Caption(const QString& address)
{
    QString caption = address;
    for (const char* scheme : {"https://", "http://"})
        if (caption.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            caption.remove(0, static_cast<int>(qstrlen(scheme)));
            break;
        }
    while (caption.endsWith(QLatin1Char('/')))
        caption.chop(1);
    return caption;
}

} // namespace

LabelLink::LabelLink(QLabel* label) : m_label(label)
{
    // The label reports activation instead of opening links itself, so a failure can beep.
    m_label->setTextFormat(Qt::RichText);
    m_label->setOpenExternalLinks(false);
    m_label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_label->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(m_label, &QLabel::linkActivated, m_label,
                     [](const QString& href) { OpenWebAddress(href); });
}

void LabelLink::SetTarget(const QString& address, const QString& tooltip)
{
    m_address = address;
    m_label->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                         .arg(address.toHtmlEscaped(), Caption(address).toHtmlEscaped()));
    m_label->setToolTip(tooltip.isEmpty() ? address : tooltip);
}

bool LabelLink::Follow() const
{
    if (m_address.isEmpty())
        return false;
    OpenWebAddress(m_address);
    return true;
}

bool OpenWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (url.isValid() && !url.isRelative() && QDesktopServices::openUrl(url))
        return true;
    QApplication::beep();
    return false;
}

} // namespace kelvara
