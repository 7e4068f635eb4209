// How often a resident program is woken while nobody uses it: Kelvara hidden in a real tray (trayer,
// Debian's XEmbed tray) once its first balloon has gone, beside an empty Qt Widgets window left alone
// on the same X server. A wake-up is a context switch of the process (/proc/PID/status), whatever
// caused it: a timer, an X or D-Bus message. Target: at most one a minute for the hidden program.
// Background rate updates are switched off for the run, so that it never goes to the network; their
// timer fires a minute after start and then every six hours.
#include "xvfb.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kSettle = 65s;  // past the one-offs of a start
constexpr auto kWatched = 60s; // the time over which wake-ups are counted

// A process started on the benchmark's X server with folders of its own; ended when it goes.
class Child {
public:
    // `env` is the whole environment of the program.
    Child(std::vector<std::string> args, std::vector<std::string> env)
    {
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { kelvara::bench::EndProcess(m_pid); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// Voluntary and involuntary context switches of a process so far; -1 when it is gone.
long ContextSwitches(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    long total = -1;
    std::string line;
    while (std::getline(status, line))
        if (line.find("ctxt_switches:") != std::string::npos)
            total = (total < 0 ? 0 : total) + std::strtol(line.c_str() + line.find(':') + 1, nullptr, 10);
    return total;
}

// Xvfb on a free display and a private set of folders, for one measurement.
class Desktop {
public:
    Desktop()
    {
        char rootTemplate[] = "/tmp/kelvara-idle-XXXXXX";
        m_root = ::mkdtemp(rootTemplate);
        if (m_server.Display().empty())
            return;
        m_env = kelvara::bench::ProgramEnvironment(m_root, m_server.Display());
        m_env.push_back("NO_AT_BRIDGE=1");
        fs::create_directories(m_root + "/config/Brask");
        std::ofstream(m_root + "/config/Brask/Kelvara.conf")
            << "[Options]\nUpdateRates=0\nCloseToSystray=1\n";
    }
    ~Desktop()
    {
        m_children.clear();
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    bool Ready() const { return !m_env.empty(); }
    Child& Start(std::vector<std::string> args)
    {
        m_children.push_back(std::make_unique<Child>(std::move(args), m_env));
        return *m_children.back();
    }

private:
    kelvara::bench::XServer m_server;
    std::string m_root;
    std::vector<std::unique_ptr<Child>> m_children;
    std::vector<std::string> m_env;
};

bool OnPath(const char* program)
{
    for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"})
        if (::access((std::string(dir) + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

// Both programs run side by side on one screen with a tray and are left alone past every one-off
// of a start (the first balloon, Qt's idle pool threads ending after 30 s, the first look at the
// currency rates a minute after start); then their wake-ups are counted over the same minute.
void BM_IdleWakeUps(benchmark::State& state)
{
    if (!OnPath("Xvfb") || !OnPath("trayer")) {
        state.SkipWithError("Xvfb or trayer is not installed");
        return;
    }
    for (auto _ : state) {
        Desktop desktop;
        if (!desktop.Ready()) {
            state.SkipWithError("Xvfb could not be started");
            break;
        }
        desktop.Start({"trayer", "--edge", "bottom"});
        std::this_thread::sleep_for(1s);
        Child& kelvara = desktop.Start({KELVARA_PROGRAM, "/hidden"});
        Child& empty = desktop.Start({KELVARA_EMPTY_WINDOW});
        std::this_thread::sleep_for(kSettle);
        const long kelvaraBefore = ContextSwitches(kelvara.Pid());
        const long emptyBefore = ContextSwitches(empty.Pid());
        std::this_thread::sleep_for(kWatched);
        const long kelvaraAfter = ContextSwitches(kelvara.Pid());
        const long emptyAfter = ContextSwitches(empty.Pid());
        if (kelvaraBefore < 0 || kelvaraAfter < 0 || emptyBefore < 0 || emptyAfter < 0 ||
            !kelvara.Running()) {
            state.SkipWithError("a program ended");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(kWatched).count());
        const double minutes = std::chrono::duration<double>(kWatched).count() / 60.0;
        state.counters["kelvara_hidden_per_min"] =
            static_cast<double>(kelvaraAfter - kelvaraBefore) / minutes;
        state.counters["empty_window_per_min"] = static_cast<double>(emptyAfter - emptyBefore) / minutes;
    }
}

} // namespace

BENCHMARK(BM_IdleWakeUps)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
