// Loading categories from the built-in archive.
// Targets: Currency within 0.3 ms from a fresh start, all twenty-three under 10 ms. kelvara-cli as a
// whole process is cli_bench's and find_bench's, beside an empty program.

#include "catalogue/category.h"
#include "catalogue/dataarchive.h"
#include "kelvara/testpaths.h"
#include "platform/programpath.h"
#include "platform/resource.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>
#include <vector>

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

} // namespace

BENCHMARK_CAPTURE(BM_LoadCategory, currency, "currency.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadCategory, country, "country.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadCategory, length, "length.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadCategory, energy, "energy.dat")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAllCategories)->Unit(benchmark::kMicrosecond);
