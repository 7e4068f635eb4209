// Loading categories from the built-in archive, and kelvara-cli as a whole process.
// Targets: Currency within 0.3 ms from a fresh start, all thirteen under 10 ms, one
// `kelvara-cli convert` under 5 ms (cli_bench compares it with an empty program).

#include "catalogue/category.h"
#include "catalogue/dataarchive.h"
#include "kelvara/testpaths.h"
#include "platform/programpath.h"
#include "platform/resource.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

// A folder without data files, so that every category comes from the archive.
const std::string& EmptyProgramDirectory()
{
    static const struct Folder {
        Folder()
        {
            std::string pattern = "/tmp/kelvara-bench-XXXXXX";
            path = ::mkdtemp(pattern.data()) ? pattern : "/nonexistent";
        }
        ~Folder() { ::rmdir(path.c_str()); }
        std::string path;
    } folder;
    return folder.path;
}

// Each iteration is a fresh start: a new archive object (its members not yet inflated) and a new
// catalogue, as a program run loads them once.
void LoadFromArchive(benchmark::State& state, const std::vector<std::string>& files)
{
    if (kelvara::FindResource("CNVDATA", 128).empty()) {
        state.SkipWithError("this build carries no data archive");
        return;
    }
    kelvara::SetProgramDirectoryOverride(EmptyProgramDirectory());
    std::size_t units = 0;
    for (auto _ : state) {
        CDataArchive archive;
        if (!archive.Prepare()) {
            state.SkipWithError("the archive could not be prepared");
            return;
        }
        CCategoryArray catalogue;
        CreateCatalogue(catalogue);
        for (const auto& category : catalogue) {
            const std::string file = category->GetDataFileName();
            if (file.empty() || (files.size() == 1 && file != files.front()))
                continue;
            if (!category->EnsureLoaded()) {
                state.SkipWithError(("cannot load " + file).c_str());
                return;
            }
            units += category->GetUnits().size();
        }
    }
    state.counters["units"] =
        benchmark::Counter(static_cast<double>(units), benchmark::Counter::kAvgIterations);
    kelvara::SetProgramDirectoryOverride({});
}

void BM_LoadCategory(benchmark::State& state, const char* file)
{
    LoadFromArchive(state, {file});
}

void BM_LoadAllCategories(benchmark::State& state)
{
    LoadFromArchive(state, {});
}

// One whole run of kelvara-cli with `args`, start to exit.
void RunCli(benchmark::State& state, std::vector<std::string> args)
{
    std::string program = std::string(KELVARA_BINARY_DIR) + "/src/cli/kelvara-cli";
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0 ||
            ::waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("kelvara-cli failed (is the data archive built?)");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

void BM_CliConvert(benchmark::State& state)
{
    RunCli(state, {"convert", "Length", "1.75", "meter (m)", "foot and inch (ft. in.)"});
}

// Start-up and the catalogue, without data.
void BM_CliCategories(benchmark::State& state)
{
    RunCli(state, {"categories"});
}

} // namespace

BENCHMARK_CAPTURE(BM_LoadCategory, currency, "currency.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadCategory, country, "country.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadCategory, length, "length.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadCategory, energy, "energy.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAllCategories)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CliConvert)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CliCategories)->Unit(benchmark::kMillisecond)->UseRealTime();
