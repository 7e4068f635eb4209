#pragma once

#include <cstdint>
#include <functional>

namespace kelvara {

// Universal time as a count of 100-nanosecond ticks since 1970-01-01 00:00:00; the unit in which
// the time-zone rules compare and shift times.
using UtcTicks = std::int64_t;

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;

// The current universal time (the system clock, or what a test installed).
UtcTicks CurrentUtcTicks();
// Tests fix "now"; an empty function restores the system clock.
void SetClockOverride(std::function<UtcTicks()> clock);

} // namespace kelvara
