// kelvara-cli find over the whole catalogue as a whole process, beside an empty process started
// the same way, so that the figure can be read on a busy machine.
// Target: one `kelvara-cli find` under 5 ms.

#include "spawn.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// Runs `args` (the program first) to its end, over and over; `expected` is its exit status. The
// child's own processor time is a counter beside the wall time, which a busy machine stretches.
void RunProcess(benchmark::State& state, std::vector<std::string> args, int expected)
{
    double cpu = 0;
    for (auto _ : state) {
        const auto run = kelvara::bench::RunToEnd(args, expected);
        if (!run.ok) {
            state.SkipWithError((args[0] + " failed").c_str());
            break;
        }
        cpu += run.cpuMs;
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

using kelvara::bench::CliPath;

void BM_EmptyProcess(benchmark::State& state)
{
    RunProcess(state, {"/bin/true"}, 0);
}

// Every category is loaded and searched whether or not anything matches; of the time zones only
// those whose id holds the words are read.
void BM_FindOneMatch(benchmark::State& state)
{
    RunProcess(state, {CliPath(), "find", "tsubo", "earth"}, 0);
}

void BM_FindNothing(benchmark::State& state)
{
    RunProcess(state, {CliPath(), "find", "no-such-unit"}, 1);
}

// Every entry printed, so every zone file read: the most work find can be given.
void BM_FindEverything(benchmark::State& state)
{
    RunProcess(state, {CliPath(), "find", " "}, 0);
}

// A word that may lie in the "(UTC+09:00)" before an id: every zone is read to know its offset.
void BM_FindZonesByOffset(benchmark::State& state)
{
    RunProcess(state, {CliPath(), "find", "+09:00"}, 0);
}

void BM_CliCategories(benchmark::State& state)
{
    RunProcess(state, {CliPath(), "categories"}, 0);
}

} // namespace

BENCHMARK(BM_EmptyProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliCategories)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindOneMatch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindZonesByOffset)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindEverything)->Unit(benchmark::kMillisecond)->UseRealTime();
