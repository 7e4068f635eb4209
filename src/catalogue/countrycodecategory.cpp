#include "catalogue/countrycodecategory.h"

#include "platform/strings.h"

bool CCountryCodeCategory::FillTargetUnits(kelvara::UnitList& list, int selection)
{
    FillColumns(list, selection,
                {{kelvara::LoadString(20), CCountryCode::ColumnFire},
                 {kelvara::LoadString(22), CCountryCode::ColumnPolice},
                 {kelvara::LoadString(21), CCountryCode::ColumnRescue}});
    return true;
}

bool CCountryCodeCategory::FillValueList(kelvara::UnitList& list, int selection, int)
{
    FillListByColumn(list, selection, CCountryCode::ColumnCodeAndPrefix);
    return true;
}
