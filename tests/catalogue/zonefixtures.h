#pragma once

// Builds TZif files and small zone databases for the tests, so that each case states its zone's
// history in a few lines.

#include "support/testenv.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace kelvara::test {

// A fresh folder under the test's private root.
inline std::string ZoneTempDir()
{
    std::string pattern = TestRoot() + "/zonesXXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

inline void WriteZoneFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct TzifType {
    std::int32_t offset; // seconds east
    bool isDst = false;
};

struct TzifContents {
    std::vector<TzifType> types{{0, false}};
    std::vector<std::pair<std::int64_t, std::uint8_t>> transitions; // universal second, type index
    std::string footer;
    char version = '2';
};

inline void PutU32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline void PutI64(std::string& out, std::int64_t v)
{
    const auto u = static_cast<std::uint64_t>(v);
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

inline std::string TzifBlock(const TzifContents& c, bool wide, char version)
{
    std::string out = "TZif";
    out.push_back(version);
    out.append(15, '\0');
    std::vector<std::pair<std::int64_t, std::uint8_t>> transitions;
    for (const auto& t : c.transitions)
        if (wide || (t.first >= INT32_MIN && t.first <= INT32_MAX))
            transitions.push_back(t);
    PutU32(out, 0);                                              // isutcnt
    PutU32(out, 0);                                              // isstdcnt
    PutU32(out, 0);                                              // leapcnt
    PutU32(out, static_cast<std::uint32_t>(transitions.size())); // timecnt
    PutU32(out, static_cast<std::uint32_t>(c.types.size()));     // typecnt
    PutU32(out, 4);                                              // charcnt
    for (const auto& t : transitions) {
        if (wide)
            PutI64(out, t.first);
        else
            PutU32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(t.first)));
    }
    for (const auto& t : transitions)
        out.push_back(static_cast<char>(t.second));
    for (const auto& type : c.types) {
        PutU32(out, static_cast<std::uint32_t>(type.offset));
        out.push_back(type.isDst ? 1 : 0);
        out.push_back(0);
    }
    out.append("ZZZ", 4);
    return out;
}

inline std::string BuildTzif(const TzifContents& c)
{
    if (c.version == '\0')
        return TzifBlock(c, false, '\0');
    return TzifBlock(c, false, c.version) + TzifBlock(c, true, c.version) + "\n" + c.footer + "\n";
}

// A zone that has only its footer rule.
inline std::string RuleOnlyTzif(const std::string& footer, std::int32_t offset)
{
    TzifContents c;
    c.types = {{offset, false}};
    c.footer = footer;
    return BuildTzif(c);
}

} // namespace kelvara::test
