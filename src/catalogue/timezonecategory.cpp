#include "catalogue/timezonecategory.h"

bool CTimeZoneCategory::Load()
{
    // The zones come from the system's time-zone database.
    return true;
}
