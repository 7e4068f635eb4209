#include "process.h"

#include "kelvara/testpaths.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstdlib>

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
    const QString found = RunXTool(
        QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern});
    return found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<QRect> XServer::VisibleWindowGeometries(const QString& pattern) const
{
    // xwininfo, not xdotool: xdotool does not find windows that bypass the window manager (menus).
    const QString tree = RunXTool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
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
