#include "catalogue/timezonecategory.h"

#include "catalogue/timezone.h"
#include "catalogue/tzdatabase.h"
#include "catalogue/zonetimeline.h"
#include "platform/clock.h"
#include "platform/systemzone.h"
#include "text/collate.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <strings.h>

namespace {
constexpr const char* kUtcId = "Etc/UTC";

// "/usr/share/zoneinfo/posix/Europe/Berlin", "../usr/share/zoneinfo/Europe/Berlin" and
// "posix/Europe/Berlin" all name Europe/Berlin.
std::string StripDatabasePath(std::string_view name, const std::string& dir)
{
    std::string id(name);
    if (!dir.empty() && id.size() > dir.size() && id.compare(0, dir.size(), dir) == 0 &&
        id[dir.size()] == '/')
        id.erase(0, dir.size() + 1);
    else if (const auto at = id.rfind("/zoneinfo/"); at != std::string::npos)
        id.erase(0, at + 10);
    for (const char* variant : {"posix/", "right/"}) {
        if (id.rfind(variant, 0) == 0)
            id.erase(0, std::char_traits<char>::length(variant));
    }
    return id;
}
} // namespace

bool CTimeZoneCategory::Load()
{
    errno = 0;
    const std::string dir = kelvara::TimeZoneDatabaseDir();
    std::vector<std::string> ids = kelvara::ReadZoneIds(dir);
    if (ids.empty()) {
        if (errno == 0)
            errno = ENOENT;
        return false;
    }
    if (std::find(ids.begin(), ids.end(), kUtcId) == ids.end())
        ids.emplace_back(kUtcId);

    std::vector<std::unique_ptr<CTimeZone>> zones;
    zones.reserve(ids.size());
    std::string bytes;
    for (const std::string& id : ids) {
        if (m_filter && !m_filter(id))
            continue;
        std::unique_ptr<CTimeZone> zone;
        // A zone whose file is missing or malformed is left out, as the registry's broken keys are.
        if (kelvara::ReadSmallFile(dir + "/" + id, bytes))
            zone = kelvara::MakeTimeZone(id, bytes);
        if (!zone && id == kUtcId)
            zone = kelvara::MakeUtcZone();
        if (zone)
            zones.push_back(std::move(zone));
    }
    // West to east, as every zone picker reads; within one offset by name, as the other lists.
    std::stable_sort(zones.begin(), zones.end(), [](const auto& a, const auto& b) {
        if (a->GetStandardOffset() != b->GetStandardOffset())
            return a->GetStandardOffset() < b->GetStandardOffset();
        return kelvara::CompareListText(a->GetName(), b->GetName()) < 0;
    });
    for (auto& zone : zones)
        AddUnit(std::move(zone));
    return true;
}

const CTimeZone* CTimeZoneCategory::FindById(std::string_view id) const
{
    for (const auto& unit : GetUnits()) {
        const auto* zone = static_cast<const CTimeZone*>(unit.get());
        if (kelvara::EqualsNoCase(zone->GetStandardName(), id))
            return zone;
    }
    return nullptr;
}

const CTimeZone* CTimeZoneCategory::FindZone(std::string_view nameOrId) const
{
    for (const auto& unit : GetUnits()) {
        if (kelvara::EqualsNoCase(unit->GetName(), nameOrId))
            return static_cast<const CTimeZone*>(unit.get());
    }
    return FindConfiguredZone(nameOrId);
}

const CTimeZone* CTimeZoneCategory::FindConfiguredZone(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    const std::string dir = kelvara::TimeZoneDatabaseDir();
    const std::string id = StripDatabasePath(name, dir);
    if (const CTimeZone* zone = FindById(id))
        return zone;
    // An alias: the database's links, else where the file itself leads.
    const auto links = kelvara::ReadZoneLinks(dir);
    std::string target = id;
    for (int hops = 0; hops < 8; ++hops) {
        const auto link = std::find_if(links.begin(), links.end(), [&](const auto& entry) {
            return kelvara::EqualsNoCase(entry.first, target);
        });
        if (link == links.end())
            break;
        target = link->second;
        if (const CTimeZone* zone = FindById(target))
            return zone;
    }
    if (id.find("..") != std::string::npos)
        return nullptr;
    char resolved[PATH_MAX];
    if (::realpath((dir + "/" + id).c_str(), resolved))
        return FindById(StripDatabasePath(resolved, dir));
    return nullptr;
}

