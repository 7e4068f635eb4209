#include "platform/clock.h"

#include <ctime>

namespace kelvara {

namespace {
std::function<UtcTicks()>& Override()
{
    static std::function<UtcTicks()> clock;
    return clock;
}
} // namespace

UtcTicks CurrentUtcTicks()
{
    if (Override())
        return Override()();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return UtcTicks{now.tv_sec} * kTicksPerSecond + now.tv_nsec / 100;
}

void SetClockOverride(std::function<UtcTicks()> clock)
{
    Override() = std::move(clock);
}

} // namespace kelvara
