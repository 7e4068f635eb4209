// kelvara-cli find over the whole catalogue as a whole process, beside an empty process started
// the same way, so that the figure can be read on a busy machine.
// Target: one `kelvara-cli find` under 5 ms.

#include "kelvara/testpaths.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs `args` (the program first) to its end, over and over; `expected` is its exit status. The
// child's own processor time (user and system) is a counter beside the wall time, which a busy
// machine stretches.
void RunProcess(benchmark::State& state, std::vector<std::string> args, int expected)
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    double cpu = 0;
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        rusage usage{};
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            ::wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != expected) {
            state.SkipWithError((args[0] + " failed").c_str());
            break;
        }
        cpu += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

std::string Cli()
{
    return std::string(KELVARA_BINARY_DIR) + "/src/cli/kelvara-cli";
}

void BM_EmptyProcess(benchmark::State& state)
{
    RunProcess(state, {"/bin/true"}, 0);
}

// Every category is loaded and searched whether or not anything matches; of the time zones only
// those whose id holds the words are read.
void BM_FindOneMatch(benchmark::State& state)
{
    RunProcess(state, {Cli(), "find", "tsubo", "earth"}, 0);
}

void BM_FindNothing(benchmark::State& state)
{
    RunProcess(state, {Cli(), "find", "no-such-unit"}, 1);
}

// Every entry printed, so every zone file read: the most work find can be given.
void BM_FindEverything(benchmark::State& state)
{
    RunProcess(state, {Cli(), "find", " "}, 0);
}

// A word that may lie in the "(UTC+09:00)" before an id: every zone is read to know its offset.
void BM_FindZonesByOffset(benchmark::State& state)
{
    RunProcess(state, {Cli(), "find", "+09:00"}, 0);
}

void BM_CliCategories(benchmark::State& state)
{
    RunProcess(state, {Cli(), "categories"}, 0);
}

} // namespace

BENCHMARK(BM_EmptyProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliCategories)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindOneMatch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindZonesByOffset)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindEverything)->Unit(benchmark::kMillisecond)->UseRealTime();
