#include "page/zonedisplay.h"

// The zones come with the time-zone category; until then there is nothing to show.
namespace kelvara {

std::string FormatZoneTime(const CBaseUnit*, UtcTime)
{
    return {};
}

std::string SystemZoneText(const CCategory&)
{
    return {};
}

void OpenDateTimeSettings(const CCategory&)
{
}

} // namespace kelvara
