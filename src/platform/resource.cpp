#include "platform/resource.h"

#include <algorithm>
#include <cstddef>

namespace kelvara {

namespace embedded {
// Written by tools/mkcab into the build folder.
extern const unsigned char kCnvData[];
extern const std::size_t kCnvDataSize;
} // namespace embedded

namespace {
bool SameType(std::string_view a, std::string_view b)
{
    // Resource types are names without regard to case.
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto up = [](char c) {
                   return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
               };
               return up(x) == up(y);
           });
}
} // namespace

std::span<const std::uint8_t> FindResource(std::string_view type, int id)
{
    if (SameType(type, "CNVDATA") && id == 128 && embedded::kCnvDataSize > 0)
        return {embedded::kCnvData, embedded::kCnvDataSize};
    return {};
}

} // namespace kelvara
