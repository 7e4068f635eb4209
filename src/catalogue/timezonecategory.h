#pragma once

#include "catalogue/category.h"

#include <functional>
#include <string_view>

class CTimeZone;

namespace kelvara {
struct SystemZone;
}

// The current time in two zones of the system's time-zone database.
class CTimeZoneCategory : public CCategory {
public:
    CTimeZoneCategory() : CCategory(TimeZone, kelvara::IDS_TIME_DIFFERENCE, nullptr) {}

    int GetDropWidth() const override { return 350; }
    bool IsSourceReadOnly() const override { return true; }
    bool NeedsClock() const override { return true; }
    bool CanClear() const override { return false; }
    bool FormatsTarget() const override { return false; }
    bool SeparatorBelowUnits() const override { return false; }
    bool CanSwap() const override { return false; }
    // West to east as loaded: sorting the display names would put "+14:00" before "-12:00".
    bool SortsUnits() const override { return false; }
    unsigned GetSourceValueLabelId() const override { return kelvara::IDS_TIME1_LABEL; }
    unsigned GetSourceUnitLabelId() const override { return kelvara::IDS_ZONE1_LABEL; }
    unsigned GetTargetValueLabelId() const override { return kelvara::IDS_TIME2_LABEL; }
    unsigned GetTargetUnitLabelId() const override { return kelvara::IDS_ZONE2_LABEL; }
    std::unique_ptr<CBaseUnit> CreateUnit() override { return nullptr; }
    // One zone per canonical zone of the database, plus Etc/UTC, west to east. False (errno set)
    // when the database has no zone list.
    bool Load() override;
    // Only the zones whose id passes are read by the next load: each zone costs a file read, and a
    // search needs only those it may find.
    void SetZoneFilter(std::function<bool(std::string_view id)> filter) { m_filter = std::move(filter); }

    // "(UTC+01:00) Europe/Berlin (Daylight saving time)" for the system's own zone; empty when it
    // is not one of the loaded zones.
    std::string GetSystemZoneText() const;

    // The zone with this display name or zone id (case ignored); an alias of the database
    // ("US/Eastern", "UTC") finds its zone. Null when there is none.
    const CTimeZone* FindZone(std::string_view nameOrId) const;
    // The loaded zone a configured zone name stands for: an id, an alias, or a path into the
    // database ("/usr/share/zoneinfo/Europe/Berlin", "posix/Europe/Berlin"). Null when none.
    const CTimeZone* FindConfiguredZone(std::string_view name) const;
    // The loaded zone the system's setting stands for: the first name on the way to a file that
    // is a zone of the database, else the zone whose file has the same bytes as a copied file
    // (the one `system.name` names first, then one that is no alias), else the configured name.
    const CTimeZone* FindSystemZone(const kelvara::SystemZone& system) const;

private:
    std::function<bool(std::string_view)> m_filter;

    const CTimeZone* FindById(std::string_view id) const;
    // The zone whose database file holds the same bytes as the file at `path`; see FindSystemZone.
    const CTimeZone* FindZoneWithContents(const std::string& path, std::string_view hint) const;
};