const CTimeZone* CTimeZoneCategory::FindSystemZone(const kelvara::SystemZone& system) const
{
    const std::string dir = kelvara::TimeZoneDatabaseDir();
    std::string realDir;
    if (char resolved[PATH_MAX]; ::realpath(dir.c_str(), resolved))
        realDir = resolved;
    for (const std::string& file : system.files) {
        // Only names inside a zone folder: "/etc/localtime" is no zone id.
        const bool inDatabase = StripDatabasePath(file, dir) != file ||
                                (!realDir.empty() && StripDatabasePath(file, realDir) != file);
        if (!inDatabase)
            continue;
        if (const CTimeZone* zone = FindConfiguredZone(file))
            return zone;
        if (!realDir.empty()) {
            if (const CTimeZone* zone = FindConfiguredZone(dir + "/" + StripDatabasePath(file, realDir)))
                return zone;
        }
    }
    if (!system.files.empty()) {
        if (const CTimeZone* zone = FindZoneWithContents(system.files.back(), system.name))
            return zone;
    }
    return FindConfiguredZone(system.name);
}

const CTimeZone* CTimeZoneCategory::FindZoneWithContents(const std::string& path, std::string_view hint) const
{
    std::string bytes;
    if (!kelvara::ReadSmallFile(path, bytes) || bytes.empty())
        return nullptr;
    const std::string dir = kelvara::TimeZoneDatabaseDir();
    const auto links = kelvara::ReadZoneLinks(dir);
    const CTimeZone* hinted = hint.empty() ? nullptr : FindConfiguredZone(hint);
    const CTimeZone* best = nullptr;
    int bestRank = INT_MAX;
    std::string other;
    for (const auto& unit : GetUnits()) {
        const auto* zone = static_cast<const CTimeZone*>(unit.get());
        const std::string file = dir + "/" + zone->GetZoneId();
        // Most zones differ in size; only the few of the same size are read.
        std::error_code error;
        if (std::filesystem::file_size(file, error) != bytes.size() || error)
            continue;
        if (!kelvara::ReadSmallFile(file, other) || other != bytes)
            continue;
        // Zones of the list that share their data (a country's zone now a link to its
        // neighbour's): the one the system names, else the one that is no alias.
        const int rank = zone == hinted ? 0 : links.count(zone->GetZoneId()) ? 2 : 1;
        if (rank < bestRank) {
            best = zone;
            bestRank = rank;
        }
    }
    return best;
}

std::string CTimeZoneCategory::GetSystemZoneText() const
{
    const kelvara::SystemZone system = kelvara::ReadSystemZone();
    const CTimeZone* zone = FindSystemZone(system);
    if (!zone)
        return {};
    const kelvara::UtcTicks now = kelvara::CurrentUtcTicks();
    // The offset in effect now: the C library's when it reads the same setting we did, our own
    // reading of the zone otherwise (/etc/timezone alone does not steer the C library).
    long offset = 0;
    const bool fromLibrary =
        system.libraryFollows && kelvara::SystemOffsetAt(kelvara::SecondsFromTicks(now), offset);
    if (!fromLibrary)
        offset = static_cast<long>((zone->LocalTimeAt(now) - now) / kelvara::kTicksPerSecond);
    // Daylight time is whatever moves the clock off the standard offset the display name shows.
    const bool inDaylight = offset != zone->GetStandardOffset() * 60L;
    return zone->GetName() + " (" +
           kelvara::LoadString(inDaylight ? kelvara::IDS_DAYLIGHT_TIME : kelvara::IDS_STANDARD_TIME) + ")";
}
