#include "catalogue/countrycodecategory.h"

#include "text/strings.h"

bool CCountryCodeCategory::FillTargetUnits(kelvara::UnitList& list, int selection)
{
    FillColumns(list, selection,
                {{kelvara::LoadString(kelvara::IDS_FIRE_DEPARTMENT), CCountryCode::ColumnFire},
                 {kelvara::LoadString(kelvara::IDS_POLICE_DEPARTMENT), CCountryCode::ColumnPolice},
                 {kelvara::LoadString(kelvara::IDS_RESCUE), CCountryCode::ColumnRescue}});
    return true;
}

bool CCountryCodeCategory::FillValueList(kelvara::UnitList& list, int selection, int)
{
    FillListByColumn(list, selection, CCountryCode::ColumnCodeAndPrefix);
    return true;
}
