// Start-up of the real program to its first shown window, and its resident memory once shown, on
// an X server of the benchmark's own (Xvfb), beside the same figures for an empty Qt Widgets
// window. Each run is a fresh process with fresh settings; the window counts as shown when the X
// server maps it.
//
// Also the window's return from the tray: the program started hidden (/hidden, close-to-tray on,
// a notification area present) is asked to show itself as a second start asks it, over its
// single-instance socket, and timed from the question to the window's map. The yardstick is a
// Qt Widgets window with one label, built but hidden, shown on the same kind of question.
#include "shell/instancechannel.h"
#include "xvfb.h"

#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <dirent.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

using kelvara::bench::XServer;

XServer& Server()
{
    static XServer server;
    return server;
}

// The middle of the times taken: the means of a shared machine's runs swing with its other load.
template <typename T> double Median(std::vector<T> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    return values.size() % 2 ? static_cast<double>(values[half])
                             : (static_cast<double>(values[half - 1]) + static_cast<double>(values[half])) / 2;
}

double MedianMs(const std::vector<double>& seconds)
{
    return Median(seconds) * 1000;
}

long ResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// The environment of one run, for the pointers posix_spawn takes.
class Environment {
public:
    explicit Environment(const std::string& run)
        : m_run(run), m_entries(kelvara::bench::ProgramEnvironment(run, Server().Display()))
    {
        for (auto& entry : m_entries)
            m_pointers.push_back(entry.data());
        m_pointers.push_back(nullptr);
    }
    char** Pointers() { return m_pointers.data(); }
    const std::string& Run() const { return m_run; }

private:
    std::string m_run;
    std::vector<std::string> m_entries;
    std::vector<char*> m_pointers;
};

// Waits for a top-level window to be mapped; false after `timeout`.
bool WaitForMap(xcb_connection_t* connection, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    const int fd = xcb_get_file_descriptor(connection);
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                                !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
            std::free(event);
            if (mapped)
                return true;
        }
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 5);
    }
    return false;
}

