#pragma once

#include "catalogue/category.h"

// The current time in two zones of the system's time-zone database.
class CTimeZoneCategory : public CCategory {
public:
    CTimeZoneCategory() : CCategory(TimeZone, 18, nullptr) {}

    int GetDropWidth() const override { return 350; }
    bool IsSourceReadOnly() const override { return true; }
    bool NeedsClock() const override { return true; }
    bool CanClear() const override { return false; }
    bool FormatsTarget() const override { return false; }
    bool SeparatorBelowUnits() const override { return false; }
    bool CanSwap() const override { return false; }
    unsigned GetSourceValueLabelId() const override { return 32; }
    unsigned GetSourceUnitLabelId() const override { return 33; }
    unsigned GetTargetValueLabelId() const override { return 34; }
    unsigned GetTargetUnitLabelId() const override { return 35; }
    std::unique_ptr<CBaseUnit> CreateUnit() override { return nullptr; }
    bool Load() override;
};
