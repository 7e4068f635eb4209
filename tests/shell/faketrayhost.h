#pragma once

#include "shell/trayhost.h"

#include <QStringList>

namespace kelvara::test {

// A notification area that records what it is asked and takes or refuses requests on demand.
class FakeTrayHost : public TrayHost {
public:
    struct Balloon {
        QString title;
        QString text;
        int timeout;
        unsigned icon;
    };

    bool Add(const QIcon& icon, const QString& tooltip) override
    {
        Log(QStringLiteral("add"));
        if (!available)
            return false;
        shown = true;
        lastIcon = icon;
        lastTooltip = tooltip;
        return true;
    }
    bool Modify(const QIcon& icon, const QString& tooltip) override
    {
        Log(QStringLiteral("modify"));
        if (!available)
            return false;
        lastIcon = icon;
        lastTooltip = tooltip;
        return true;
    }
    bool Delete() override
    {
        Log(QStringLiteral("delete"));
        if (refuseDelete)
            return false;
        shown = false;
        return true;
    }
    bool ShowBalloon(const QString& title, const QString& text, int timeout, unsigned icon) override
    {
        Log(QStringLiteral("balloon"));
        balloons.push_back({title, text, timeout, icon});
        return available;
    }
    void SetMenu(QMenu* m) override { menu = m; }
    bool IsStatusNotifier() override { return statusNotifier; }

    void Raise(TrayEvent event) { emit Event(event); }
    // The tray goes away until `available` is set again.
    void Lose()
    {
        available = false;
        emit Lost();
    }

    void Log(const QString& request)
    {
        requests << request;
        if (journal)
            *journal << request;
    }

    bool available = true;
    bool refuseDelete = false;
    bool statusNotifier = false;
    bool shown = false;
    QStringList requests;
    std::vector<Balloon> balloons;
    QIcon lastIcon;
    QString lastTooltip;
    QMenu* menu = nullptr;
    QStringList* journal = nullptr; // also records here, when set (outlives the host)
};

} // namespace kelvara::test
