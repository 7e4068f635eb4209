#pragma once

#include <cstdint>
#include <string>

namespace kelvara {

// A byte count as the download progress shows it: "512 bytes" below 1 KB, else three significant
// digits of the largest fitting unit, truncated, not rounded ("1.20 KB", "97.6 KB", "0.97 MB" for
// 1000 KB). "." is the decimal point.
std::string FormatByteSize(std::uint64_t bytes);

} // namespace kelvara
