#include "process.h"

#include "kelvara/testpaths.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace kelvara::test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

namespace {

// The program's environment: the test's, and in a sanitizer build the leaks of the desktop
// libraries set aside.
QProcessEnvironment ProgramEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString lsan = environment.value(QStringLiteral("LSAN_OPTIONS"));
    if (!lsan.isEmpty())
        lsan += QLatin1Char(':');
    environment.insert(
        QStringLiteral("LSAN_OPTIONS"),
        lsan + QStringLiteral("suppressions=" KELVARA_SOURCE_DIR "/tests/shell/process/lsan.supp"));
    return environment;
}

} // namespace

QProcessEnvironment OffscreenEnvironment()
{
    QProcessEnvironment environment = ProgramEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return environment;
}

QString SettingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Brask/Kelvara.conf");
}

void WriteSettings(const QByteArray& ini)
{
    QDir().mkpath(QFileInfo(SettingsFile()).path());
    QFile file(SettingsFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(ini);
}

QStringList InstanceSockets()
{
    const QDir folder(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/kelvara"));
    QStringList sockets;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::System | QDir::Hidden))
        if (entry.fileName().endsWith(QStringLiteral(".sock")))
            sockets << entry.filePath();
    return sockets;
}

Program::Program(const QStringList& arguments, const QProcessEnvironment& environment, const QString& program)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program.isEmpty() ? QStringLiteral(KELVARA_PROGRAM) : program, arguments);
    m_process.waitForStarted(10000);
}

Program::~Program()
{
    if (IsRunning()) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool Program::WaitForExit(int timeoutMs)
{
    return WaitUntil([this] { return !IsRunning(); }, timeoutMs);
}

bool Program::WaitUntilListening(int timeoutMs)
{
    const QString prefix = QString::number(Pid()) + QLatin1Char('-');
    return WaitUntil(
               [&] {
                   for (const QString& socket : InstanceSockets())
                       if (QFileInfo(socket).fileName().startsWith(prefix))
                           return true;
                   return !IsRunning();
               },
               timeoutMs) &&
           IsRunning();
}

int Program::Terminate()
{
    m_process.terminate();
    if (!WaitForExit(10000))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray Program::Output()
{
    m_output += m_process.readAll();
    return m_output;
}

QString RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                int* exitCode, int timeoutMs, QByteArray* standardError)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool finished = process.waitForStarted(5000) && process.waitForFinished(timeoutMs);
    if (!finished)
        process.kill();
    if (exitCode)
        *exitCode = finished ? process.exitCode() : -1;
    if (standardError)
        *standardError = process.readAllStandardError();
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

XServer::~XServer()
{
    for (QProcess* process : {&m_tray, &m_server}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }
}

bool XServer::Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

bool XServer::Start()
{
    // -displayfd: the server picks a free display and tells its number on our pipe.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24")});
    if (!m_server.waitForStarted(5000))
        return false;
    QByteArray number;
    if (!WaitUntil(
            [&] {
                number += m_server.readAllStandardOutput();
                return number.contains('\n') || m_server.state() == QProcess::NotRunning;
            },
            15000))
        return false;
    if (!number.contains('\n'))
        return false;
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

QProcessEnvironment XServer::Environment() const
{
    QProcessEnvironment environment = ProgramEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("XAUTHORITY"));
    return environment;
}

bool XServer::StartTray()
{
#ifdef KELVARA_FAKE_TRAY
    m_tray.setProcessEnvironment(Environment());
    m_tray.start(QStringLiteral(KELVARA_FAKE_TRAY), {});
    QByteArray output;
    return m_tray.waitForStarted(5000) && WaitUntil(
                                              [&] {
                                                  output += m_tray.readAllStandardOutput();
                                                  return output.contains("ready\n");
                                              },
                                              10000);
#else
    return false;
#endif
}

void XServer::StopTray()
{
    m_tray.kill();
    m_tray.waitForFinished(5000);
}

bool XServer::WaitForDockedIcon(int timeoutMs)
{
    QByteArray output;
    return WaitUntil(
        [&] {
            output += m_tray.readAllStandardOutput();
            return output.contains("docked");
        },
        timeoutMs);
}

QString XServer::RunXTool(const QString& program, const QStringList& arguments) const
{
    // Xlib ends a tool at the first error, and a window that goes away while the tool walks the
    // tree (a client that has just ended, a menu closing) is one: such a walk is taken again.
    QString output;
    QByteArray errors;
    for (int attempt = 0; attempt < 5; ++attempt) {
        output = RunTool(program, arguments, Environment(), nullptr, 10000, &errors);
        if (!errors.contains("X Error"))
            break;
    }
    return output;
}

QStringList XServer::VisibleWindows(const QString& pattern) const
{
    const QString found =
        RunXTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                             QStringLiteral("--name"), pattern});
    return found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<QRect> XServer::VisibleWindowGeometries(const QString& pattern) const
{
    // xwininfo, not xdotool: xdotool does not find windows that bypass the window manager (menus).
    const QString tree =
        RunXTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    static const QRegularExpression topLevel(
        QStringLiteral(
            "^ {5}(0x[0-9a-f]+) \"(.*)\": .*\\s(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)$"),
        QRegularExpression::MultilineOption);
    const QRegularExpression name(pattern);
    QList<QRect> geometries;
    for (const QRegularExpressionMatch& match : topLevel.globalMatch(tree)) {
        if (!name.match(match.captured(2)).hasMatch())
            continue;
        const QString info =
            RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), match.captured(1)}, Environment());
        if (info.contains(QStringLiteral("Map State: IsViewable")))
            geometries << QRect(match.captured(5).toInt(), match.captured(6).toInt(),
                                match.captured(3).toInt(), match.captured(4).toInt());
    }
    return geometries;
}

