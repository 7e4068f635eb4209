#include "page/zonedisplay.h"

#include "catalogue/timezonecategory.h"
#include "platform/datetimesettings.h"

namespace kelvara {

std::string SystemZoneText(const CCategory& category)
{
    const auto* zones = dynamic_cast<const CTimeZoneCategory*>(&category);
    return zones ? zones->GetSystemZoneText() : std::string();
}

void OpenDateTimeSettings(const CCategory& category)
{
    // A desktop without such a tool simply gets nothing.
    if (dynamic_cast<const CTimeZoneCategory*>(&category))
        StartDateTimeTool();
}

} // namespace kelvara
