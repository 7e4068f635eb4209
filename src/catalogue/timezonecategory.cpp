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

std::string CTimeZoneCategory::GetSystemZoneText() const
{
    const kelvara::SystemZone system = kelvara::ReadSystemZone();
    const CTimeZone* zone = FindConfiguredZone(system.name);
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
