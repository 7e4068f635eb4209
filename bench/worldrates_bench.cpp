// The world-rate reader against the largest documents it takes: about 4 MB (the size limit) of
// rates, as many currencies as allowed among crypto tokens it skips, and a document of nothing but
// tokens. The yardstick is the JSON library's own check of the same bytes (json::accept), which
// every reader of the document pays; each iteration runs both one after the other, so they see the
// same load, and the counters carry the medians.
// Target: the reader within 4x the library's bare pass over the bytes (it also checks every key for
// a duplicate): its cost is linear in the document (one pass, no tree; only currencies are kept).
// Even so a document of the size allowed takes longer than a frame, which is why the program reads
// fetched documents off the window's thread.
#include "online/worldrates.h"

#include "timing.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using kelvara::bench::Median;
using kelvara::bench::Seconds;

// Three-letter codes are currencies; `tokens` longer keys stand beside them.
std::string Document(std::size_t currencies, std::size_t tokens)
{
    std::string text = R"({"date": "2026-12-08", "eur": {)";
    for (std::size_t i = 0; i < currencies; ++i) {
        const char code[] = {static_cast<char>('a' + i / 676 % 26), static_cast<char>('a' + i / 26 % 26),
                             static_cast<char>('a' + i % 26), '\0'};
        text += "\"" + std::string(code) + "\": 1.2345678901, ";
    }
    for (std::size_t i = 0; i < tokens && text.size() < kelvara::kMaxWorldRatesSize - 64; ++i)
        text += "\"token" + std::to_string(i) + "\": 0.0001234, ";
    text += R"("usd": 1.136}})";
    return text;
}

void AgainstBareCheck(benchmark::State& state, const std::string& document)
{
    std::vector<double> bare;
    std::vector<double> reader;
    for (auto _ : state) {
        reader.push_back(Seconds([&] {
            kelvara::WorldRates rates;
            std::string why;
            benchmark::DoNotOptimize(kelvara::ParseWorldRates(document, "2026-12-08", rates, why));
        }));
        bare.push_back(Seconds([&] { benchmark::DoNotOptimize(nlohmann::json::accept(document)); }));
        state.SetIterationTime(reader.back());
    }
    state.counters["bare_ms"] = Median(bare) * 1000;
    state.counters["reader_ms"] = Median(reader) * 1000;
    state.counters["ratio"] = Median(bare) > 0 ? Median(reader) / Median(bare) : 0;
    state.counters["bytes"] = static_cast<double>(document.size());
}

void BM_MostCurrenciesAmongTokens(benchmark::State& state)
{
    static const std::string document = Document(13000, 1'000'000);
    AgainstBareCheck(state, document);
}
BENCHMARK(BM_MostCurrenciesAmongTokens)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_OnlyTokens(benchmark::State& state)
{
    static const std::string document = Document(0, 1'000'000);
    AgainstBareCheck(state, document);
}
BENCHMARK(BM_OnlyTokens)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace
