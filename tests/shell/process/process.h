#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kelvara::test {

// Runs the event loop until `done` holds or `timeoutMs` passed; whether it holds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// The test's private environment with the program drawing offscreen.
QProcessEnvironment OffscreenEnvironment();

// The settings file the program reads, replaced by `ini`.
void WriteSettings(const QByteArray& ini);
QString SettingsFile();

// The sockets of running copies, by path.
QStringList InstanceSockets();

// The program under test in a process of its own; terminated (SIGTERM) and reaped when destroyed.
class Program {
public:
    // `program`: another copy of the program file (empty: the one built).
    explicit Program(const QStringList& arguments = {},
                     const QProcessEnvironment& environment = OffscreenEnvironment(),
                     const QString& program = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Waits for the program to end; false when it still runs after `timeoutMs`.
    bool WaitForExit(int timeoutMs);
    // Waits until the program listens for other copies (its socket appeared).
    bool WaitUntilListening(int timeoutMs);
    // Asks it to stop as the session would (SIGTERM) and waits; its exit status, -1 when it hung.
    int Terminate();
    int ExitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return m_process.exitStatus(); }
    QByteArray Output();
    qint64 Pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    QByteArray m_output;
};

// Runs a helper tool to its end; its standard output, trimmed. `exitCode` gets -1 when it hung;
// `standardError`, when given, gets what the tool wrote there.
QString RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                int* exitCode = nullptr, int timeoutMs = 10000, QByteArray* standardError = nullptr);

// An X server of the test's own (Xvfb picking a free display), for what only a real display shows.
class XServer {
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Whether Xvfb and xdotool are installed (the tests needing them skip otherwise).
    static bool Available();
    bool Start();
    // The environment of a program on this display (the test's private folders, the xcb platform).
    QProcessEnvironment Environment() const;

    // Starts a notification area on the display; false when none can be had.
    bool StartTray();
    // Ends the notification area, as when the panel crashes or is removed.
    void StopTray();
    // Waits until the tray docked an icon.
    bool WaitForDockedIcon(int timeoutMs);

    // Visible top-level windows whose title matches `pattern` (a regular expression), by id.
    QStringList VisibleWindows(const QString& pattern) const;
    // Where those windows are on the screen.
    QList<QRect> VisibleWindowGeometries(const QString& pattern) const;
    QString WindowTitle(const QString& window) const;

private:
    QString RunXTool(const QString& program, const QStringList& arguments) const;

    QProcess m_server;
    QProcess m_tray;
    QString m_display;
};

// A Wayland desktop of the test's own: sway without a screen (headless, drawn in memory), its own
// session bus, and optionally waybar as the panel with a StatusNotifier tray. sway refuses to run
// as root, so under root everything of the session (sway, the panel, the program, the tools) runs
// as an unprivileged user made for the tests (kelvara-test) from a private HOME under /tmp.
class WaylandSession {
public:
    WaylandSession() = default;
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // The first tool the session needs that is not installed; empty when all are.
    static QString Missing();
    // Starts the bus and the compositor; false with the reason in `why` when it cannot.
    bool Start(QString* why);
    // Starts waybar with its tray; false when it did not start.
    bool StartPanel();
    // The environment of a program in the session, for the session's user.
    QProcessEnvironment Environment() const;
    // The program built, started in the session (as the session's user).
    std::unique_ptr<Program> StartProgram(const QStringList& arguments,
                                          const QProcessEnvironment& environment) const;
    // Runs a tool of the session as its user; its standard output.
    QString Run(const QString& tool, const QStringList& arguments, int* exitCode = nullptr) const;
    // Types with wtype (one virtual keyboard for all of `arguments`: a new one closes open popups).
    bool Type(const QStringList& arguments) const;
    // The titles of the windows sway shows, and the focused one's.
    QStringList WindowTitles() const;
    QString FocusedTitle() const;
    // What the session bus's StatusNotifier watcher has registered (empty when none runs).
    QString RegisteredItems() const;
    // The program's settings file in the session.
    QString SettingsFile() const;
    // A new activation token from the compositor, as a launcher gets one; empty when none is had.
    QString ActivationToken() const;

private:
    // The titles of the compositor's views, and the focused one's.
    void ReadTree(QStringList& titles, QString& focused) const;
    QStringList AsUser(const QString& program, const QStringList& arguments) const;

    QString m_folder;
    uint m_uid = 0;
    uint m_gid = 0;
    bool m_switchUser = false;
    QString m_display;
    QString m_bus;
    QProcess m_busProcess;
    QProcess m_sway;
    QProcess m_panel;
};

// A title of the main window: "Kelvara", or "Kelvara [<category>]" once a category is shown.
inline const QString kWindowTitlePattern = QStringLiteral("^Kelvara( \\[.+\\])?$");

// Waits until the program shows windows of that title on `x` (into `windows`) or ends; false when
// neither happened within `timeoutMs`.
bool WaitForProgramWindows(const XServer& x, const Program& program, QStringList& windows,
                           int timeoutMs = 20000);
// Gives `window` the keyboard (without a window manager nobody else does); false when it would not
// take it within ten seconds.
bool FocusWindow(const QString& window, const QProcessEnvironment& environment);

} // namespace kelvara::test
