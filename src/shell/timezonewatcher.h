#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace kelvara {

// Tells when the system's time zone changed (TZ, the zone file /etc/localtime replaced or
// rewritten, /etc/timezone) or the clock was set. It listens to the file system and to the kernel
// and costs nothing while nothing changes. Changed is emitted once per real change, after the C
// library was told (tzset). Settings of the clock that follow each other closely (a time service
// stepping it) count as one.
class TimeZoneWatcher : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TimeZoneWatcher)
public:
    enum class ClockWatch { On, Off };

    // `etcFolder` is where localtime and timezone live; tests point it elsewhere and may leave the
    // clock alone, which the machine's time service may set at any moment.
    explicit TimeZoneWatcher(QObject* parent = nullptr, const QString& etcFolder = QStringLiteral("/etc"),
                             ClockWatch clock = ClockWatch::On);
    ~TimeZoneWatcher() override;

    // What identifies the system's zone now: TZ, where localtime points, its content, the timezone file.
    QByteArray Fingerprint() const;
    // Looks again at once (also run by the file-system watch, slightly delayed).
    void Check();

    static constexpr int kSettleMs = 300;

signals:
    void Changed();

private:
    void Watch();
    void OnFileEvents();
    void ArmClockWatch();
    void OnClockSet();

    QString m_folder;
    QTimer* m_settle;
    int m_fileFd = -1; // inotify
    int m_fileWatches[2] = {-1, -1}; // localtime, timezone
    QSocketNotifier* m_fileNotifier = nullptr;
    QByteArray m_last;
    bool m_clockSet = false; // since the last Changed
    int m_clockFd = -1;
    QSocketNotifier* m_clockNotifier = nullptr;
};

} // namespace kelvara
