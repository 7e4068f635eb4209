#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// One file stored in a cabinet.
struct CabinetMember {
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t offset = 0; // within its folder's uncompressed data
    std::uint16_t folder = 0;
    std::uint16_t date = 0; // MS-DOS date and time
    std::uint16_t time = 0;
    std::uint16_t attributes = 0;
};

// Reads a cabinet held in memory: a single cabinet (no set), no reserved areas, folders stored or
// MSZIP-compressed. The signature may read "MSCF" or, for the archive built into the program,
// "XCNV". Cabinets come from outside, so every size and offset is checked before it is used, and
// inflating never produces more than the blocks declare.
class Cabinet {
public:
    Cabinet();
    ~Cabinet();
    Cabinet(const Cabinet&) = delete;
    Cabinet& operator=(const Cabinet&) = delete;

    // Checks the header, folders, file table and data-block headers. `bytes` are not copied and
    // must outlive the object. False, with GetError(), for anything malformed.
    bool Open(std::span<const std::uint8_t> bytes);

    // In stored order.
    const std::vector<CabinetMember>& GetMembers() const { return m_members; }
    // The first member named `name`, compared without regard to ASCII case; -1 when none.
    int FindMember(std::string_view name) const;
    // The bytes of member `index`, inflating its folder as far as needed (and verifying block
    // checksums on the way). False, with GetError(), when the data is damaged.
    bool Extract(std::size_t index, std::vector<std::uint8_t>& bytes);

    const std::string& GetError() const { return m_error; }

private:
    struct Block {
        std::size_t header = 0; // offset of the block header in the cabinet
        std::uint16_t compressedSize = 0;
        std::uint16_t uncompressedSize = 0;
    };
    struct Folder {
        std::uint16_t compression = 0;
        std::vector<Block> blocks;
        std::uint64_t size = 0;         // sum of the blocks' uncompressed sizes
        std::vector<std::uint8_t> data; // what has been decoded so far
        std::size_t blocksDecoded = 0;
        bool failed = false;
    };
    class Inflater;

    bool Fail(std::string message);
    bool ReadFolders(std::size_t count);
    bool ReadFiles(std::size_t offset, std::size_t count);
    bool ReadBlocks(std::size_t index, std::uint32_t firstBlock, std::uint16_t blockCount);
    bool CheckMemberRanges();
    bool DecodeUpTo(std::size_t folderIndex, std::uint64_t end);
    bool DecodeBlock(std::size_t folderIndex, Folder& folder);

    std::span<const std::uint8_t> m_bytes; // the cabinet as far as its header's size says
    std::vector<Folder> m_folders;
    std::vector<CabinetMember> m_members;
    std::string m_error;
    std::unique_ptr<Inflater> m_inflater;
};

} // namespace kelvara
