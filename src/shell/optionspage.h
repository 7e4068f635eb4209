#pragma once

#include "platform/settingskeys.h"

#include <QWidget>

#include <memory>

namespace Ui {
class COptionsPage;
}

// The Options tab: six check boxes, the significant digits and the update-check button. It holds
// the live values of the window's options, read from the settings store at construction, for the
// main window to read; the notation and the digits are the conversion page's (its core's), so the
// controls show them as stored and report changes (UseRegionalSettingsChanged,
// SignificantDigitsChanged). Every change is applied and stored at once; there is no Apply step.
class COptionsPage : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(COptionsPage)
public:
    enum class Controls { Now, OnFirstShow };

    // With Controls::OnFirstShow the check boxes are built when the page first shows (or
    // EnsureControls is called): a window that opens on another tab does not pay for them.
    explicit COptionsPage(QWidget* parent = nullptr, Controls controls = Controls::Now);
    ~COptionsPage() override;

    // Builds the controls unless they exist.
    void EnsureControls();
    void setVisible(bool visible) override;

    bool IsRunAtStartupChecked() const { return m_runAtStartup; }
    bool IsCloseToTray() const { return m_closeToTray; }
    bool IsAlwaysOnTop() const { return m_alwaysOnTop; }
    bool IsShowBalloon() const { return m_showBalloon; }
    bool IsKeepRatesCurrent() const { return m_keepRatesCurrent; }

    // Whether the window system lets a program keep its window on top (not on Wayland); without it
    // the box is greyed with a tooltip that says why.
    void SetTopMostSupported(bool supported);
    bool IsTopMostSupported() const { return m_topMostSupported; }

    // Stores the show-balloon option at once and puts the check box in step (clicking the balloon
    // turns balloons off).
    void SetShowBalloon(bool on);

    // Whether the log-on start entry exists (any command line counts, only not an empty one).
    static bool IsRunAtStartup();
    // Creates the entry for this program (started with /hidden) or deletes it. Failures are silent.
    static void SetRunAtStartup(bool on);

signals:
    void AlwaysOnTopChanged(bool on);
    void UseRegionalSettingsChanged(bool on);
    // kelvara::kAllResultDigits (0) for all.
    void SignificantDigitsChanged(int digits);
    void CheckForUpdatesRequested();

private:
    void OnRunAtStartup(bool checked);
    void OnAlwaysOnTop(bool checked);
    void OnShowBalloon(bool checked);
    void OnCloseToTray(bool checked);
    void OnUseRegionalSettings(bool checked);
    void OnKeepRatesCurrent(bool checked);
    void OnSignificantDigits(int index);

    std::unique_ptr<Ui::COptionsPage> m_ui;
    bool m_runAtStartup;
    bool m_closeToTray;
    bool m_alwaysOnTop;
    bool m_showBalloon;
    bool m_keepRatesCurrent;
    bool m_topMostSupported;
};
