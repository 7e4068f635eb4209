#include "shell/trayhost.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>

namespace kelvara {

SystemTrayHost::SystemTrayHost(QObject* parent) : TrayHost(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit Event(TrayEvent::LeftButtonDown);
            break;
        case QSystemTrayIcon::Context:
            emit Event(TrayEvent::RightButtonDown);
            break;
        case QSystemTrayIcon::DoubleClick:
            emit Event(TrayEvent::LeftDoubleClick);
            break;
        case QSystemTrayIcon::MiddleClick:
            emit Event(TrayEvent::MiddleButtonDown);
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
    connect(m_icon, &QSystemTrayIcon::messageClicked, this,
            [this] { emit Event(TrayEvent::BalloonClicked); });
}

SystemTrayHost::~SystemTrayHost() = default;

bool SystemTrayHost::Add(const QIcon& icon, const QString& tooltip)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tooltip);
    m_icon->show();
    return true;
}

bool SystemTrayHost::Modify(const QIcon& icon, const QString& tooltip)
{
    if (!m_icon->isVisible())
        return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tooltip);
    return true;
}

bool SystemTrayHost::Delete()
{
    m_icon->hide();
    return true;
}

bool SystemTrayHost::ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon)
{
    if (!m_icon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return false;
    QSystemTrayIcon::MessageIcon kind = QSystemTrayIcon::NoIcon;
    switch (icon) {
    case BalloonInfo:
        kind = QSystemTrayIcon::Information;
        break;
    case BalloonWarning:
        kind = QSystemTrayIcon::Warning;
        break;
    case BalloonError:
        kind = QSystemTrayIcon::Critical;
        break;
    default:
        break;
    }
    m_icon->showMessage(title, text, kind, std::max(timeout, kMinimumBalloonMs));
    return true;
}

void SystemTrayHost::SetMenu(QMenu* menu)
{
    m_icon->setContextMenu(menu);
}

} // namespace kelvara
