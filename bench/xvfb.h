#pragma once
// What the window benchmarks share: an X server of their own and a clean environment for the
// programs they start on it.

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kelvara::bench {

// Ends a process the benchmark started, and reaps it; `pid` is -1 afterwards (and may be already).
inline void EndProcess(pid_t& pid)
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

// Xvfb on a free display, for as long as the object lives; Display() is empty when it could not
// start.
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
            ::close(pipeFds[0]);
            ::close(pipeFds[1]);
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
    ~XServer() { EndProcess(m_pid); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// The environment of a program started on `display`: this one's, with fresh settings, runtime,
// temporary and home folders under `run` (made here) and no session bus, the same for every
// program compared.
inline std::vector<std::string> ProgramEnvironment(const std::string& run, const std::string& display)
{
    for (const char* sub : {"/config", "/runtime", "/tmp", "/home"})
        std::filesystem::create_directories(run + sub);
    std::filesystem::permissions(run + "/runtime", std::filesystem::perms::owner_all);
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool keep = true;
        for (const char* drop : {"DISPLAY=", "QT_QPA_PLATFORM=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=",
                                 "TMPDIR=", "HOME=", "DBUS_SESSION_BUS_ADDRESS="})
            keep = keep && entry.rfind(drop, 0) != 0;
        if (keep)
            entries.push_back(entry);
    }
    entries.push_back("DISPLAY=" + display);
    entries.push_back("QT_QPA_PLATFORM=xcb");
    entries.push_back("XDG_CONFIG_HOME=" + run + "/config");
    entries.push_back("XDG_RUNTIME_DIR=" + run + "/runtime");
    entries.push_back("TMPDIR=" + run + "/tmp");
    entries.push_back("HOME=" + run + "/home");
    return entries;
}

} // namespace kelvara::bench
