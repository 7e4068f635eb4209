#pragma once

#include "shell/trayhost.h"
#include "text/strings.h"

#include <QDialog>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CTrayIcon;
class COptionsPage;
class QDialogButtonBox;
class QEventLoop;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kelvara {
class TimeZoneWatcher;
}

// The program's only top-level window: the Conversion, Options and About tabs with the sheet's
// buttons, and the tray icon. It hides instead of closing while close-to-tray is on, comes back
// from the tray menu or a double click, and answers a newly started copy (OnIdentification).
//
// The "visible" flag rules: while it is off nothing shows the window, not even the start of the
// modal run.
class CConvertSheet : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CConvertSheet)
public:
    // Tray-menu commands, by number: each menu action carries its number, and OnCommand (tests
    // too) dispatches on it.
    enum Command : int {
        ID_TRAY_OPEN = 32771,
        ID_TRAY_EXIT = 32774,
        ID_TRAY_CHARMAP = 32778,
        ID_HELP_ABOUT = 32779,
        ID_HELP_CHECKUPDATES = 32780,
        ID_TRAY_OPTIONS = 32783,
        ID_HELP_UPDATERATES = 32790,
    };
    enum Page : int { ConversionPage = 0, OptionsPage = 1, AboutPage = 2 };
    // Results of the modal run.
    enum Result : int { ResultExit = 0, ResultOk = 1, ResultCancel = 2 };
    static constexpr unsigned kTrayIconId = 128;
    static constexpr int kBalloonTimeout = 30;
    // The window's icon: the small and large sizes, up to dense screens' large size. The desktop takes
    // bigger pictures from the installed theme icon; every size given here is sent to the display.
    static constexpr int kWindowIconMax = 48;

    // `trayHost` is the notification area to use (null: the system tray).
    explicit CConvertSheet(std::unique_ptr<kelvara::TrayHost> trayHost = nullptr, QWidget* parent = nullptr);
    ~CConvertSheet() override;

    // Whether the window is to be shown when the modal run starts (the command line's /hidden).
    void SetStartVisible(bool visible) { m_visible = visible; }
    // Initialises the sheet (icons, tray icon, topmost, start state) and runs it until it ends;
    // returns the result. The life of the program is this call.
    int DoModal();

    // The one show/hide operation.
    void SetVisible(bool visible);
    // While the visible flag is off, requests to show the window are dropped.
    void setVisible(bool visible) override;
    void SetTopMost(bool on);
    // Whether the conversion page shows regional notation (its core's mode; off while the page
    // cannot convert). The options page's choice reaches it through UseRegionalSettingsChanged.
    bool IsUseRegionalSettings() const;
    // A new copy asks whether this one takes over: with close-to-tray on it shows itself and
    // answers the instance tag; otherwise 0. `activationToken` is the new copy's, from its desktop:
    // on Wayland it lets the window come forward and take the focus.
    std::uint32_t OnIdentification(const std::string& activationToken = {});

    // The conversion page's request once it is set up: OK becomes Close, Cancel is disabled.
    void CancelToClose();
    void SetActivePage(int page);
    int GetActivePage() const;
    QWidget* GetPage(int page) const;
    // The Options tab with its controls (built now if the tab has not shown yet).
    COptionsPage& GetOptionsPage() const;
    // The live values of the window's options, without building the tab's controls.
    const COptionsPage& GetOptions() const { return *m_optionsPage; }
    CTrayIcon& GetTrayIcon() const { return *m_trayIcon; }

    // The hide balloon's words, for the kind of tray the icon is on.
    unsigned BalloonTextId() const;
    // Whether hiding leaves the user a way back: only while the tray shows our icon.
    bool CanHide() const;
    // Close box and OK hide the window instead of ending the program.
    bool HidesOnClose() const;

    // Puts the tray menu in step with the window: "&Close" while shown, "&Open" while hidden, as the
    // default entry; the character map greyed when no such tool is installed.
    void UpdateTrayMenu();
    void OnCommand(int command);
    // Icon events: a left click opens the menu once the double-click interval passed without a
    // second click; a double click toggles the window without a menu; a right click opens the menu
    // at once; a StatusNotifier activation toggles the window.
    void OnTrayNotify(unsigned id, kelvara::TrayEvent event);
    void OnOK();
    // Cancel: ends the modal run with ResultCancel.
    void reject() override;

    // What "Check for Updates" runs (the update check unless replaced, as tests do).
    void SetUpdateCheck(std::function<void(QWidget* parent)> check) { m_updateCheck = std::move(check); }
    // What "Update Currency Rates" runs (the reference-rate update unless replaced).
    void SetRatesUpdate(std::function<void(CConvertSheet& sheet)> update)
    {
        m_ratesUpdate = std::move(update);
    }

    // The tools tried for "&Character Map", first found in PATH wins; empty when none is.
    static QString FindCharacterMapTool();

    // Pops the modal run with `result` (for the program's own shutdown on a termination signal).
    void EndModal(int result) { done(result); }

signals:
    // The options page's choices of notation and significant digits, for the conversion page.
    void UseRegionalSettingsChanged(bool on);
    void SignificantDigitsChanged(int digits);
    void SystemTimeZoneChanged();
    void VisibleChanged(bool visible);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildTrayMenu();
    void ShowTrayMenu();
    void AddTrayIcon();
    void ArrangeTabOrder();
    // Gives the keyboard to the first control of the shown page, in tab order.
    void FocusFirstControl();
    // What the first shown window does not need, once it is on the screen.
    void StartAfterShow();
    void RetryTray();
    void OnTrayLost();

    bool m_visible = true;
    QTabWidget* m_tabs;
    COptionsPage* m_optionsPage;
    QDialogButtonBox* m_buttons;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    QPushButton* m_applyButton;
    std::unique_ptr<CTrayIcon> m_trayIcon;
    QMenu* m_trayMenu;
    QTimer* m_trayRetry;
    QTimer* m_menuDelay;
    QElapsedTimer m_trayMenuOpened;
    std::vector<QObject*> m_trayMenuWidgets;
    QElapsedTimer m_lastActivation;
    // The time stamp of the Escape an open list or menu took, until that key is released.
    quint64 m_popupEscape = 0;
    bool m_popupEscapePending = false;
    kelvara::TimeZoneWatcher* m_timeZoneWatcher;
    std::function<void(QWidget* parent)> m_updateCheck;
    std::function<void(CConvertSheet& sheet)> m_ratesUpdate;
};
