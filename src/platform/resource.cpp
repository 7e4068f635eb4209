#include "platform/resource.h"

#include "text/textcase.h"

#include <cstddef>

namespace kelvara {

namespace embedded {
// Written by tools/mkcab into the build folder.
extern const unsigned char kCnvData[];
extern const std::size_t kCnvDataSize;
} // namespace embedded


std::span<const std::uint8_t> FindResource(std::string_view type, int id)
{
    // Resource types are names without regard to case.
    if (EqualsNoCase(type, "CNVDATA") && id == 128 && embedded::kCnvDataSize > 0)
        return {embedded::kCnvData, embedded::kCnvDataSize};
    return {};
}

} // namespace kelvara
