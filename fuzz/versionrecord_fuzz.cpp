// Arbitrary bytes as a version record (another build's file may hold anything): validation and
// every query must neither crash nor read past the bytes.
#include "platform/versionrecord.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Most inputs would fail at the marker; put it in front so the fuzzer spends its time inside.
    std::vector<unsigned char> bytes(kelvara::kVersionRecordBegin.begin(), kelvara::kVersionRecordBegin.end());
    bytes.insert(bytes.end(), data, data + size);

    for (const auto& input : {std::vector<unsigned char>(data, data + size), bytes}) {
        const auto record = kelvara::ValidVersionRecord(input);
        if (!record.empty() && record.size() > input.size())
            __builtin_trap();
        std::span<const unsigned char> value;
        kelvara::FixedFileInfo info;
        if (kelvara::QueryVersionValue(input, "\\", value))
            kelvara::ReadFixedFileInfo(value, info);
        kelvara::QueryVersionValue(input, "\\VarFileInfo\\Translation", value);
        kelvara::QueryVersionValue(input, "\\StringFileInfo\\0409fde9\\LegalCopyright", value);
        kelvara::QueryVersionValue(input, "\\StringFileInfo\\040904e4\\CompanyName", value);
    }
    return 0;
}
