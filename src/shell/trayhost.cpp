#include "shell/trayhost.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace kelvara {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kNotifyService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotifyPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kDefaultAction = QStringLiteral("default");

constexpr int kDockPollMs = 50;
constexpr int kDockWaitMs = 2000;

bool WatcherRegistered()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kWatcherService);
}

} // namespace

SystemTrayHost::SystemTrayHost(QObject* parent) : TrayHost(parent), m_presence(new QTimer(this))
{
    m_presence->setInterval(kPresenceCheckMs);
    connect(m_presence, &QTimer::timeout, this, &SystemTrayHost::CheckPresence);
}

void SystemTrayHost::EnsureIcon()
{
    if (m_icon)
        return;
    m_icon = new QSystemTrayIcon(this);
    // Qt picked its protocol when the icon was made, by the same test.
    m_statusNotifier = WatcherRegistered();
    if (m_statusNotifier)
        QDBusConnection::sessionBus().connect(kNotifyService, kNotifyPath, kNotifyService,
                                              QStringLiteral("ActionInvoked"), this,
                                              SLOT(OnNotificationAction(uint, QString)));
    if (m_statusNotifier && m_menu)
        m_icon->setContextMenu(m_menu);

    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A press on the XEmbed icon while Qt's balloon shows reports the balloon clicked first,
        // then this activation: that click was the icon's.
        m_balloonClickPending = false;
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit Event(m_statusNotifier ? TrayEvent::Activated : TrayEvent::LeftButtonDown);
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
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] {
        // On a StatusNotifier tray Qt reports every program's notification actions: ours are
        // counted by id instead (OnNotificationAction).
        if (m_statusNotifier)
            return;
        m_balloonClickPending = true;
        QTimer::singleShot(0, this, [this] {
            if (std::exchange(m_balloonClickPending, false))
                emit Event(TrayEvent::BalloonClicked);
        });
    });
}

SystemTrayHost::~SystemTrayHost() = default;

bool SystemTrayHost::TrayPresent()
{
    EnsureIcon();
    // Qt's own test makes a new bus connection each time on a StatusNotifier desktop.
    return m_statusNotifier ? WatcherRegistered() : QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayHost::CheckPresence()
{
    if (TrayPresent())
        return;
    m_presence->stop();
    // Qt does not dock its XEmbed icon in a tray that comes back: it is shown afresh then.
    m_icon->hide();
    emit Lost();
}

bool SystemTrayHost::Add(const QIcon& icon, const QString& tooltip)
{
    if (!TrayPresent())
        return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tooltip);
    m_icon->show();
    m_presence->start();
    return true;
}

bool SystemTrayHost::Modify(const QIcon& icon, const QString& tooltip)
{
    if (!TrayPresent())
        return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tooltip);
    m_icon->show(); // again after a loss
    m_presence->start();
    return true;
}

bool SystemTrayHost::Delete()
{
    m_presence->stop();
    if (!m_icon)
        return true; // never shown
    m_icon->hide();
    return true;
}

bool SystemTrayHost::ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon)
{
    if (!m_icon || !m_icon->isVisible() || !QSystemTrayIcon::supportsMessages())
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
    const int ms = std::max(timeout, kMinimumBalloonMs);
    if (m_statusNotifier)
        return Notify(title, text, icon, ms);
    // Qt places its balloon once, by the icon's place when asked: an icon the tray has not docked
    // yet is still at the screen's corner, so wait a little for the tray.
    auto show = [icon = QPointer<QSystemTrayIcon>(m_icon), title, text, kind, ms] {
        if (icon && icon->isVisible())
            icon->showMessage(title, text, kind, ms);
    };
    if (m_icon->geometry().topLeft() != QPoint(0, 0)) {
        show();
        return true;
    }
    auto* wait = new QTimer(this);
    auto waited = std::make_shared<int>(0);
    connect(wait, &QTimer::timeout, this, [this, wait, waited, show] {
        if (m_icon->geometry().topLeft() == QPoint(0, 0) && (*waited += kDockPollMs) < kDockWaitMs)
            return;
        wait->deleteLater();
        show();
    });
    wait->start(kDockPollMs);
    return true;
}

// Qt sends information notifications without a default action, so a click on them is never
// reported; ours carry one, and the id tells our notification from other programs'.
bool SystemTrayHost::Notify(const QString& title, const QString& text, unsigned icon, int timeoutMs)
{
    // Icons and urgency (low, normal, critical) as Qt sends them.
    QString iconName;
    uchar urgency = 0;
    switch (icon) {
    case BalloonInfo:
        iconName = QStringLiteral("dialog-information");
        break;
    case BalloonWarning:
        iconName = QStringLiteral("dialog-warning");
        urgency = 1;
        break;
    case BalloonError:
        iconName = QStringLiteral("dialog-error");
        urgency = 2;
        break;
    default:
        break;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgency));
    if (!QGuiApplication::desktopFileName().isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    QDBusMessage call =
        QDBusMessage::createMethodCall(kNotifyService, kNotifyPath, kNotifyService, QStringLiteral("Notify"));
    // A new balloon replaces the one still showing, as in a tray.
    call << QCoreApplication::applicationName() << m_notification << iconName << title << text
         << QStringList{kDefaultAction, QString()} << hints << timeoutMs;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        if (reply.isValid())
            m_notification = reply.value();
        done->deleteLater();
    });
    return QDBusConnection::sessionBus().isConnected();
}

void SystemTrayHost::OnNotificationAction(uint id, const QString& action)
{
    if (m_notification != 0 && id == m_notification && action == kDefaultAction)
        emit Event(TrayEvent::BalloonClicked);
}

void SystemTrayHost::SetMenu(QMenu* menu)
{
    // An XEmbed icon would pop the menu at the press itself, over the icon at a bottom edge; the
    // owner places it there. A StatusNotifier host renders the menu it is given.
    m_menu = menu;
    if (m_icon && m_statusNotifier)
        m_icon->setContextMenu(menu);
}

QRect SystemTrayHost::Geometry() const
{
    return m_icon ? m_icon->geometry() : QRect();
}

} // namespace kelvara
