#include "catalogue/sensitivitycategory.h"

#include "text/strings.h"

bool CSensitivityCategory::FillSourceUnits(kelvara::UnitList& list, int selection)
{
    // In the order of the names, as the lists showed them when they were stored by position.
    FillColumns(list, selection,
                {{kelvara::LoadString(kelvara::IDS_ASA_ISO), CSensitivity::ColumnAsa},
                 {kelvara::LoadString(kelvara::IDS_DIN), CSensitivity::ColumnDin}});
    return true;
}

bool CSensitivityCategory::FillTargetUnits(kelvara::UnitList& list, int selection)
{
    return FillSourceUnits(list, selection);
}

bool CSensitivityCategory::FillValueList(kelvara::UnitList& list, int selection, int column)
{
    FillListByColumn(list, selection, column);
    return true;
}
