#include "shell/timezonewatcher.h"

#include "platform/smallfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <ctime>
#include <utility>

#include <sys/inotify.h>
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
    : QObject(parent), m_folder(etcFolder), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &TimeZoneWatcher::Check);
    m_fileFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fileFd >= 0) {
        m_fileNotifier = new QSocketNotifier(m_fileFd, QSocketNotifier::Read, this);
        connect(m_fileNotifier, &QSocketNotifier::activated, this, &TimeZoneWatcher::OnFileEvents);
    }
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
    delete m_fileNotifier;
    for (const int fd : {m_clockFd, m_fileFd})
        if (fd >= 0)
            ::close(fd);
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
    if (m_fileFd < 0)
        return;
    const QByteArray folder = QFile::encodeName(m_folder);
    // Entries that come and go: a zone link renamed over the old one arrives here.
    ::inotify_add_watch(m_fileFd, folder.constData(),
                        IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR);
    // The files themselves, rewritten in place; through a link, the zone file it names. A file
    // replaced since the last look is watched afresh and the one it replaced no longer.
    const char* const names[] = {"/localtime", "/timezone"};
    for (int i = 0; i < 2; ++i) {
        const int watch =
            ::inotify_add_watch(m_fileFd, (folder + names[i]).constData(),
                                IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF);
        if (m_fileWatches[i] >= 0 && m_fileWatches[i] != watch)
            ::inotify_rm_watch(m_fileFd, m_fileWatches[i]);
        m_fileWatches[i] = watch;
    }
}

void TimeZoneWatcher::OnFileEvents()
{
    // What changed is read from the files once things have settled; the events only say when.
    alignas(inotify_event) char events[4096];
    while (::read(m_fileFd, events, sizeof(events)) > 0) {
    }
    m_settle->start();
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
