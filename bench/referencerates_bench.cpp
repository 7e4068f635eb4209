// The reference-rate reader against hostile documents: a root with 400,000 empty attributes over
// 230,000 Cube elements (about 4 MB, the size limit), and the largest document the reader accepts
// (a root with the most attributes allowed over the most elements allowed). The yardstick is the
// XML library's own parse of the same bytes, which every reader pays; each iteration runs the
// yardstick and the reader one after the other, so both see the same load of a shared machine, and
// the counters carry the medians.
// Targets: the hostile document in at most 2x its bare parse (the limits refuse it before the walk;
// it took minutes when every element looked at every attribute of its ancestors); the largest
// accepted document within a frame (16 ms). Even the bare parse of the hostile document takes more
// than a frame, which is why the program reads fetched documents off the window's thread.
#include "online/referencerates.h"

#include "timing.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

namespace {

using kelvara::bench::Median;
using kelvara::bench::Seconds;

std::string Envelope(const std::string& rootAttributes, const std::string& besideTheDay)
{
    return "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01' "
           "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'" +
           rootAttributes + "><gesmes:subject>Reference rates</gesmes:subject><Cube>" + besideTheDay +
           "<Cube time='2026-12-07'><Cube currency='USD' rate='1.0523'/></Cube></Cube></gesmes:Envelope>\n";
}

std::string Repeated(const std::string& piece, std::size_t count)
{
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

// The document that took minutes before the reader resolved namespaces once per element.
const std::string& HostileDocument()
{
    static const std::string document = Envelope(Repeated(" a=''", 400000), Repeated("<Cube/>", 230000));
    return document;
}

const std::string& LargestAcceptedDocument()
{
    std::string attributes;
    for (std::size_t i = 2; i < kelvara::kMaxReferenceAttributes; ++i)
        attributes += " a" + std::to_string(i) + "=''";
    static const std::string document =
        Envelope(attributes, Repeated("<Cube/>", kelvara::kMaxReferenceElements - 10));
    return document;
}

void AgainstBareParse(benchmark::State& state, const std::string& document)
{
    std::vector<double> bare;
    std::vector<double> reader;
    for (auto _ : state) {
        reader.push_back(Seconds([&] {
            kelvara::ReferenceRates rates;
            std::string why;
            benchmark::DoNotOptimize(kelvara::ParseReferenceRates(document, "2026-12-08", rates, why));
        }));
        bare.push_back(Seconds([&] {
            pugi::xml_document xml;
            benchmark::DoNotOptimize(xml.load_buffer(document.data(), document.size()));
        }));
        state.SetIterationTime(reader.back());
    }
    state.counters["bare_ms"] = Median(bare) * 1000;
    state.counters["reader_ms"] = Median(reader) * 1000;
    state.counters["ratio"] = Median(bare) > 0 ? Median(reader) / Median(bare) : 0;
    state.counters["bytes"] = static_cast<double>(document.size());
}

void BM_HostileDocument(benchmark::State& state)
{
    AgainstBareParse(state, HostileDocument());
}
BENCHMARK(BM_HostileDocument)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_LargestAcceptedDocument(benchmark::State& state)
{
    AgainstBareParse(state, LargestAcceptedDocument());
}
BENCHMARK(BM_LargestAcceptedDocument)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace
