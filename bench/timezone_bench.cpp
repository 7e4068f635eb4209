// Loading the whole time-zone database (target: under 20 ms), and the per-second work of the
// clock (two zones' local times).
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "platform/clock.h"

#include <benchmark/benchmark.h>

static void LoadAllZones(benchmark::State& state)
{
    std::size_t zones = 0;
    for (auto _ : state) {
        CTimeZoneCategory category;
        if (!category.EnsureLoaded()) {
            state.SkipWithError("no time-zone database");
            return;
        }
        zones = category.GetUnits().size();
        benchmark::DoNotOptimize(zones);
    }
    state.counters["zones"] = static_cast<double>(zones);
}
BENCHMARK(LoadAllZones)->Unit(benchmark::kMillisecond);

static void FormatTwoZonesNow(benchmark::State& state)
{
    CTimeZoneCategory category;
    if (!category.EnsureLoaded()) {
        state.SkipWithError("no time-zone database");
        return;
    }
    const CTimeZone* first = category.FindZone("Europe/Berlin");
    const CTimeZone* second = category.FindZone("Asia/Gaza");
    if (!first || !second) {
        state.SkipWithError("zones missing");
        return;
    }
    for (auto _ : state) {
        const kelvara::UtcTicks now = kelvara::CurrentUtcTicks();
        benchmark::DoNotOptimize(first->FormatLocalTime(now));
        benchmark::DoNotOptimize(second->FormatLocalTime(now));
    }
}
BENCHMARK(FormatTwoZonesNow);