// An X connection that sees every top-level window mapped on the benchmark's server.
xcb_connection_t* WatchMaps()
{
    xcb_connection_t* connection = xcb_connect(Server().Display().c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    return connection;
}

struct StartFigures {
    bool shown = false;
    double seconds = 0;
    long residentKiB = -1;
};

// One first start of `program` with fresh settings and runtime folders under `run`: the time to
// its window's map, and its resident memory once the window has settled (first paint done).
StartFigures StartOnce(xcb_connection_t* connection, const std::string& run, const char* program,
                       const char* argument)
{
    StartFigures figures;
    Environment env(run);
    std::string path = program;
    std::string extra = argument ? argument : "";
    char* argv[] = {path.data(), argument ? extra.data() : nullptr, nullptr};
    pid_t pid = -1;
    const auto start = Clock::now();
    if (::posix_spawn(&pid, program, nullptr, nullptr, argv, env.Pointers()) != 0)
        return figures;
    figures.shown = WaitForMap(connection, std::chrono::seconds(20));
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    figures.residentKiB = ResidentKiB(pid);
    kelvara::bench::EndProcess(pid);
    return figures;
}

// What the start benchmarks share: the X connection that sees the maps and a scratch folder for
// the runs' settings. The benchmark is skipped when either cannot be had.
class StartRuns {
public:
    explicit StartRuns(benchmark::State& state)
    {
        if (Server().Display().empty()) {
            state.SkipWithError("Xvfb could not be started");
            return;
        }
        m_connection = WatchMaps();
        if (!m_connection) {
            state.SkipWithError("cannot connect to Xvfb");
            return;
        }
        char rootTemplate[] = "/tmp/kelvara-startup-XXXXXX";
        m_root = ::mkdtemp(rootTemplate);
    }
    ~StartRuns()
    {
        std::error_code ec;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, ec);
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    StartRuns(const StartRuns&) = delete;
    StartRuns& operator=(const StartRuns&) = delete;

    bool Ready() const { return m_connection != nullptr; }
    StartFigures Start(const char* program, const char* argument = nullptr)
    {
        return StartOnce(m_connection, m_root + "/" + std::to_string(m_runs++), program, argument);
    }

private:
    xcb_connection_t* m_connection = nullptr;
    std::string m_root;
    int m_runs = 0;
};

void StartToFirstWindow(benchmark::State& state, const char* program, const char* argument = nullptr)
{
    StartRuns runs(state);
    if (!runs.Ready())
        return;
    long rssTotal = 0;
    std::vector<double> times;
    for (auto _ : state) {
        const StartFigures figures = runs.Start(program, argument);
        state.SetIterationTime(figures.seconds);
        times.push_back(figures.seconds);
        rssTotal += figures.residentKiB;
        if (!figures.shown) {
            state.SkipWithError("no window was shown");
            break;
        }
    }
    if (!times.empty())
        state.counters["rss_KiB"] = static_cast<double>(rssTotal) / static_cast<double>(times.size());
    state.counters["median_ms"] = MedianMs(times);
}

// The program and the one-label window started in turn, so that both meet the same load of a
// shared machine: the medians, their ratio (the target is at most 1.15) and the difference in
// resident memory (at most 4 MB, 4096 KiB).
void BM_KelvaraBesideLabelledWindowAlternating(benchmark::State& state)
{
    StartRuns runs(state);
    if (!runs.Ready())
        return;
    std::vector<double> kelvara;
    std::vector<double> labelled;
    std::vector<long> kelvaraKiB;
    std::vector<long> labelledKiB;
    for (auto _ : state) {
        const StartFigures label = runs.Start(KELVARA_EMPTY_WINDOW, "--label");
        const StartFigures program = runs.Start(KELVARA_PROGRAM);
        if (!label.shown || !program.shown) {
            state.SkipWithError("no window was shown");
            break;
        }
        state.SetIterationTime(program.seconds);
        kelvara.push_back(program.seconds);
        labelled.push_back(label.seconds);
        kelvaraKiB.push_back(program.residentKiB);
        labelledKiB.push_back(label.residentKiB);
    }
    const double k = MedianMs(kelvara);
    const double l = MedianMs(labelled);
    state.counters["kelvara_ms"] = k;
    state.counters["label_ms"] = l;
    state.counters["ratio"] = l > 0 ? k / l : 0;
    state.counters["rss_extra_KiB"] = Median(kelvaraKiB) - Median(labelledKiB);
}

void BM_KelvaraStartToFirstWindow(benchmark::State& state)
{
    StartToFirstWindow(state, KELVARA_PROGRAM);
}
void BM_EmptyWidgetsWindowStartToFirstWindow(benchmark::State& state)
{
    StartToFirstWindow(state, KELVARA_EMPTY_WINDOW);
}
void BM_LabelledWidgetsWindowStartToFirstWindow(benchmark::State& state)
{
    StartToFirstWindow(state, KELVARA_EMPTY_WINDOW, "--label");
}

// --- Showing the window from the tray --------------------------------------------------------

// The test notification area (owns the XEmbed tray selection, docks icons), for one benchmark.
class FakeTray {
public:
    explicit FakeTray(Environment& env)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string path = KELVARA_FAKE_TRAY;
        char* argv[] = {path.data(), nullptr};
        if (::posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv, env.Pointers()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
        m_ready = m_pid > 0 && WaitForOutput("ready\n", std::chrono::seconds(10));
    }
    ~FakeTray()
    {
        kelvara::bench::EndProcess(m_pid);
        if (m_out >= 0)
            ::close(m_out);
    }
    bool Ready() const { return m_ready; }
    // Waits for the next icon to dock.
    bool WaitForDock(std::chrono::milliseconds timeout)
    {
        const bool docked = WaitForOutput("docked", timeout);
        if (docked)
            m_output.erase(0, m_output.find("docked") + 6);
        return docked;
    }

private:
    bool WaitForOutput(const char* text, std::chrono::milliseconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (m_output.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{m_out, POLLIN, 0};
            char buffer[256];
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            const ssize_t n = ::read(m_out, buffer, sizeof(buffer));
            if (n <= 0)
                return false;
            m_output.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    bool m_ready = false;
    std::string m_output;
};

// The X side: top-level maps and unmaps, and the close box.
class XWatch {
public:
    XWatch()
    {
        m_connection = xcb_connect(Server().Display().c_str(), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        m_protocols = Atom("WM_PROTOCOLS");
        m_delete = Atom("WM_DELETE_WINDOW");
        m_ok = true;
    }
    ~XWatch() { xcb_disconnect(m_connection); }
    bool Ok() const { return m_ok; }

    // The next top-level window (not a menu or tooltip) mapped or unmapped; 0 after `timeout`.
    xcb_window_t WaitFor(bool mapped, std::chrono::milliseconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        const int fd = xcb_get_file_descriptor(m_connection);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                xcb_window_t window = 0;
                const int type = event->response_type & 0x7F;
                if (mapped && type == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    if (!map->override_redirect)
                        window = map->window;
                } else if (!mapped && type == XCB_UNMAP_NOTIFY) {
                    window = reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window;
                }
                std::free(event);
                if (window)
                    return window;
            }
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 1);
        }
        return 0;
    }
    // Drops what happened so far.
    void Drain()
    {
        xcb_aux_sync();
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }
    // The window manager's close request, as the title bar's close box sends it.
    void Close(xcb_window_t window)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_protocols;
        message.data.data32[0] = m_delete;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

private:
    void xcb_aux_sync()
    {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    xcb_atom_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_protocols = XCB_ATOM_NONE;
    xcb_atom_t m_delete = XCB_ATOM_NONE;
    bool m_ok = false;
};

// The first socket in `folder`, once one is there.
std::string WaitForSocket(const std::string& folder, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        if (DIR* dir = ::opendir(folder.c_str())) {
            std::string found;
            while (const dirent* entry = ::readdir(dir)) {
                const std::string path = folder + "/" + entry->d_name;
                struct stat st {};
                if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
                    found = path;
            }
            ::closedir(dir);
            if (!found.empty())
                return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

// Sends the question a newly started copy asks; the connection, to be closed after the answer.
int Ask(const std::string& socketPath)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::write(fd, kelvara::kInstanceQuestion, sizeof(kelvara::kInstanceQuestion) - 1) < 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Reads the four-byte answer (the program answers once it has shown itself).
std::uint32_t Answer(int fd)
{
    std::uint32_t tag = 0;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) > 0 && ::read(fd, &tag, sizeof(tag)) != sizeof(tag))
        tag = 0;
    ::close(fd);
    return tag;
}

// A program that waits hidden in the tray (or, the yardstick, simply hidden) until asked.
struct HiddenProgram {
    bool kelvara;
    pid_t pid = -1;
    std::string socket;

    bool Start(Environment& env, FakeTray& tray)
    {
        std::vector<std::string> args;
        if (kelvara) {
            // Close-to-tray on, so that a new copy's question shows this one; no balloons on hiding.
            std::filesystem::create_directories(env.Run() + "/config/Brask");
            std::ofstream(env.Run() + "/config/Brask/Kelvara.conf")
                << "[Options]\nCloseToSystray=1\nShowBalloon=0\n";
            args = {KELVARA_PROGRAM, "/hidden"};
        } else {
            args = {KELVARA_EMPTY_WINDOW, "--hidden", env.Run() + "/runtime/yardstick"};
        }
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env.Pointers()) != 0) {
            pid = -1;
            return false;
        }
        const std::string folder = kelvara ? env.Run() + "/runtime/kelvara" : env.Run() + "/runtime";
        socket = WaitForSocket(folder, std::chrono::seconds(10));
        return !socket.empty() && (!kelvara || tray.WaitForDock(std::chrono::seconds(10)));
    }
    void Stop() { kelvara::bench::EndProcess(pid); }
};

