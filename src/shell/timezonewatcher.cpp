#include "shell/timezonewatcher.h"

#include "platform/smallfile.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <ctime>
#include <utility>

#include <sys/timerfd.h>
#include <unistd.h>

namespace kelvara {

namespace {
// A file's bytes as every small file is read: a FIFO, a device or a huge file reads as nothing.
QByteArray FileBytes(const QString& path)
{
    std::string bytes;
    if (!ReadSmallFile(QFile::encodeName(path).toStdString(), bytes))
        return {};
    return QByteArray::fromStdString(bytes);
}
} // namespace

TimeZoneWatcher::TimeZoneWatcher(QObject* parent, const QString& etcFolder, ClockWatch clock)
    : QObject(parent), m_folder(etcFolder), m_watcher(new QFileSystemWatcher(this)),
      m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &TimeZoneWatcher::Check);
    // A replaced file leaves the watch; the folder's watch sees the new one arrive.
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    m_last = Fingerprint();
    Watch();

    // A timer far in the future that the kernel cancels whenever the clock is set.
    if (clock == ClockWatch::On)
        m_clockFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_clockFd >= 0) {
        ArmClockWatch();
        m_clockNotifier = new QSocketNotifier(m_clockFd, QSocketNotifier::Read, this);
        connect(m_clockNotifier, &QSocketNotifier::activated, this, &TimeZoneWatcher::OnClockSet);
    }
}

TimeZoneWatcher::~TimeZoneWatcher()
{
    delete m_clockNotifier;
    if (m_clockFd >= 0)
        ::close(m_clockFd);
}

void TimeZoneWatcher::ArmClockWatch()
{
    constexpr std::time_t kTenYears = 10LL * 365 * 24 * 3600;
    itimerspec when{};
    when.it_value.tv_sec = std::time(nullptr) + kTenYears;
    ::timerfd_settime(m_clockFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void TimeZoneWatcher::OnClockSet()
{
    std::uint64_t expirations = 0;
    // Fails with ECANCELED when the clock was set; either way the timer is armed afresh.
    [[maybe_unused]] const ssize_t n = ::read(m_clockFd, &expirations, sizeof(expirations));
    ArmClockWatch();
    // Told once the settling time has passed, together with anything else that changed meanwhile;
    // a clock stepped again and again is not told more often than that.
    m_clockSet = true;
    if (!m_settle->isActive())
        m_settle->start();
}

QByteArray TimeZoneWatcher::Fingerprint() const
{
    const QString localtime = m_folder + QStringLiteral("/localtime");
    QByteArray print = qgetenv("TZ");
    print += '\0';
    print += QFile::encodeName(QFileInfo(localtime).symLinkTarget());
    print += '\0';
    print += FileBytes(localtime);
    print += '\0';
    print += FileBytes(m_folder + QStringLiteral("/timezone"));
    return print;
}

void TimeZoneWatcher::Watch()
{
    QStringList paths{m_folder};
    for (const char* name : {"/localtime", "/timezone"}) {
        const QString path = m_folder + QLatin1String(name);
        if (QFileInfo::exists(path))
            paths << path;
    }
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    for (const QString& path : paths)
        if (!watched.contains(path))
            m_watcher->addPath(path);
}

void TimeZoneWatcher::Check()
{
    Watch();
    QByteArray now = Fingerprint();
    const bool clockSet = std::exchange(m_clockSet, false);
    if (now == m_last && !clockSet)
        return;
    if (now != m_last) {
        m_last = std::move(now);
        ::tzset();
    }
    emit Changed();
}

} // namespace kelvara