QString XServer::WindowTitle(const QString& window) const
{
    return RunTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window}, Environment());
}

bool WaitForProgramWindows(const XServer& x, const Program& program, QStringList& windows, int timeoutMs)
{
    return WaitUntil(
        [&] {
            windows = x.VisibleWindows(kWindowTitlePattern);
            return !windows.isEmpty() || !program.IsRunning();
        },
        timeoutMs);
}

bool FocusWindow(const QString& window, const QProcessEnvironment& environment)
{
    return WaitUntil(
        [&] {
            RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), window}, environment);
            return RunTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}, environment) ==
                   window;
        },
        10000);
}

} // namespace kelvara::test
namespace kelvara::test {

namespace {

const QString kTestUser = QStringLiteral("kelvara-test");

void Stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.closeWriteChannel();
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

WaylandSession::~WaylandSession()
{
    Stop(m_panel);
    Stop(m_sway);
    // The bus ends with its shell's input, and takes its daemon with it; a signal would leave that.
    m_busProcess.closeWriteChannel();
    m_busProcess.waitForFinished(5000);
    Stop(m_busProcess);
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

QString WaylandSession::Missing()
{
    for (const char* tool : {"sway", "swaymsg", "wtype", "dbus-run-session", "dbus-send", "setpriv"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QString::fromLatin1(tool);
    return {};
}

QStringList WaylandSession::AsUser(const QString& program, const QStringList& arguments) const
{
    if (!m_switchUser)
        return QStringList{program} + arguments;
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(m_uid),
                       QStringLiteral("--regid=%1").arg(m_gid), QStringLiteral("--clear-groups"), program} +
           arguments;
}

bool WaylandSession::Start(QString* why)
{
    m_switchUser = ::geteuid() == 0;
    m_uid = ::geteuid();
    m_gid = ::getegid();
    if (m_switchUser) {
        if (!::getpwnam(kTestUser.toLatin1().constData()))
            RunTool(QStringLiteral("useradd"),
                    {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                     QStringLiteral("--home-dir"), QStringLiteral("/nonexistent"), QStringLiteral("--shell"),
                     QStringLiteral("/usr/sbin/nologin"), QStringLiteral("--user-group"), kTestUser},
                    QProcessEnvironment::systemEnvironment());
        const passwd* user = ::getpwnam(kTestUser.toLatin1().constData());
        if (!user) {
            *why = QStringLiteral("no unprivileged user %1 could be made to run sway").arg(kTestUser);
            return false;
        }
        m_uid = user->pw_uid;
        m_gid = user->pw_gid;
    }
    // A private HOME and runtime folder the user owns, in a folder anyone may pass through.
    QByteArray folder = QByteArrayLiteral("/tmp/kelvara-wayland.XXXXXX");
    if (!::mkdtemp(folder.data())) {
        *why = QStringLiteral("no folder under /tmp");
        return false;
    }
    m_folder = QString::fromLocal8Bit(folder);
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ExeGroup | QFileDevice::ExeOther);
    for (const char* sub : {"/home", "/home/.config/waybar", "/run", "/home/tmp"}) {
        QDir().mkpath(m_folder + QLatin1String(sub));
    }
    QFile config(m_folder + QStringLiteral("/home/sway.conf"));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    // A compositor that gives a window the focus it asks for with a valid activation token.
    config.write("output HEADLESS-1 resolution 1024x768\n"
                 "focus_on_window_activation focus\n");
    config.close();
    QFile bar(m_folder + QStringLiteral("/home/.config/waybar/config"));
    if (!bar.open(QIODevice::WriteOnly))
        return false;
    bar.write(R"({"layer": "top", "position": "bottom", "height": 26, "modules-right": ["tray"],
                  "tray": {"icon-size": 18, "spacing": 4}})");
    bar.close();
    QFile::setPermissions(m_folder + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (m_switchUser) {
        RunTool(QStringLiteral("chown"),
                {QStringLiteral("-R"), QStringLiteral("%1:%2").arg(m_uid).arg(m_gid),
                 m_folder + QStringLiteral("/home"), m_folder + QStringLiteral("/run")},
                QProcessEnvironment::systemEnvironment());
        int readable = -1;
        Run(QStringLiteral("test"), {QStringLiteral("-x"), QStringLiteral(KELVARA_PROGRAM)}, &readable);
        if (readable != 0) {
            *why = QStringLiteral(
                       "the built program is not readable to %1: make its folders readable (chmod o+rx)")
                       .arg(kTestUser);
            return false;
        }
    }

    // The session bus first: the compositor, panel and program all use it. Its shell's input
    // closing ends it.
    const QStringList bus = AsUser(QStringLiteral("dbus-run-session"),
                                   {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                                    QStringLiteral("echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat")});
    QProcessEnvironment base = Environment();
    base.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_busProcess.setProcessEnvironment(base);
    m_busProcess.setStandardErrorFile(QProcess::nullDevice());
    m_busProcess.start(bus.first(), bus.mid(1));
    QByteArray address;
    if (!m_busProcess.waitForStarted(5000) ||
        !WaitUntil(
            [&] {
                address += m_busProcess.readAllStandardOutput();
                return address.contains('\n') || m_busProcess.state() == QProcess::NotRunning;
            },
            10000) ||
        !address.contains('\n')) {
        *why = QStringLiteral("no session bus (dbus-run-session)");
        return false;
    }
    m_bus = QString::fromLatin1(address.trimmed());

    QProcessEnvironment environment = Environment();
    // Without a GPU: the headless backend, drawn by the CPU, no input devices of its own.
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_sway.setProcessEnvironment(environment);
    m_sway.setStandardOutputFile(m_folder + QStringLiteral("/sway.log"));
    m_sway.setStandardErrorFile(m_folder + QStringLiteral("/sway.log"));
    const QStringList sway = AsUser(QStringLiteral("sway"), {QStringLiteral("-c"), config.fileName()});
    m_sway.start(sway.first(), sway.mid(1));
    const QDir run(m_folder + QStringLiteral("/run"));
    if (!m_sway.waitForStarted(5000) ||
        !WaitUntil(
            [&] {
                const QStringList found = run.entryList({QStringLiteral("wayland-*")}, QDir::System);
                for (const QString& name : found)
                    if (!name.endsWith(QStringLiteral(".lock")))
                        m_display = name;
                return (!m_display.isEmpty() &&
                        !run.entryList({QStringLiteral("sway-ipc.*")}, QDir::System).isEmpty()) ||
                       m_sway.state() == QProcess::NotRunning;
            },
            15000) ||
        m_sway.state() == QProcess::NotRunning || m_display.isEmpty()) {
        QFile log(m_folder + QStringLiteral("/sway.log"));
        log.open(QIODevice::ReadOnly);
        *why = QStringLiteral("sway did not start headless: ") +
               QString::fromLocal8Bit(log.readAll().right(400));
        return false;
    }
    return true;
}

bool WaylandSession::StartPanel()
{
    const QStringList panel = AsUser(QStringLiteral("waybar"), {});
    m_panel.setProcessEnvironment(Environment());
    m_panel.setStandardOutputFile(QProcess::nullDevice());
    m_panel.setStandardErrorFile(QProcess::nullDevice());
    m_panel.start(panel.first(), panel.mid(1));
    return m_panel.waitForStarted(5000);
}

QProcessEnvironment WaylandSession::Environment() const
{
    QProcessEnvironment environment = OffscreenEnvironment();
    const QString home = m_folder + QStringLiteral("/home");
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("/tmp"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder + QStringLiteral("/run"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_display);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus);
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("XAUTHORITY"));
    // No accessibility bus for GTK (the panel): it would outlive the test.
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    const QStringList sockets =
        QDir(m_folder + QStringLiteral("/run")).entryList({QStringLiteral("sway-ipc.*")}, QDir::System);
    if (!sockets.isEmpty())
        environment.insert(QStringLiteral("SWAYSOCK"), m_folder + QStringLiteral("/run/") + sockets.first());
    return environment;
}

std::unique_ptr<Program> WaylandSession::StartProgram(const QStringList& arguments,
                                                      const QProcessEnvironment& environment) const
{
    const QStringList command = AsUser(QStringLiteral(KELVARA_PROGRAM), arguments);
    return std::make_unique<Program>(command.mid(1), environment, command.first());
}

QString WaylandSession::Run(const QString& tool, const QStringList& arguments, int* exitCode) const
{
    const QStringList command = AsUser(tool, arguments);
    return RunTool(command.first(), command.mid(1), Environment(), exitCode);
}

bool WaylandSession::Type(const QStringList& arguments) const
{
    int status = -1;
    // The compositor loses the first keys of a new virtual keyboard that follow it at once.
    Run(QStringLiteral("wtype"), QStringList{QStringLiteral("-s"), QStringLiteral("300")} + arguments,
        &status);
    return status == 0;
}

namespace {

void CollectViews(const QJsonObject& node, QStringList& titles, QString& focused)
{
    const QString name = node.value(QStringLiteral("name")).toString();
    // Windows are "con" nodes, or "floating_con" ones for a fixed-size window such as ours.
    if (node.value(QStringLiteral("type")).toString().endsWith(QStringLiteral("con")) &&
        node.contains(QStringLiteral("app_id"))) {
        titles << name;
        if (node.value(QStringLiteral("focused")).toBool())
            focused = name;
    }
    for (const char* key : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
            CollectViews(child.toObject(), titles, focused);
}

} // namespace

void WaylandSession::ReadTree(QStringList& titles, QString& focused) const
{
    CollectViews(
        QJsonDocument::fromJson(
            Run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")}).toUtf8())
            .object(),
        titles, focused);
}

QStringList WaylandSession::WindowTitles() const
{
    QStringList titles;
    QString focused;
    ReadTree(titles, focused);
    return titles;
}

QString WaylandSession::FocusedTitle() const
{
    QStringList titles;
    QString focused;
    ReadTree(titles, focused);
    return focused;
}

QString WaylandSession::RegisteredItems() const
{
    return Run(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                             QStringLiteral("--dest=org.kde.StatusNotifierWatcher"),
                                             QStringLiteral("/StatusNotifierWatcher"),
                                             QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                             QStringLiteral("string:org.kde.StatusNotifierWatcher"),
                                             QStringLiteral("string:RegisteredStatusNotifierItems")});
}

QString WaylandSession::ActivationToken() const
{
#ifdef KELVARA_ACTIVATION_TOKEN
    int status = -1;
    const QString token = Run(QStringLiteral(KELVARA_ACTIVATION_TOKEN), {}, &status);
    return status == 0 ? token : QString();
#else
    return {};
#endif
}

QString WaylandSession::SettingsFile() const
{
    return m_folder + QStringLiteral("/home/.config/Brask/Kelvara.conf");
}

} // namespace kelvara::test
