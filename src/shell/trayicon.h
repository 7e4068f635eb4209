#pragma once

#include "shell/trayhost.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QMenu;

// Keeps one icon in the notification area on behalf of the main window: adds it, updates it,
// removes it, shows balloons, and passes on what happens over it (Notify).
//
// States: constructed (not added, not visible) -> shown (added, visible) after a successful Update;
// lost (the tray went away, Lost) -> shown again by Update once a tray is back; removed by Remove, from
// where Update adds it again.
class CTrayIcon : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTrayIcon)
public:
    // `host` is the notification area to talk to (owned); null: the system tray.
    explicit CTrayIcon(unsigned id, std::unique_ptr<kelvara::TrayHost> host = nullptr);
    ~CTrayIcon() override;

    // Takes effect at the next Update. A string id that the table lacks leaves the tooltip as it was.
    void SetTooltip(unsigned stringId);
    void SetTooltip(const QString& text);

    // Loads icon resource `resourceId` up to kMaxIconSize (false when there is none). Without `append` the
    // icons held so far are dropped first.
    bool AddIcon(unsigned resourceId, bool append);
    // Trays draw 16 to 24 pixels, twice that on dense screens.
    static constexpr int kMaxIconSize = 64;
    bool AddIcon(const QIcon& icon, bool append);

    // Sends the icon and tooltip to the tray: an add request until one succeeded, then modify
    // requests. Fails, sending nothing, while no icon is held.
    bool Update();
    // Only while the icon is visible; false otherwise, without asking the tray.
    bool ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon);
    bool ShowBalloon(unsigned titleId, unsigned textId, int timeout, unsigned icon);
    // Deletes the icon from the tray; false (nothing changed) when the tray refuses.
    bool Remove();

    // The menu a tray may show by itself.
    void SetMenu(QMenu* menu);
    // Where the icon is on the screen; empty when the tray does not say.
    QRect GetGeometry() const { return m_host->Geometry(); }

    // Whether a click on the icon opens the window (a StatusNotifier tray) rather than its menu.
    bool IsStatusNotifier() const { return m_host->IsStatusNotifier(); }

    bool IsAdded() const { return m_added; }
    bool IsVisible() const { return m_visible; }
    const QString& GetTooltip() const { return m_tooltip; }
    std::size_t GetIconCount() const { return m_icons.size(); }

signals:
    // Something happened over icon `id`.
    void Notify(unsigned id, kelvara::TrayEvent event);
    // The tray went away: the icon is no longer visible (no balloons) until an Update succeeds.
    void Lost();
    // A notification area may have come where none was: Update is worth trying now.
    void Appeared();

private:
    unsigned m_id;
    std::unique_ptr<kelvara::TrayHost> m_host;
    bool m_added = false;
    bool m_visible = false;
    QString m_tooltip;
    std::vector<QIcon> m_icons;
    std::size_t m_current = 0;
};
