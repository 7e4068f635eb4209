#include "shell/trayhost.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#if KELVARA_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace kelvara {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr int kHostQueryMs = 2000;
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

// Whether a tray (a StatusNotifier host) has told the watcher it is there: Qt speaks the D-Bus
// protocol only then. A panel starts its watcher a moment before its tray.
bool HostRegistered()
{
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kHostQueryMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool StatusNotifierTray()
{
    return WatcherRegistered() && HostRegistered();
}

#if KELVARA_HAVE_XCB
// The X connection Qt opened, else null (another platform, such as Wayland).
xcb_connection_t* XConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The tray selection of the screen Qt opened (DISPLAY's, as Qt reads it); XCB_NONE when unknown.
xcb_atom_t TraySelection(xcb_connection_t* connection)
{
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen))
        screen = 0;
    free(host);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
        nullptr);
    if (!atom)
        return XCB_NONE;
    const xcb_atom_t selection = atom->atom;
    free(atom);
    return selection;
}

xcb_window_t SelectionOwner(xcb_connection_t* connection, xcb_atom_t selection)
{
    xcb_window_t window = XCB_NONE;
    if (auto* reply = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selection), nullptr)) {
        window = reply->owner;
        free(reply);
    }
    return window;
}
#endif

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
    m_statusNotifier = StatusNotifierTray();
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

SystemTrayHost::~SystemTrayHost()
{
    if (m_filterInstalled && qApp)
        qApp->removeNativeEventFilter(this);
}

bool SystemTrayHost::AnyTrayYet()
{
    if (StatusNotifierTray())
        return true;
#if KELVARA_HAVE_XCB
    if (xcb_connection_t* connection = XConnection()) {
        const xcb_atom_t selection = TraySelection(connection);
        if (selection != XCB_NONE && SelectionOwner(connection, selection) != XCB_NONE)
            return true;
    }
#endif
    return false;
}

void SystemTrayHost::AwaitTray()
{
    if (m_watcherAwait || !QDBusConnection::sessionBus().isConnected())
        return; // an X tray's coming is still asked for by the owner's retries
    m_watcherAwait = new QDBusServiceWatcher(kWatcherService, QDBusConnection::sessionBus(),
                                             QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcherAwait, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (!m_icon)
            emit Appeared();
    });
    // The tray itself registers with the watcher a moment later.
    QDBusConnection::sessionBus().connect(kWatcherService, kWatcherPath, kWatcherService,
                                          QStringLiteral("StatusNotifierHostRegistered"), this,
                                          SLOT(OnHostRegistered()));
}

void SystemTrayHost::OnHostRegistered()
{
    if (!m_icon)
        emit Appeared();
}

bool SystemTrayHost::TrayPresent()
{
    if (!m_icon && !AnyTrayYet()) {
        AwaitTray();
        return false;
    }
    EnsureIcon();
    // Qt's own test makes a new bus connection each time on a StatusNotifier desktop.
    return m_statusNotifier ? WatcherRegistered() : QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayHost::CheckPresence()
{
    if (!TrayPresent()) {
        LoseTray();
    } else if (m_watching && !m_presence->isActive() && !m_trayWindow && !m_statusNotifier) {
        // Another X tray took over at once, and Qt docks the icon there: watch that one.
        m_watching = false;
        StartWatching();
    }
}

void SystemTrayHost::LoseTray()
{
    StopWatching();
    // Qt does not dock its XEmbed icon in a tray that comes back: it is shown afresh then.
    m_icon->hide();
    emit Lost();
}

void SystemTrayHost::StartWatching()
{
    if (m_watching)
        return;
    m_watching = true;
    if (!WatchTray())
        m_presence->start();
}

void SystemTrayHost::StopWatching()
{
    m_watching = false;
    m_trayWindow = 0;
    m_presence->stop();
}

bool SystemTrayHost::WatchTray()
{
    if (m_statusNotifier) {
        if (!m_watcherWatch) {
            m_watcherWatch = new QDBusServiceWatcher(kWatcherService, QDBusConnection::sessionBus(),
                                                     QDBusServiceWatcher::WatchForOwnerChange, this);
            // Gone, or taken over by a watcher that does not know our item: either way the icon is
            // shown afresh once a watcher is there.
            connect(m_watcherWatch, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
                if (m_watching)
                    LoseTray();
            });
        }
        return QDBusConnection::sessionBus().isConnected();
    }
#if KELVARA_HAVE_XCB
    xcb_connection_t* connection = XConnection();
    if (!connection)
        return false;
    const xcb_atom_t selection = TraySelection(connection);
    if (selection == XCB_NONE)
        return false;
    const auto owner = [connection, selection] { return SelectionOwner(connection, selection); };
    const xcb_window_t tray = owner();
    if (tray == XCB_NONE)
        return false;
    auto* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, tray), nullptr);
    if (!attributes)
        return false;
    // Qt watches the same window on the same connection: add to its mask, never replace it.
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    free(attributes);
    xcb_change_window_attributes(connection, tray, XCB_CW_EVENT_MASK, &mask);
    // Still the tray once the watch is set, so its going cannot have slipped past.
    if (owner() != tray)
        return false;
    m_trayWindow = tray;
    if (!m_filterInstalled) {
        qApp->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return true;
#else
    return false;
#endif
}

bool SystemTrayHost::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result)
{
    Q_UNUSED(result);
#if KELVARA_HAVE_XCB
    if (m_trayWindow && eventType == "xcb_generic_event_t") {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
            reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == m_trayWindow) {
            m_trayWindow = 0;
            // Qt hears of it after us: ask once it has.
            QTimer::singleShot(0, this, &SystemTrayHost::CheckPresence);
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

bool SystemTrayHost::Add(const QIcon& icon, const QString& tooltip)
{
    if (!TrayPresent())
        return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tooltip);
    m_icon->show();
    StartWatching();
    return true;
}

bool SystemTrayHost::Modify(const QIcon& icon, const QString& tooltip)
{
    if (!TrayPresent())
        return false;
    m_icon->setIcon(icon);
    m_icon->setToolTip(tooltip);
    m_icon->show(); // again after a loss
    StartWatching();
    return true;
}

bool SystemTrayHost::Delete()
{
    StopWatching();
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
