#include "platform/systemzone.h"

#include "text/textcase.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <unistd.h>

namespace kelvara {

namespace {
std::string g_localtime;
std::string g_timezone;

} // namespace

SystemZone ReadSystemZone()
{
    if (const char* tz = std::getenv("TZ")) {
        std::string name = tz;
        if (!name.empty() && name.front() == ':')
            name.erase(0, 1);
        return {name.empty() ? "UTC" : name, SystemZoneSource::Environment, true};
    }
    const std::string localtime = g_localtime.empty() ? "/etc/localtime" : g_localtime;
    char target[4096];
    const ssize_t length = ::readlink(localtime.c_str(), target, sizeof target - 1);
    if (length > 0)
        return {std::string(target, static_cast<std::size_t>(length)), SystemZoneSource::Localtime,
                g_localtime.empty()};
    std::ifstream file(g_timezone.empty() ? "/etc/timezone" : g_timezone);
    std::string line;
    if (file && std::getline(file, line) && !Trim(line).empty())
        return {std::string(Trim(line)), SystemZoneSource::TimezoneFile, false};
    return {};
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
