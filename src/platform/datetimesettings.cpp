#include "platform/datetimesettings.h"

#include "text/textcase.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvara {

namespace {
struct Tool {
    const char* desktop; // as XDG_CURRENT_DESKTOP names it
    std::vector<std::string> command;
};

const std::vector<Tool>& Tools()
{
    static const std::vector<Tool> tools = {
        {"GNOME", {"gnome-control-center", "datetime"}},
        {"KDE", {"kcmshell6", "kcm_clock"}},
        {"KDE", {"kcmshell5", "clock"}},
        {"XFCE", {"time-admin"}},
        {"MATE", {"time-admin"}},
        {"X-Cinnamon", {"cinnamon-settings", "calendar"}},
        {"Budgie", {"budgie-control-center", "datetime"}},
        {"LXQt", {"lxqt-admin-time"}},
        {"Unity", {"unity-control-center", "datetime"}},
    };
    return tools;
}

bool RunningDesktopIs(const char* desktop)
{
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    if (!current)
        return false;
    const std::string all = AsciiLowered(current);
    const std::string wanted = AsciiLowered(desktop);
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find(':', start);
        if (end == std::string::npos)
            end = all.size();
        if (all.compare(start, end - start, wanted) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    const std::string all = path;
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t end = all.find(':', start);
        if (end == std::string::npos)
            end = all.size();
        // Empty entries (the current folder) are not searched: the tool must be installed.
        if (end > start && all[start] == '/') {
            const std::string candidate = all.substr(start, end - start) + "/" + name;
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}
} // namespace

std::vector<std::string> FindDateTimeSettingsCommand()
{
    for (const bool ofRunningDesktop : {true, false}) {
        for (const Tool& tool : Tools()) {
            if (RunningDesktopIs(tool.desktop) != ofRunningDesktop)
                continue;
            const std::string path = FindInPath(tool.command.front());
            if (path.empty())
                continue;
            std::vector<std::string> argv = tool.command;
            argv.front() = path;
            return argv;
        }
    }
    return {};
}

bool StartDateTimeTool()
{
    const std::vector<std::string> argv = FindDateTimeSettingsCommand();
    return !argv.empty() && StartDetached(argv);
}

bool StartDetached(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return false;
    // Everything the children need is made before fork: between fork and exec only
    // async-signal-safe calls are allowed in a threaded program.
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(status[0]);
        ::close(status[1]);
        return false;
    }
    if (child == 0) {
        // The middle process leaves at once, so the program is nobody's child here and leaves
        // no zombie behind.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execv(args[0], args.data());
        const int error = errno;
        (void)!::write(status[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(status[1]);
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec; an error number arrives when it failed.
    int error = 0;
    ssize_t n;
    do {
        n = ::read(status[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(status[0]);
    return WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0 && n == 0;
}

} // namespace kelvara
