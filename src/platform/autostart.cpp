#include "platform/autostart.h"

#include "platform/smallfile.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

namespace {

constexpr const char* kEntryName = "Tavrix.desktop";
// A desktop entry is a few hundred bytes; anything near this is not one.
constexpr std::size_t kMaxEntrySize = 64 * 1024;

// The string escapes of desktop entries: \s \n \t \r \\.
std::string UnescapeValue(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += value[i];
        }
    }
    return out;
}

} // namespace

std::string AutostartEntryPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/')
            return {};
        base = std::string(home) + "/.config";
    }
    return base + "/autostart/" + kEntryName;
}

bool ReadAutostartCommand(std::string& command)
{
    const std::string path = AutostartEntryPath();
    if (path.empty())
        return false;
    // Read like every other file: a FIFO, a device or a huge file at the entry's name is refused.
    std::string content;
    if (!ReadSmallFile(path, content, kMaxEntrySize))
        return false;
    std::istringstream in(content);
    bool inMainGroup = false;
    bool haveExec = false;
    bool hidden = false;
    bool disabled = false;
    std::string exec;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text(Trim(line));
        if (text.empty() || text[0] == '#')
            continue;
        if (text[0] == '[') {
            inMainGroup = text == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const auto equals = text.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key(Trim(text.substr(0, equals)));
        const std::string value(Trim(text.substr(equals + 1)));
        if (key == "Exec") {
            exec = UnescapeValue(value);
            haveExec = true;
        } else if (key == "Hidden") {
            hidden = value == "true";
        } else if (key == "X-GNOME-Autostart-enabled") {
            // How GNOME's own settings switch an entry off without deleting it.
            disabled = value == "false";
        }
    }
    if (!haveExec || hidden || disabled)
        return false;
    command = exec;
    return true;
}

std::string AutostartExecValue(const std::string& programPath)
{
    std::string quoted = "\"";
    for (const char c : programPath) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return {};
        // Inside double quotes these take a backslash; the file's own escaping then doubles every
        // backslash. A percent sign would read as a field code.
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        else if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += "\" /hidden";
    return quoted;
}

bool WriteAutostartEntry(const std::string& programPath)
{
    const std::string path = AutostartEntryPath();
    const std::string exec = AutostartExecValue(programPath);
    if (path.empty() || programPath.empty() || exec.empty())
        return false;
    const std::filesystem::path target(path);
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);

    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=" << LoadString(IDS_APP_TITLE) << "\n"
         << "Exec=" << exec << "\n"
         << "Terminal=false\n"
         << "X-GNOME-Autostart-enabled=true\n";

    // Written beside the entry and renamed over it, so the desktop never reads half an entry.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    const std::string bytes = text.str();
    bool ok = WriteAll(fd, bytes.data(), bytes.size()) == 0 && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

bool RemoveAutostartEntry()
{
    const std::string path = AutostartEntryPath();
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

} // namespace kelvara
