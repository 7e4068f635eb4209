#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara {

// A file to be packed.
struct CabinetInput {
    std::string name;
    std::vector<std::uint8_t> data;
    std::uint16_t date = 0; // MS-DOS date and time
    std::uint16_t time = 0;
};

struct CabinetWriterOptions {
    char signature[4] = {'X', 'C', 'N', 'V'};
    bool compress = true;  // MSZIP; false stores the data
    bool checksums = true; // false writes 0, "no checksum"
    int level = 9;         // deflate level
    // A folder of its own for every file that has data (empty ones join the folder before them),
    // so that one file is read without inflating the others; the files then share no history and
    // pack a little less tightly.
    bool folderPerFile = false;
};

// Packs `files` into one cabinet: one folder (or one per file, see the options), members in
// alphabetical order (ASCII case folded), attribute "archive", data in blocks of 32768 uncompressed
// bytes, each MSZIP block "CK" followed by a raw deflate stream that may refer back into the blocks
// before it in its folder. The set identifier follows
// from the content, so the same files always give the same bytes. Empty, with `error`, when the
// files cannot be packed (none, a bad or duplicate name, too large).
std::vector<std::uint8_t> BuildCabinet(std::vector<CabinetInput> files, const CabinetWriterOptions& options,
                                       std::string* error = nullptr);

// An MS-DOS date and time for `seconds` since 1970, in local time.
void ToDosDateTime(long long seconds, std::uint16_t& date, std::uint16_t& time);

} // namespace kelvara
