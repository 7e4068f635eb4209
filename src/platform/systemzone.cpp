#include "platform/systemzone.h"

#include "platform/smallfile.h"
#include "text/textcase.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

namespace {
std::string g_localtime;
std::string g_timezone;

// Its first line, read as every small file is: a FIFO, a device or a huge file reads as nothing.
std::string TimezoneFileLine()
{
    std::string text;
    if (!ReadSmallFile(g_timezone.empty() ? "/etc/timezone" : g_timezone, text, 64 * 1024))
        return {};
    return std::string(Trim(std::string_view(text).substr(0, text.find('\n'))));
}

} // namespace

SystemZone ReadSystemZone()
{
    if (const char* tz = std::getenv("TZ")) {
        std::string name = tz;
        if (!name.empty() && name.front() == ':')
            name.erase(0, 1);
        if (name.empty())
            return {"UTC", {}, SystemZoneSource::Environment, true};
        // ":/etc/localtime" and other absolute paths name a file, as for the C library.
        std::vector<std::string> files;
        if (name.front() == '/')
            files = FollowLinks(name);
        return {name, std::move(files), SystemZoneSource::Environment, true};
    }
    const std::string localtime = g_localtime.empty() ? "/etc/localtime" : g_localtime;
    const std::string hint = TimezoneFileLine();
    struct stat info {};
    if (::lstat(localtime.c_str(), &info) == 0) {
        std::string name;
        char target[4096];
        const ssize_t length = ::readlink(localtime.c_str(), target, sizeof target - 1);
        if (length > 0)
            name.assign(target, static_cast<std::size_t>(length));
        else
            name = hint; // a copy: /etc/timezone tells which of the zones with these bytes it is
        return {name, FollowLinks(localtime), SystemZoneSource::Localtime, g_localtime.empty()};
    }
    if (!hint.empty())
        return {hint, {}, SystemZoneSource::TimezoneFile, false};
    return {};
}

std::vector<std::string> FollowLinks(const std::string& path)
{
    namespace fs = std::filesystem;
    std::vector<std::string> chain;
    std::error_code error;
    fs::path current = fs::absolute(path, error);
    if (error)
        return chain;
    current = current.lexically_normal();
    for (int hops = 0; hops <= 40; ++hops) {
        chain.push_back(current.string());
        char target[4096];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0)
            break;
        fs::path next(std::string(target, static_cast<std::size_t>(length)));
        if (next.is_relative()) {
            // From the folder the link really is in, so that ".." leaves that folder.
            fs::path folder = fs::canonical(current.parent_path(), error);
            if (error)
                folder = current.parent_path();
            next = folder / next;
        }
        current = next.lexically_normal();
    }
    return chain;
}

void SetSystemZoneFilesOverride(const std::string& localtime, const std::string& timezone)
{
    g_localtime = localtime;
    g_timezone = timezone;
}

bool SystemOffsetAt(std::int64_t unixSeconds, long& offset)
{
    ::tzset();
    const std::time_t when = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!::localtime_r(&when, &local))
        return false;
    offset = local.tm_gmtoff;
    return true;
}

} // namespace kelvara
