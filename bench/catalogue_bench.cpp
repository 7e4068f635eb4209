#include "catalogue/category.h"
#include "catalogue/currency.h"
#include "catalogue/defaultunit.h"
#include "catalogue/number.h"
#include "catalogue/temperature.h"
#include "catalogue/textfilereader.h"
#include "platform/programpath.h"
#include "support/fakelist.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

// A 20 KB data file in the shipped form (UTF-16LE, CR LF), beside a pretend program.
class DataFolder {
public:
    DataFolder()
    {
        char name[] = "/tmp/kelvara-bench-XXXXXX";
        m_dir = ::mkdtemp(name);
        std::string text = "; Kelvara\r\n;unit,value,comment\r\n";
        int i = 0;
        while (text.size() < 10 * 1024) {
            ++i;
            text +=
                "\"[UK] unit number " + std::to_string(i) + " (u)\"," + std::to_string(0.3048 * i) + ",\r\n";
        }
        kelvara::test::WriteFile(m_dir + "/length.dat", kelvara::test::Utf16LE(text));
        kelvara::SetProgramDirectoryOverride(m_dir);
    }
    ~DataFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        kelvara::SetProgramDirectoryOverride({});
    }
    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
};

void BM_LoadTwentyKilobyteFile(benchmark::State& state)
{
    DataFolder folder;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(folder.Dir() + "/length.dat"));
    for (auto _ : state) {
        CCategoryArray catalogue;
        CreateCatalogue(catalogue);
        benchmark::DoNotOptimize(catalogue[1]->EnsureLoaded());
        benchmark::DoNotOptimize(catalogue[1]->GetUnits().size());
    }
}
BENCHMARK(BM_LoadTwentyKilobyteFile)->Unit(benchmark::kMicrosecond);

template <typename Unit>
void ConvertBench(benchmark::State& state, const char* sourceRow, const char* targetRow, const char* text)
{
    Unit source;
    Unit target;
    source.Parse(sourceRow);
    target.Parse(targetRow);
    const std::string input = text;
    for (auto _ : state)
        benchmark::DoNotOptimize(source.Convert(input, target));
}

void BM_ConvertLinear(benchmark::State& s)
{
    ConvertBench<CDefaultUnit>(s, "mile,1609.344", "km,1000", "12.5");
}
void BM_ConvertCompound(benchmark::State& s)
{
    ConvertBench<CDefaultUnit>(s, "ft in,*,0.3048,ft,12,in", "m,1", "5.9");
}
void BM_ConvertTemperature(benchmark::State& s)
{
    ConvertBench<CTemperature>(s, "F,2", "C,1", "98.6");
}
void BM_ConvertNumberToRoman(benchmark::State& s)
{
    ConvertBench<CNumber>(s, "Decimal,10", "Roman,100", "1994");
}
void BM_ConvertCurrency(benchmark::State& s)
{
    ConvertBench<CCurrency>(s, "Euro,EUR,T,1", "United States Dollars,USD,T,1.29301", "100");
}
BENCHMARK(BM_ConvertLinear);
BENCHMARK(BM_ConvertCompound);
BENCHMARK(BM_ConvertTemperature);
BENCHMARK(BM_ConvertNumberToRoman);
BENCHMARK(BM_ConvertCurrency);

} // namespace
