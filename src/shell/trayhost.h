#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace kelvara {

// What happened over the tray icon, as the owner hears of it.
enum class TrayEvent {
    LeftButtonDown,
    RightButtonDown,
    LeftDoubleClick,
    MiddleButtonDown,
    BalloonClicked,
};

// Balloon icons, numbered as the program has always passed them.
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

signals:
    void Event(kelvara::TrayEvent event);
};

// The host over QSystemTrayIcon.
class SystemTrayHost : public TrayHost {
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

    // The shortest time a balloon is asked to stay, in milliseconds: the program's time-out value
    // (30) was always far below what notification areas allow, which stretched it to this.
    static constexpr int kMinimumBalloonMs = 10000;

private:
    QSystemTrayIcon* m_icon;
};

} // namespace kelvara
