// The program on the notification areas people use, run from their Debian packages on Xvfb: an
// XEmbed tray (trayer) at the top and at the bottom edge, and a StatusNotifier watcher with a
// StatusNotifier tray on a private D-Bus session. Each test skips when its host is not installed.
#include "process.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#if KELVARA_TEST_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using kelvara::test::Program;
using kelvara::test::XServer;

constexpr int kStartMs = 20000;
// Longer than any desktop's double-click interval (Qt's default is 400 ms).
constexpr int kPastDoubleClickMs = 900;

bool Installed(const char* program)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// Whether an XEmbed tray owns the first screen's tray selection on `display`. A tray program owns
// it a while after it has started; a hidden start before that finds no tray and shows its window.
bool TrayOwned(const QString& display)
{
#if KELVARA_TEST_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    bool owned = false;
    if (!xcb_connection_has_error(connection)) {
        static const char name[] = "_NET_SYSTEM_TRAY_S0";
        if (auto* atom = xcb_intern_atom_reply(
                connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr)) {
            if (auto* owner = xcb_get_selection_owner_reply(
                    connection, xcb_get_selection_owner(connection, atom->atom), nullptr)) {
                owned = owner->owner != XCB_NONE;
                std::free(owner);
            }
            std::free(atom);
        }
    }
    xcb_disconnect(connection);
    return owned;
#else
    Q_UNUSED(display);
    return true; // cannot tell: go on at once, as before
#endif
}

// A StatusNotifier watcher and tray on a private session bus, from Debian's packages.
const std::vector<const char*> kStatusNotifierTray{"dbus-run-session", "dbus-send", "status-notifier-watcher",
                                                   "gtk-sni-tray-standalone"};
constexpr const char* kStatusNotifierPackages =
    "(Debian packages dbus, haskell-status-notifier-item-utils, haskell-gtk-sni-tray-utils)";

// The first of `programs` that is not installed; empty when all are.
std::string FirstMissing(const std::vector<const char*>& programs)
{
    for (const char* program : programs)
        if (!Installed(program))
            return program;
    return {};
}

void Pause(int ms)
{
    kelvara::test::WaitUntil([] { return false; }, ms);
}

bool BalloonsTurnedOff()
{
    QFile settings(kelvara::test::SettingsFile());
    return settings.open(QIODevice::ReadOnly) && settings.readAll().contains("ShowBalloon=0");
}

// The desktop's notification service, as far as the program uses it: it takes notifications and
// reports clicks on them, by id, to everyone on the bus.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotifications(const QString& address)
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("notifications")))
    {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                             QDBusConnection::ExportAllSlots);
        m_registered = m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~FakeNotifications() override { QDBusConnection::disconnectFromBus(QStringLiteral("notifications")); }

    bool IsRegistered() const { return m_registered; }

    struct Shown {
        uint id;
        QString summary;
        QString body;
        QStringList actions;
    };
    std::vector<Shown> shown;

    void Click(uint id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        m_bus.send(signal);
    }

public slots:
    uint Notify(const QString& /*app*/, uint replaces, const QString& /*icon*/, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& /*hints*/,
                int /*timeout*/)
    {
        const uint id = replaces != 0 ? replaces : ++m_last;
        shown.push_back({id, summary, body, actions});
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    uint m_last = 40;
};

class TrayHosts : public testing::Test {
protected:
    void SetUp() override
    {
        if (!XServer::Available())
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(m_x.Start());
        m_environment = m_x.Environment();
        // No accessibility bus for the GTK tray: it would outlive the test.
        m_environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    }

    void TearDown() override
    {
        m_program.reset();
        for (auto it = m_hosts.rbegin(); it != m_hosts.rend(); ++it) {
            (*it)->closeWriteChannel(); // ends the session bus
            if (!(*it)->waitForFinished(100))
                (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) {
                (*it)->kill();
                (*it)->waitForFinished(5000);
            }
        }
    }

    // Only standard output is kept: what a host leaves running must not hold the test's own output
    // open (ctest waits for that).
    QProcess& StartHost(const QString& program, const QStringList& arguments)
    {
        m_hosts.push_back(std::make_unique<QProcess>());
        QProcess& host = *m_hosts.back();
        host.setProcessEnvironment(m_environment);
        host.setStandardErrorFile(QProcess::nullDevice());
        host.start(program, arguments);
        host.waitForStarted(5000);
        return host;
    }

