#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kelvara {

// The bytes of a resource the build linked into the program, by type and number ("CNVDATA", 128:
// the data archive); empty when the program carries no such resource.
std::span<const std::uint8_t> FindResource(std::string_view type, int id);

} // namespace kelvara
