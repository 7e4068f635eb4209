#pragma once

#include <cstddef>
#include <cstdint>

// The layout of the cabinet files we read and write: one cabinet, no reserved areas, folders
// stored or MSZIP-compressed. All numbers are little-endian.
namespace kelvara::cab {

inline constexpr std::size_t kHeaderSize = 36;
inline constexpr std::size_t kFolderEntrySize = 8;
inline constexpr std::size_t kFileEntrySize = 16; // followed by the name and its 0
inline constexpr std::size_t kDataHeaderSize = 8;
inline constexpr std::size_t kMaxNameLength = 255;

// Header fields.
inline constexpr std::size_t kOffSignature = 0;
inline constexpr std::size_t kOffCabinetSize = 8;
inline constexpr std::size_t kOffFilesOffset = 16;
inline constexpr std::size_t kOffVersionMinor = 24;
inline constexpr std::size_t kOffVersionMajor = 25;
inline constexpr std::size_t kOffFolderCount = 26;
inline constexpr std::size_t kOffFileCount = 28;
inline constexpr std::size_t kOffFlags = 30;
inline constexpr std::size_t kOffSetId = 32;
inline constexpr std::size_t kOffCabinetIndex = 34;

inline constexpr std::uint16_t kFlagPrevCabinet = 0x0001;
inline constexpr std::uint16_t kFlagNextCabinet = 0x0002;
inline constexpr std::uint16_t kFlagReservePresent = 0x0004;

inline constexpr std::uint16_t kCompressNone = 0;
inline constexpr std::uint16_t kCompressMszip = 1;

inline constexpr std::uint16_t kAttributeArchive = 0x20;

// One MSZIP block yields at most this much; every block but a folder's last yields exactly this.
inline constexpr std::size_t kBlockSize = 32768;
// Room for incompressible data: deflate's stored blocks and the "CK" add a little.
inline constexpr std::size_t kMaxCompressedBlock = kBlockSize + 6144;

inline std::uint16_t Read16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Read32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void Write16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void Write32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The cabinet checksum: the XOR of the little-endian 32-bit words, with the 1 to 3 bytes left at
// the end packed first-byte-highest, seeded with `seed`.
inline std::uint32_t Checksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed)
{
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4)
        sum ^= Read32(data + i);
    std::uint32_t tail = 0;
    for (; i < size; ++i)
        tail = (tail << 8) | data[i];
    return sum ^ tail;
}

// A data block's checksum covers its compressed bytes, then its two size fields.
inline std::uint32_t BlockChecksum(const std::uint8_t* header, const std::uint8_t* data, std::size_t size)
{
    return Checksum(header + 4, 4, Checksum(data, size, 0));
}

} // namespace kelvara::cab
