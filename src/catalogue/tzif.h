#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// One local-time type of a TZif file: the offset east of universal time and the daylight flag.
struct LocalTimeType {
    std::int32_t offset = 0; // seconds
    bool isDst = false;
};

// The contents of a TZif file that matter here: the transitions (universal seconds, strictly
// ascending, each with the index of the type in effect from then on), the types and the footer.
struct TzifData {
    std::vector<std::int64_t> times;
    std::vector<std::uint8_t> typeIndexes;
    std::vector<LocalTimeType> types;
    std::string footer; // the POSIX TZ string after the 64-bit data; empty when there is none
};

// Reads a TZif file of any version (the 64-bit section when there is one). False, leaving `data`
// unspecified, for anything malformed: bad magic, counts that overrun the bytes, type indexes out
// of range, times out of order, absurd offsets.
bool ParseTzif(std::string_view bytes, TzifData& data);

} // namespace kelvara
