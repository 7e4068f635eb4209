#pragma once

#include <QAbstractNativeEventFilter>
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace kelvara {

// What happened over the tray icon, as the owner hears of it.
enum class TrayEvent {
    LeftButtonDown,
    RightButtonDown,
    LeftDoubleClick,
    MiddleButtonDown,
    BalloonClicked,
    // A StatusNotifier host's activation: its left click, which says nothing of single or double.
    Activated,
};

// Balloon icons, numbered as the system's notification area takes them.
enum TrayBalloonIcon : unsigned { BalloonNone = 0, BalloonInfo = 1, BalloonWarning = 2, BalloonError = 3 };

// The desktop's notification area as CTrayIcon talks to it: one icon, added, modified and
// deleted, with balloons. The program uses the system tray; tests put a fake in its place.
class TrayHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Each returns whether the desktop took the request.
    virtual bool Add(const QIcon& icon, const QString& tooltip) = 0;
    virtual bool Modify(const QIcon& icon, const QString& tooltip) = 0;
    virtual bool Delete() = 0;
    virtual bool ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon) = 0;
    // The menu the desktop may show by itself (trays that take the menu over); not owned.
    virtual void SetMenu(QMenu* menu) = 0;
    // Where the icon is on the screen; empty when the tray does not say.
    virtual QRect Geometry() const { return {}; }
    // Whether the icon is a StatusNotifier item, whose click opens the window (the balloon says so),
    // rather than an XEmbed icon.
    virtual bool IsStatusNotifier() { return false; }

signals:
    void Event(kelvara::TrayEvent event);
    // A notification area may be there now where none was: worth adding the icon again.
    void Appeared();
    // The notification area that showed the icon went away; it may come back.
    void Lost();
};

// The host over QSystemTrayIcon.
class SystemTrayHost : public TrayHost, private QAbstractNativeEventFilter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemTrayHost)
public:
    explicit SystemTrayHost(QObject* parent = nullptr);
    ~SystemTrayHost() override;

    bool Add(const QIcon& icon, const QString& tooltip) override;
    bool Modify(const QIcon& icon, const QString& tooltip) override;
    bool Delete() override;
    bool ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon) override;
    void SetMenu(QMenu* menu) override;
    QRect Geometry() const override;

    // The shortest time a balloon is asked to stay, in milliseconds: a shorter time-out
    // (the program asks for 30) would hide the balloon before anyone could read it.
    static constexpr int kMinimumBalloonMs = 10000;
    // How often a shown icon checks that its tray is still there where the tray's going cannot be
    // watched (Qt says nothing when it goes): an X tray's window and a StatusNotifier watcher's bus
    // name are watched instead, so that a program hidden in the tray is never woken for this.
    static constexpr int kPresenceCheckMs = 2000;

    // Qt chose the D-Bus protocol: a watcher was on the session bus when the icon was made.
    bool IsStatusNotifier() override { return m_icon && m_statusNotifier; }

private slots:
    // org.freedesktop.Notifications reports a click on a notification, any program's.
    void OnNotificationAction(uint id, const QString& action);
    // A tray told the StatusNotifier watcher it is there.
    void OnHostRegistered();

private:
    // Makes Qt's icon on first use: Qt asks the session bus for a StatusNotifier watcher then, a
    // round trip the window's start need not wait for.
    void EnsureIcon();
    bool TrayPresent();
    // Qt settles once per process which protocol its icons speak, when the first one is made: no
    // icon is made until a StatusNotifier watcher or an X tray is there, and the watcher's name is
    // watched for (Appeared) meanwhile.
    bool AnyTrayYet();
    void AwaitTray();
    void CheckPresence();
    // Starts watching for the tray's going; false when it cannot be watched and must be polled.
    bool WatchTray();
    void StartWatching();
    void StopWatching();
    void LoseTray();
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool Notify(const QString& title, const QString& text, unsigned icon, int timeoutMs);

    QSystemTrayIcon* m_icon = nullptr;
    QTimer* m_presence;
    QMenu* m_menu = nullptr;
    QDBusServiceWatcher* m_watcherWatch = nullptr;
    QDBusServiceWatcher* m_watcherAwait = nullptr;
    // The X tray's manager window while it is watched, else 0.
    quint32 m_trayWindow = 0;
    bool m_watching = false;
    bool m_filterInstalled = false;
    bool m_statusNotifier = false;
    bool m_balloonClickPending = false;
    uint m_notification = 0;
};

} // namespace kelvara