    // A session bus of the test's own; its address goes into the environment of what starts next.
    bool StartSessionBus()
    {
        // The session ends when its shell's input closes, at the end of the test.
        QProcess& bus = StartHost(QStringLiteral("dbus-run-session"),
                                  {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                                   QStringLiteral("echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat")});
        QByteArray address;
        if (!kelvara::test::WaitUntil(
                [&] {
                    address += bus.readAllStandardOutput();
                    return address.contains('\n') || bus.state() == QProcess::NotRunning;
                },
                10000) ||
            !address.contains('\n'))
            return false;
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                             QString::fromLatin1(address.trimmed()));
        return true;
    }

    // What the session bus answers, by dbus-send; empty when it does not.
    QString Ask(const QStringList& arguments) const
    {
        return kelvara::test::RunTool(
            QStringLiteral("dbus-send"),
            QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply")} + arguments,
            m_environment);
    }

    // A StatusNotifier watcher on a session bus of the test's own.
    void StartWatcher()
    {
        ASSERT_TRUE(StartSessionBus());
        StartHost(QStringLiteral("status-notifier-watcher"), {});
        ASSERT_TRUE(kelvara::test::WaitUntil(
            [&] {
                return Ask({QStringLiteral("--dest=org.freedesktop.DBus"),
                            QStringLiteral("/org/freedesktop/DBus"),
                            QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                            QStringLiteral("string:org.kde.StatusNotifierWatcher")})
                    .contains(QStringLiteral("true"));
            },
            10000))
            << "the watcher did not start";
    }

    bool WatcherHasItem() const
    {
        return Ask({QStringLiteral("--dest=org.kde.StatusNotifierWatcher"),
                    QStringLiteral("/StatusNotifierWatcher"),
                    QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                    QStringLiteral("string:org.kde.StatusNotifierWatcher"),
                    QStringLiteral("string:RegisteredStatusNotifierItems")})
            .contains(QRegularExpression(QStringLiteral("array \\[\\s*string")));
    }

    // The menu the program exports for StatusNotifier trays to render: "label enabled" per entry.
    QStringList ExportedMenu() const
    {
        static const QRegularExpression item(QStringLiteral("string \"(:[0-9.]+)\""));
        const QString items = Ask({QStringLiteral("--dest=org.kde.StatusNotifierWatcher"),
                                   QStringLiteral("/StatusNotifierWatcher"),
                                   QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                   QStringLiteral("string:org.kde.StatusNotifierWatcher"),
                                   QStringLiteral("string:RegisteredStatusNotifierItems")});
        const QString service = item.match(items).captured(1);
        static const QRegularExpression path(QStringLiteral("object path \"([^\"]+)\""));
        const QString menu =
            path.match(
                    Ask({QStringLiteral("--dest=") + service, QStringLiteral("/StatusNotifierItem"),
                         QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                         QStringLiteral("string:org.kde.StatusNotifierItem"), QStringLiteral("string:Menu")}))
                .captured(1);
        const QString layout =
            Ask({QStringLiteral("--dest=") + service, menu,
                 QStringLiteral("com.canonical.dbusmenu.GetLayout"), QStringLiteral("int32:0"),
                 QStringLiteral("int32:-1"), QStringLiteral("array:string:label,enabled")});
        static const QRegularExpression entry(
            QStringLiteral("string \"enabled\"\\s+variant\\s+boolean (\\w+)[^\"]*string "
                           "\"label\"\\s+variant\\s+string \"([^\"]*)\""));
        QStringList entries;
        for (const QRegularExpressionMatch& match : entry.globalMatch(layout))
            entries << match.captured(2) + QLatin1Char(' ') + match.captured(1);
        return entries;
    }

    void StartProgram()
    {
        m_program = std::make_unique<Program>(QStringList{QStringLiteral("/hidden")}, m_environment);
        ASSERT_TRUE(m_program->WaitUntilListening(kStartMs)) << m_program->Output().constData();
    }

    // The icon an XEmbed tray docked: a window of ours inside the tray's, where xwininfo shows it.
    QRect DockedIcon() const
    {
        const QString tree = kelvara::test::RunTool(
            QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, m_environment);
        static const QRegularExpression docked(
            QStringLiteral(
                "^ {6,}0x[0-9a-f]+ \"Kelvara\": \\(\"kelvara\".*\\s(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+\\s+"
                "\\+(-?\\d+)\\+(-?\\d+)$"),
            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = docked.match(tree);
        if (!match.hasMatch())
            return {};
        return QRect(match.captured(3).toInt(), match.captured(4).toInt(), match.captured(1).toInt(),
                     match.captured(2).toInt());
    }

    void Tool(const QStringList& arguments) const
    {
        int status = -1;
        kelvara::test::RunTool(QStringLiteral("xdotool"), arguments, m_environment, &status);
        EXPECT_EQ(status, 0) << arguments.join(QLatin1Char(' ')).toStdString();
    }
    void Click(int button) const { Tool({QStringLiteral("click"), QString::number(button)}); }
    void DoubleClick() const
    {
        Tool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
              QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
    }
    void Key(const char* key) const { Tool({QStringLiteral("key"), QString::fromLatin1(key)}); }
    void PointAt(const QPoint& point) const
    {
        Tool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
    }

    bool WindowShown() const { return !m_x.VisibleWindows(kelvara::test::kWindowTitlePattern).isEmpty(); }
    bool WaitForWindow(bool shown) const
    {
        return kelvara::test::WaitUntil([&] { return WindowShown() == shown; }, 5000);
    }

    // Menus are the windows of `pattern` taller than a panel and narrower than the balloon.
    QList<QRect> Menus(const QString& pattern) const
    {
        QList<QRect> menus;
        for (const QRect& rect : m_x.VisibleWindowGeometries(pattern))
            if (rect.height() > 60 && rect.width() < 320)
                menus << rect;
        return menus;
    }
    bool WaitForMenu(const QString& pattern, int timeoutMs) const
    {
        return kelvara::test::WaitUntil([&] { return !Menus(pattern).isEmpty(); }, timeoutMs);
    }

    // The clicks every tray must get right; `menus` names the windows its menu appears in.
    void ClicksDoubleClicksAndTheMenu(const QString& menus, bool statusNotifier)
    {
        // A double click shows the window and another hides it; neither ends in a menu or, with
        // the menu over the icon at a bottom edge, in "Exit".
        for (bool shown : {true, false}) {
            SCOPED_TRACE(shown ? "double click to show" : "double click to hide");
            DoubleClick();
            EXPECT_TRUE(WaitForWindow(shown));
            Pause(kPastDoubleClickMs);
            EXPECT_TRUE(Menus(menus).isEmpty());
            EXPECT_TRUE(m_program->IsRunning());
        }
        // Clicks on the icon while the balloon showed were the icon's, not the balloon's.
        EXPECT_FALSE(BalloonsTurnedOff());

        if (statusNotifier) {
            // The tray renders the program's own menu, in step with the window.
            const QString charMap = QStringLiteral("_Character Map ") +
                                    QLatin1String(Installed("gucharmap") || Installed("gnome-characters") ||
                                                          Installed("kcharselect") || Installed("charmap")
                                                      ? "true"
                                                      : "false");
            EXPECT_EQ(ExportedMenu().join(QStringLiteral(", ")).toStdString(),
                      ("_Open true, " + charMap +
                       ", Optio_ns true, _Help true, _About... true, _Check for Updates true, Update "
                       "Currency _Rates true, _Exit true")
                          .toStdString());
            // A click toggles the window.
            Click(1);
            EXPECT_TRUE(WaitForWindow(true));
            EXPECT_TRUE(kelvara::test::WaitUntil(
                [&] { return ExportedMenu().value(0) == QStringLiteral("_Close true"); }, 3000))
                << ExportedMenu().join(QStringLiteral(", ")).toStdString();
            Pause(kPastDoubleClickMs);
            Click(1);
            EXPECT_TRUE(WaitForWindow(false));
            Pause(kPastDoubleClickMs);
            EXPECT_TRUE(Menus(menus).isEmpty());
        } else {
            // A click opens the menu once no second click can follow, beside the icon.
            Click(1);
            ASSERT_TRUE(WaitForMenu(menus, 3000));
            EXPECT_FALSE(Menus(menus).front().intersects(DockedIcon()));
            Key("o"); // "&Open"
            EXPECT_TRUE(WaitForWindow(true));
            EXPECT_TRUE(kelvara::test::WaitUntil([&] { return Menus(menus).isEmpty(); }, 3000));
            Pause(kPastDoubleClickMs);
            Click(3);
            ASSERT_TRUE(WaitForMenu(menus, 3000));
            // "&Close" shares its key with "&Character Map": the key picks it, Return chooses it.
            Key("c");
            Key("Return");
            EXPECT_TRUE(WaitForWindow(false));
            Pause(kPastDoubleClickMs);
        }

        // A right click shows the menu: its first entry toggles, "Exit" ends the program.
        Click(3);
        ASSERT_TRUE(WaitForMenu(menus, 3000));
        Key("o");
        EXPECT_TRUE(WaitForWindow(true));
        Pause(kPastDoubleClickMs);
        EXPECT_TRUE(m_program->IsRunning());
        Click(3);
        ASSERT_TRUE(WaitForMenu(menus, 3000));
        Key("e");
        ASSERT_TRUE(m_program->WaitForExit(10000));
        EXPECT_EQ(m_program->ExitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_program->ExitCode(), 0) << m_program->Output().constData();
    }

    void OnAnXEmbedTray(const char* edge)
    {
        if (!Installed("trayer") || !Installed("xwininfo"))
            GTEST_SKIP() << "trayer or xwininfo is not installed (Debian packages trayer, x11-utils)";
        StartHost(QStringLiteral("trayer"),
                  {QStringLiteral("--edge"), QString::fromLatin1(edge), QStringLiteral("--align"),
                   QStringLiteral("left"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                   QStringLiteral("--width"), QStringLiteral("100"), QStringLiteral("--height"),
                   QStringLiteral("24")});
        ASSERT_TRUE(kelvara::test::WaitUntil(
            [&] { return TrayOwned(m_environment.value(QStringLiteral("DISPLAY"))); }, kStartMs))
            << "trayer took no tray selection";
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        QRect icon;
        ASSERT_TRUE(kelvara::test::WaitUntil(
            [&] {
                icon = DockedIcon();
                return icon.isValid();
            },
            kStartMs))
            << "the icon was not docked";
        // The balloon of the hidden start points at the icon, not at the corner of the screen.
        QRect balloon;
        ASSERT_TRUE(kelvara::test::WaitUntil(
            [&] {
                for (const QRect& rect : m_x.VisibleWindowGeometries(QStringLiteral("^Kelvara$")))
                    if (rect.width() >= 320)
                        balloon = rect;
                return balloon.isValid();
            },
            5000))
            << "no balloon";
        EXPECT_LT(std::min(std::abs(balloon.top() - icon.bottom()), std::abs(icon.top() - balloon.bottom())),
                  40)
            << "balloon at " << balloon.y() << ", icon at " << icon.y();
        PointAt(icon.center());
        ClicksDoubleClicksAndTheMenu(QStringLiteral("^Kelvara$"), false);
    }

    XServer m_x;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_hosts;
    std::unique_ptr<Program> m_program;
};

TEST_F(TrayHosts, XEmbedTrayAtTheTop)
{
    OnAnXEmbedTray("top");
}

TEST_F(TrayHosts, XEmbedTrayAtTheBottom)
{
    OnAnXEmbedTray("bottom");
}

TEST_F(TrayHosts, StatusNotifierTrayAtTheBottom)
{
    if (const std::string missing = FirstMissing(kStatusNotifierTray); !missing.empty())
        GTEST_SKIP() << missing << " is not installed " << kStatusNotifierPackages;
    ASSERT_NO_FATAL_FAILURE(StartWatcher());
    StartHost(QStringLiteral("gtk-sni-tray-standalone"), {QStringLiteral("--bottom")});
    const QString bar = QStringLiteral("^gtk-sni-tray-standalone$");
    QRect panel;
    ASSERT_TRUE(kelvara::test::WaitUntil(
        [&] {
            // The bar is mapped at the top first, then moved to the bottom of the 768 lines.
            for (const QRect& rect : m_x.VisibleWindowGeometries(bar))
                if (rect.width() > 500 && rect.bottom() == 767)
                    panel = rect;
            return panel.isValid();
        },
        kStartMs))
        << "the tray did not appear";

    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(kelvara::test::WaitUntil([&] { return WatcherHasItem(); }, kStartMs)) << "no item registered";
    // The tray puts its only item square at the start of its bar, and draws it a while after the
    // item registered: until then the bar is black there.
    const QPoint icon(panel.left() + panel.height() / 2, panel.top() + panel.height() / 2);
    ASSERT_TRUE(kelvara::test::WaitUntil(
        [&] {
            const QString mean = kelvara::test::RunTool(
                QStringLiteral("import"),
                {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
                 QStringLiteral("16x16+%1+%2").arg(icon.x() - 8).arg(icon.y() - 8), QStringLiteral("-format"),
                 QStringLiteral("%[fx:mean]"), QStringLiteral("info:")},
                m_environment);
            return mean.toDouble() > 0.05;
        },
        kStartMs))
        << "the tray did not draw the icon";
    PointAt(icon);
    ClicksDoubleClicksAndTheMenu(bar, true);
}

// The watcher's going is heard on the bus, not by asking every few seconds: the hidden window
// comes back at once, and a watcher that returns gets the item again.
TEST_F(TrayHosts, AStatusNotifierWatcherThatGoesAwayBringsTheWindowBack)
{
    if (const std::string missing = FirstMissing(kStatusNotifierTray); !missing.empty())
        GTEST_SKIP() << missing << " is not installed " << kStatusNotifierPackages;
    ASSERT_NO_FATAL_FAILURE(StartWatcher());
    QProcess& watcher = *m_hosts.back();
    StartHost(QStringLiteral("gtk-sni-tray-standalone"), {});
    ASSERT_TRUE(kelvara::test::WaitUntil(
        [&] { return !m_x.VisibleWindows(QStringLiteral("^gtk-sni-tray-standalone$")).isEmpty(); },
        kStartMs));
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(kelvara::test::WaitUntil([&] { return WatcherHasItem(); }, kStartMs)) << "no item registered";
    EXPECT_TRUE(m_x.VisibleWindows(kelvara::test::kWindowTitlePattern).isEmpty());

    watcher.terminate();
    ASSERT_TRUE(watcher.waitForFinished(5000));
    EXPECT_TRUE(kelvara::test::WaitUntil(
        [&] { return !m_x.VisibleWindows(kelvara::test::kWindowTitlePattern).isEmpty(); }, 1500));

    StartHost(QStringLiteral("status-notifier-watcher"), {});
    EXPECT_TRUE(kelvara::test::WaitUntil([&] { return WatcherHasItem(); }, kStartMs))
        << "not registered again";
    EXPECT_TRUE(m_program->IsRunning());
}

// The usual log-in starts the program beside the panel: the panel after the window showed, or at
// the same moment. The icon is registered once the tray is there, however late.
TEST_F(TrayHosts, AStatusNotifierTrayThatComesLateGetsTheIcon)
{
    if (const std::string missing = FirstMissing(kStatusNotifierTray); !missing.empty())
        GTEST_SKIP() << missing << " is not installed " << kStatusNotifierPackages;
    for (bool sameMoment : {false, true}) {
        SCOPED_TRACE(sameMoment ? "tray at the same moment" : "tray after the window");
        ASSERT_TRUE(StartSessionBus());
        const auto startTray = [&] {
            StartHost(QStringLiteral("status-notifier-watcher"), {});
            StartHost(QStringLiteral("gtk-sni-tray-standalone"), {});
        };
        if (sameMoment)
            startTray();
        m_program = std::make_unique<Program>(QStringList{QStringLiteral("/hidden")}, m_environment);
        if (!sameMoment) {
            ASSERT_TRUE(kelvara::test::WaitUntil([&] { return WindowShown(); }, kStartMs))
                << "without a tray the window shows";
            startTray();
        }
        EXPECT_TRUE(kelvara::test::WaitUntil([&] { return WatcherHasItem(); }, kStartMs))
            << "no item registered";
        EXPECT_TRUE(m_program->IsRunning());
        TearDown();
        m_hosts.clear();
        m_environment = m_x.Environment();
        m_environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    }
}

TEST_F(TrayHosts, OnStatusNotifierDesktopsTheBalloonIsANotificationAndItsClickCounts)
{
    if (const std::string missing = FirstMissing(kStatusNotifierTray); !missing.empty())
        GTEST_SKIP() << missing << " is not installed " << kStatusNotifierPackages;
    ASSERT_NO_FATAL_FAILURE(StartWatcher());
    // A watcher alone shows no icon: only a tray registered with it does.
    StartHost(QStringLiteral("gtk-sni-tray-standalone"), {});
    ASSERT_TRUE(kelvara::test::WaitUntil(
        [&] { return !m_x.VisibleWindows(QStringLiteral("^gtk-sni-tray-standalone$")).isEmpty(); },
        kStartMs));
    FakeNotifications notifications(m_environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")));
    ASSERT_TRUE(notifications.IsRegistered());

    // A hidden start shows the balloon; the notification can be clicked.
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(kelvara::test::WaitUntil([&] { return !notifications.shown.empty(); }, kStartMs))
        << "no notification";
    const FakeNotifications::Shown& shown = notifications.shown.front();
    EXPECT_EQ(shown.summary, QStringLiteral("Kelvara"));
    EXPECT_TRUE(shown.actions.contains(QStringLiteral("default")));
    // Words for this kind of tray, where a click opens the window.
    EXPECT_TRUE(shown.body.contains(QStringLiteral("Click its icon to reopen it")))
        << shown.body.toStdString();

    // Another program's notification clicked is not ours.
    notifications.Click(shown.id + 1);
    Pause(1000);
    EXPECT_FALSE(BalloonsTurnedOff());
    notifications.Click(shown.id);
    EXPECT_TRUE(kelvara::test::WaitUntil(BalloonsTurnedOff, 5000));
    EXPECT_TRUE(m_program->IsRunning());
}

} // namespace

#include "trayhosts_test.moc"