// Question -> map of the hidden window. `fresh`: a new process each time (the window's first show
// since a hidden start); otherwise one process, hidden again with the close box after each show.
void ShowFromTray(benchmark::State& state, bool kelvara, bool fresh)
{
    if (Server().Display().empty()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    char rootTemplate[] = "/tmp/kelvara-show-XXXXXX";
    const std::string root = ::mkdtemp(rootTemplate);
    Environment trayEnv(root + "/tray");
    FakeTray tray(trayEnv);
    XWatch x;
    if (!tray.Ready() || !x.Ok()) {
        state.SkipWithError("no notification area or no display");
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        return;
    }
    int runs = 0;
    HiddenProgram program{kelvara, -1, {}};
    std::unique_ptr<Environment> env;
    std::vector<double> times;
    for (auto _ : state) {
        if (program.pid < 0) {
            env = std::make_unique<Environment>(root + "/" + std::to_string(runs));
            if (!program.Start(*env, tray)) {
                state.SkipWithError("the program did not start hidden in the tray");
                break;
            }
            // Whatever it did while starting (no window may show) is over.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        x.Drain();
        const auto start = Clock::now();
        const int question = Ask(program.socket);
        const xcb_window_t window = question >= 0 ? x.WaitFor(true, std::chrono::seconds(10)) : 0;
        const auto elapsed = Clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        times.push_back(std::chrono::duration<double>(elapsed).count());
        const std::uint32_t answer = question >= 0 ? Answer(question) : 0;
        ++runs;
        if (!window || (kelvara && answer != kelvara::kInstanceTag)) {
            state.SkipWithError("the window did not show when asked");
            break;
        }
        if (fresh) {
            program.Stop();
        } else {
            // Let it paint, then back to the tray.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            x.Close(window);
            if (!x.WaitFor(false, std::chrono::seconds(5))) {
                state.SkipWithError("the window did not hide");
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    program.Stop();
    state.counters["median_ms"] = MedianMs(times);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

void BM_KelvaraFirstShowFromTray(benchmark::State& state)
{
    ShowFromTray(state, true, true);
}
void BM_LabelledWidgetsWindowFirstShow(benchmark::State& state)
{
    ShowFromTray(state, false, true);
}
void BM_KelvaraShowAgainFromTray(benchmark::State& state)
{
    ShowFromTray(state, true, false);
}
void BM_LabelledWidgetsWindowShowAgain(benchmark::State& state)
{
    ShowFromTray(state, false, false);
}

BENCHMARK(BM_EmptyWidgetsWindowStartToFirstWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_LabelledWidgetsWindowStartToFirstWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_KelvaraStartToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_KelvaraBesideLabelledWindowAlternating)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(21);

BENCHMARK(BM_LabelledWidgetsWindowFirstShow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_KelvaraFirstShowFromTray)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_LabelledWidgetsWindowShowAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_KelvaraShowAgainFromTray)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace
