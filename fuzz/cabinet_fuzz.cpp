// Feeds arbitrary bytes to the cabinet reader: it must reject or read them without crashing,
// reading out of bounds, or producing more than the blocks declare.
#include "catalogue/cabinet.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kelvara::Cabinet cabinet;
    if (!cabinet.Open({data, size}))
        return 0;
    std::vector<std::uint8_t> member;
    // Backwards, so that later members are decoded before earlier ones are taken from the cache.
    for (std::size_t i = cabinet.GetMembers().size(); i-- > 0;)
        cabinet.Extract(i, member);
    cabinet.FindMember("weight.dat");
    return 0;
}
