// Arbitrary bytes as a message catalogue in the catalogue folder: the check must neither crash nor
// read past the bytes.
#include "platform/translations.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kelvara::IsSoundMessageCatalogue(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
