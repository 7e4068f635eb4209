// Start-up of the real program to its first shown window, and its resident memory once shown, on
// an X server of the benchmark's own (Xvfb), beside the same figures for an empty Qt Widgets
// window. Each run is a fresh process with fresh settings; the window counts as shown when the X
// server maps it.
#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Xvfb on a free display, for the whole run of the benchmark program.
class XServer {
public:
    XServer()
    {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0)
            return;
        const std::string fd = std::to_string(pipeFds[1]);
        std::vector<std::string> args{"Xvfb", "-displayfd", fd,  "-noreset",   "-nolisten",
                                      "tcp",  "-screen",    "0", "1024x768x24"};
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&m_pid, "Xvfb", nullptr, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
            return;
        }
        ::close(pipeFds[1]);
        std::string number;
        char c;
        pollfd p{pipeFds[0], POLLIN, 0};
        while (::poll(&p, 1, 15000) > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(pipeFds[0]);
        if (!number.empty())
            m_display = ":" + number;
    }
    ~XServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

XServer& Server()
{
    static XServer server;
    return server;
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

void StartToFirstWindow(benchmark::State& state, const char* program, const char* argument = nullptr)
{
    if (Server().Display().empty()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    xcb_connection_t* connection = xcb_connect(Server().Display().c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        state.SkipWithError("cannot connect to Xvfb");
        return;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    char rootTemplate[] = "/tmp/kelvara-startup-XXXXXX";
    const std::string root = ::mkdtemp(rootTemplate);
    long rssTotal = 0;
    int runs = 0;
    for (auto _ : state) {
        // Fresh settings and runtime folders: every run is a first start with no other copy.
        const std::string run = root + "/" + std::to_string(runs);
        for (const char* sub : {"/config", "/runtime", "/tmp", "/home"})
            std::filesystem::create_directories(run + sub);
        std::filesystem::permissions(run + "/runtime", std::filesystem::perms::owner_all);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            for (const char* drop : {"DISPLAY=", "QT_QPA_PLATFORM=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=",
                                     "TMPDIR=", "HOME=", "DBUS_SESSION_BUS_ADDRESS="})
                if (entry.rfind(drop, 0) == 0)
                    goto skip;
            env.push_back(entry);
        skip:;
        }
        env.push_back("DISPLAY=" + Server().Display());
        env.push_back("QT_QPA_PLATFORM=xcb");
        env.push_back("XDG_CONFIG_HOME=" + run + "/config");
        env.push_back("XDG_RUNTIME_DIR=" + run + "/runtime");
        env.push_back("TMPDIR=" + run + "/tmp");
        env.push_back("HOME=" + run + "/home");
        std::vector<char*> envp;
        for (auto& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string path = program;
        std::string extra = argument ? argument : "";
        char* argv[] = {path.data(), argument ? extra.data() : nullptr, nullptr};

        pid_t pid = -1;
        const auto start = Clock::now();
        if (::posix_spawn(&pid, program, nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start the program");
            break;
        }
        const bool shown = WaitForMap(connection, std::chrono::seconds(20));
        const auto elapsed = Clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        // Memory once the window has settled (first paint done).
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        rssTotal += ResidentKiB(pid);
        ++runs;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        if (!shown) {
            state.SkipWithError("no window was shown");
            break;
        }
    }
    if (runs > 0)
        state.counters["rss_KiB"] = static_cast<double>(rssTotal) / runs;
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    xcb_disconnect(connection);
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

BENCHMARK(BM_EmptyWidgetsWindowStartToFirstWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_LabelledWidgetsWindowStartToFirstWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_KelvaraStartToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace
