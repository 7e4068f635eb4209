#pragma once

#include "catalogue/category.h"
#include "catalogue/sensitivity.h"

// Film speeds: the units are the two scales, the rows of the data file are the values.
class CSensitivityCategory : public CCategory {
public:
    CSensitivityCategory() : CCategory(Lookup, kelvara::IDS_FILM_SENSITIVITY, "sensitivity") {}

    bool CanClear() const override { return false; }
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CSensitivity>(); }
    bool FillSourceUnits(kelvara::UnitList& list, int selection) override;
    bool FillTargetUnits(kelvara::UnitList& list, int selection) override;
    bool FillValueList(kelvara::UnitList& list, int selection, int column) override;
};
