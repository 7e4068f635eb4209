#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvara {

// A version a.b.c.d packed as a version resource holds it: a and b in the high and c and d in the
// low word, 16 bits each, so every component counts modulo 65536.
struct PackedVersion {
    std::uint32_t high = 0;
    std::uint32_t low = 0;

    bool operator==(const PackedVersion&) const = default;
};

PackedVersion PackVersion(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);

// Reads `text` as the pattern "%d.%d.%d.%d": four signed decimal numbers joined by dots, blanks
// allowed before each number, anything after the fourth ignored. Fewer than four numbers give
// 0.0.0.0 and false.
bool ParseVersionText(std::string_view text, PackedVersion& version);

// Whether `candidate` is strictly newer than `current`: the high words compared as signed 32-bit
// numbers, and only when they are equal the low words as unsigned ones.
bool IsNewerVersion(const PackedVersion& candidate, const PackedVersion& current);

// The queries into the update document, and its two addresses. The name and the file name are
// percent-escaped as query values.
inline constexpr const char* kVersionQuery = "//programs/program/version";
inline constexpr const char* kFileNameQuery = "//programs/program/fileName";
std::string BuildVersionQueryUrl(std::string_view serviceAddress, std::string_view programName);
std::string BuildDownloadUrl(std::string_view serviceAddress, std::string_view fileName);

} // namespace kelvara
