// The ECB's reference-rate document as a server may send it.
#include "online/referencerates.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    kelvara::ReferenceRates rates;
    std::string why;
    if (kelvara::ParseReferenceRates(document, "2026-12-08", rates, why)) {
        // Whatever was accepted must be what the store relies on.
        if (rates.date.size() != 10 || rates.rates.empty() || rates.texts.size() != rates.rates.size())
            __builtin_trap();
        for (const auto& [code, rate] : rates.rates)
            if (code.size() != 3 || !(rate > 0) || !std::isfinite(rate))
                __builtin_trap();
    } else if (why.empty()) {
        __builtin_trap();
    }
    return 0;
}
