#include "catalogue/tzdatabase.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

namespace {
std::string g_databaseOverride;

bool IsSafeZoneId(std::string_view id)
{
    if (id.empty() || id.front() == '/' || id.size() > 255)
        return false;
    std::size_t start = 0;
    while (start <= id.size()) {
        std::size_t end = id.find('/', start);
        if (end == std::string_view::npos)
            end = id.size();
        const std::string_view part = id.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return id.find_first_of(" \t\r\n") == std::string_view::npos;
}

// Calls `row` with the fields (split at tabs or blanks) of every non-comment line.
template <typename Row> void ForEachRow(const std::string& text, char separator, Row row)
{
    std::size_t pos = 0;
    std::vector<std::string_view> fields;
    const std::string_view all(text);
    while (pos < all.size()) {
        std::size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        fields.clear();
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t stop = line.find(separator, start);
            if (stop == std::string_view::npos)
                stop = line.size();
            fields.push_back(line.substr(start, stop - start));
            start = stop + 1;
        }
        row(fields);
    }
}
} // namespace

std::string TimeZoneDatabaseDir()
{
    if (!g_databaseOverride.empty())
        return g_databaseOverride;
    if (const char* dir = std::getenv("TZDIR"); dir && *dir)
        return dir;
    return "/usr/share/zoneinfo";
}

void SetTimeZoneDatabaseDirOverride(const std::string& path)
{
    g_databaseOverride = path;
}

std::vector<std::string> ReadZoneIds(const std::string& dir)
{
    std::vector<std::string> ids;
    std::string text;
    for (const char* table : {"/zone.tab", "/zone1970.tab"}) {
        if (!ReadSmallFile(dir + table, text, 4 << 20))
            continue;
        ForEachRow(text, '\t', [&](const std::vector<std::string_view>& f) {
            if (f.size() >= 3 && IsSafeZoneId(f[2]))
                ids.emplace_back(f[2]);
        });
        if (!ids.empty())
            break;
    }
    if (ids.empty() && ReadSmallFile(dir + "/tzdata.zi", text, 16 << 20)) {
        ForEachRow(text, ' ', [&](const std::vector<std::string_view>& f) {
            if (f.size() >= 2 && f[0] == "Z" && f[1] != "Factory" && IsSafeZoneId(f[1]))
                ids.emplace_back(f[1]);
        });
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::map<std::string, std::string> ReadZoneLinks(const std::string& dir)
{
    std::map<std::string, std::string> links;
    std::string text;
    if (!ReadSmallFile(dir + "/tzdata.zi", text, 16 << 20))
        return links;
    ForEachRow(text, ' ', [&](const std::vector<std::string_view>& f) {
        if (f.size() >= 3 && f[0] == "L")
            links.emplace(std::string(f[2]), std::string(f[1]));
    });
    return links;
}

} // namespace kelvara
