// kelvara-cli as a whole process, against an empty C program started in the same run, and the
// batch form over a million values. Each iteration starts the yardstick and the tool one after
// the other, so both see the same load of a shared machine; the counters carry the medians.
// Targets: `convert Length` at most 2x the empty program; 1,000,000 Length values within 1 s.

#include "spawn.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using kelvara::bench::CliPath;

// The wall time in seconds of `args` with standard input from `input`, or a negative number when
// it failed.
double TimeRun(std::vector<std::string> args, const std::string& input = "/dev/null")
{
    const auto run = kelvara::bench::RunToEnd(std::move(args), 0, input);
    return run.ok ? run.seconds : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The tool with `args`, alternating with the empty program; the time reported is the tool's.
void AgainstEmptyProgram(benchmark::State& state, std::vector<std::string> args)
{
    args.insert(args.begin(), CliPath());
    std::vector<double> empty;
    std::vector<double> tool;
    for (auto _ : state) {
        const double e = TimeRun({KELVARA_EMPTY_PROGRAM});
        const double t = TimeRun(args);
        if (e < 0 || t < 0) {
            state.SkipWithError("a run failed (is the data archive built?)");
            return;
        }
        empty.push_back(e);
        tool.push_back(t);
        state.SetIterationTime(t);
    }
    const double me = Median(empty);
    const double mt = Median(tool);
    state.counters["empty_ms"] = me * 1e3;
    state.counters["cli_ms"] = mt * 1e3;
    state.counters["ratio"] = me > 0 ? mt / me : 0;
}

void BM_CliConvertLength(benchmark::State& state)
{
    AgainstEmptyProgram(state, {"convert", "Length", "1.75", "m", "ft"});
}

// The one category that reads the stored settings, and so loads them.
void BM_CliConvertCurrency(benchmark::State& state)
{
    AgainstEmptyProgram(state, {"convert", "Currency", "100", "USD", "EUR"});
}

// A million values through the batch form, one process.
void BM_CliBatchLength(benchmark::State& state)
{
    const std::string input = std::string(KELVARA_BINARY_DIR) + "/bench-million-values.txt";
    {
        std::FILE* f = std::fopen(input.c_str(), "w");
        if (!f) {
            state.SkipWithError("cannot write the input file");
            return;
        }
        for (int i = 0; i < 1000000; ++i)
            std::fprintf(f, "%d.%03d\n", i % 5000, i % 1000);
        std::fclose(f);
    }
    std::vector<double> runs;
    for (auto _ : state) {
        const double t = TimeRun({CliPath(), "convert", "Length", "m", "ft"}, input);
        if (t < 0) {
            state.SkipWithError("the batch run failed");
            break;
        }
        runs.push_back(t);
        state.SetIterationTime(t);
    }
    state.counters["median_s"] = Median(runs);
    std::remove(input.c_str());
}

} // namespace

BENCHMARK(BM_CliConvertLength)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1000);
BENCHMARK(BM_CliConvertCurrency)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(300);
BENCHMARK(BM_CliBatchLength)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
