#pragma once

#include "catalogue/category.h"
#include "catalogue/countrycode.h"

// Country codes, dialling prefixes and emergency numbers: the rows are the values, the emergency
// services the target "units".
class CCountryCodeCategory : public CCategory {
public:
    CCountryCodeCategory() : CCategory(Lookup, kelvara::IDS_COUNTRY_CODES, "country") {}

    int GetDropWidth() const override { return 280; }
    bool HasFixedValueList() const override { return true; }
    bool CanClear() const override { return false; }
    bool FormatsTarget() const override { return false; }
    bool CanSwap() const override { return false; }
    unsigned GetSourceValueLabelId() const override { return kelvara::IDS_CODE_INTL_LABEL; }
    unsigned GetSourceUnitLabelId() const override { return kelvara::IDS_COUNTRY_LABEL; }
    unsigned GetTargetValueLabelId() const override { return kelvara::IDS_PHONE_LABEL; }
    unsigned GetTargetUnitLabelId() const override { return kelvara::IDS_SERVICE_LABEL; }
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CCountryCode>(); }
    // A country as iso-codes names it in the user's language; else as our catalogue does; else as
    // the data file does. English speakers see the file's names, never iso-codes' own.
    std::string GetUnitText(const CBaseUnit& unit) const override;
    std::string GetEnglishText(const kelvara::ListItem& item) const override;
    bool FillTargetUnits(kelvara::UnitList& list, int selection) override;
    bool FillValueList(kelvara::UnitList& list, int selection, int column) override;
};
