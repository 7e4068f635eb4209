#include "catalogue/cabinet.h"

#include "catalogue/cabinetformat.h"
#include "text/textcase.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace kelvara {

using namespace cab;

// One raw-inflate stream, reset for every block.
class Cabinet::Inflater {
public:
    Inflater() { m_ok = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK; }
    ~Inflater()
    {
        if (m_ok)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates `in` into exactly `out.size()` bytes, with `history` as the preset dictionary.
    // Returns an empty text on success, else what went wrong.
    const char* Run(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                    std::span<const std::uint8_t> history)
    {
        if (!m_ok || inflateReset(&m_stream) != Z_OK)
            return "the decompressor could not start";
        if (!history.empty() &&
            inflateSetDictionary(&m_stream, history.data(), static_cast<uInt>(history.size())) != Z_OK)
            return "the decompressor refused the history";
        m_stream.next_in = const_cast<Bytef*>(in.data()); // zlib's API is not const-correct
        m_stream.avail_in = static_cast<uInt>(in.size());
        m_stream.next_out = out.data();
        m_stream.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&m_stream, Z_FINISH);
        if (rc == Z_STREAM_END) {
            if (m_stream.avail_out != 0)
                return "its data yields less than declared";
            if (m_stream.avail_in != 0)
                return "it holds bytes after the end of its data";
            return "";
        }
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT)
            return "its compressed data is invalid";
        // The output is capped at the declared size: a stream that wants to go on has more.
        if (m_stream.avail_out == 0)
            return "its data yields more than declared";
        if (m_stream.avail_in == 0)
            return "its compressed data does not end within the block";
        return "the decompressor failed";
    }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

Cabinet::Cabinet() = default;
Cabinet::~Cabinet() = default;

bool Cabinet::Fail(std::string message)
{
    m_error = std::move(message);
    m_members.clear();
    m_folders.clear();
    m_bytes = {};
    return false;
}

bool Cabinet::Open(std::span<const std::uint8_t> bytes)
{
    m_members.clear();
    m_folders.clear();
    m_error.clear();
    m_bytes = {};
    if (bytes.size() < kHeaderSize)
        return Fail("the cabinet header is truncated");
    const std::uint8_t* h = bytes.data();
    if (std::memcmp(h, "MSCF", 4) != 0 && std::memcmp(h, "XCNV", 4) != 0)
        return Fail("not a cabinet (bad signature)");
    const std::uint32_t declaredSize = Read32(h + kOffCabinetSize);
    if (declaredSize < kHeaderSize || declaredSize > bytes.size())
        return Fail("the cabinet is truncated: its header declares " + std::to_string(declaredSize) +
                    " bytes, " + std::to_string(bytes.size()) + " are present");
    if (h[kOffVersionMajor] != 1)
        return Fail("unsupported cabinet format version " + std::to_string(h[kOffVersionMajor]) + "." +
                    std::to_string(h[kOffVersionMinor]));
    const std::uint16_t flags = Read16(h + kOffFlags);
    if (flags & (kFlagPrevCabinet | kFlagNextCabinet))
        return Fail("the cabinet is part of a set, which is not supported");
    if (flags & kFlagReservePresent)
        return Fail("the cabinet has reserved areas, which are not supported");
    const std::uint16_t folderCount = Read16(h + kOffFolderCount);
    const std::uint16_t fileCount = Read16(h + kOffFileCount);
    if (folderCount == 0)
        return Fail("the cabinet has no folder");
    if (fileCount == 0)
        return Fail("the cabinet has no file");

    m_bytes = bytes.first(declaredSize);
    if (!ReadFolders(folderCount))
        return false;
    if (!ReadFiles(Read32(h + kOffFilesOffset), fileCount))
        return false;
    for (std::size_t i = 0; i < m_folders.size(); ++i) {
        const std::uint8_t* entry = m_bytes.data() + kHeaderSize + i * kFolderEntrySize;
        if (!ReadBlocks(i, Read32(entry), Read16(entry + 4)))
            return false;
    }
    if (!CheckMemberRanges())
        return false;
    m_inflater = std::make_unique<Inflater>();
    return true;
}

bool Cabinet::ReadFolders(std::size_t count)
{
    if (kHeaderSize + count * kFolderEntrySize > m_bytes.size())
        return Fail("the folder table lies beyond the end of the cabinet");
    m_folders.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = m_bytes.data() + kHeaderSize + i * kFolderEntrySize;
        const std::uint16_t compression = Read16(entry + 6);
        if (compression != kCompressNone && compression != kCompressMszip)
            return Fail("folder " + std::to_string(i) + " uses compression type " +
                        std::to_string(compression) + ", which is not supported");
        m_folders[i].compression = compression;
    }
    return true;
}

bool Cabinet::ReadFiles(std::size_t offset, std::size_t count)
{
    const std::size_t end = m_bytes.size();
    if (offset < kHeaderSize || offset >= end)
        return Fail("the file table lies outside the cabinet");
    m_members.reserve(count);
    std::size_t pos = offset;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string which = "file entry " + std::to_string(i);
        if (end - pos < kFileEntrySize)
            return Fail(which + " lies beyond the end of the cabinet");
        const std::uint8_t* e = m_bytes.data() + pos;
        CabinetMember m;
        m.size = Read32(e);
        m.offset = Read32(e + 4);
        m.folder = Read16(e + 8);
        m.date = Read16(e + 10);
        m.time = Read16(e + 12);
        m.attributes = Read16(e + 14);
        if (m.folder >= m_folders.size())
            return Fail(which + " names folder " + std::to_string(m.folder) + " of " +
                        std::to_string(m_folders.size()));
        pos += kFileEntrySize;
        const std::size_t room = std::min(end - pos, kMaxNameLength + 1);
        const auto* name = reinterpret_cast<const char*>(m_bytes.data() + pos);
        const std::size_t length = ::strnlen(name, room);
        if (length == 0)
            return Fail(which + " has an empty name");
        if (length > kMaxNameLength)
            return Fail(which + " has a name longer than 255 bytes");
        if (length == room)
            return Fail(which + " has a name without its terminating 0");
        m.name.assign(name, length);
        pos += length + 1;
        m_members.push_back(std::move(m));
    }
    return true;
}

bool Cabinet::ReadBlocks(std::size_t index, std::uint32_t firstBlock, std::uint16_t blockCount)
{
    Folder& folder = m_folders[index];
    const std::string which = "folder " + std::to_string(index);
    const std::size_t end = m_bytes.size();
    if (firstBlock < kHeaderSize || firstBlock > end)
        return Fail("the data of " + which + " lies outside the cabinet");
    std::size_t pos = firstBlock;
    folder.blocks.reserve(std::min<std::size_t>(blockCount, (end - pos) / kDataHeaderSize));
    for (std::size_t b = 0; b < blockCount; ++b) {
        const std::string block = "block " + std::to_string(b) + " of " + which;
        if (end - pos < kDataHeaderSize)
            return Fail(block + " lies beyond the end of the cabinet");
        Block blk;
        blk.header = pos;
        blk.compressedSize = Read16(m_bytes.data() + pos + 4);
        blk.uncompressedSize = Read16(m_bytes.data() + pos + 6);
        if (end - pos - kDataHeaderSize < blk.compressedSize)
            return Fail(block + " lies beyond the end of the cabinet");
        if (folder.compression == kCompressMszip &&
            (blk.compressedSize < 2 || blk.compressedSize > kMaxCompressedBlock))
            return Fail(block + " has an invalid compressed size " + std::to_string(blk.compressedSize));
        if (folder.compression == kCompressNone && blk.compressedSize != blk.uncompressedSize)
            return Fail(block + " is stored but its two sizes differ");
        if (blk.uncompressedSize == 0 || blk.uncompressedSize > kBlockSize)
            return Fail(block + " has an invalid uncompressed size " + std::to_string(blk.uncompressedSize));
        if (b + 1 < blockCount && blk.uncompressedSize != kBlockSize)
            return Fail(block + " is short but not the last");
        folder.size += blk.uncompressedSize;
        folder.blocks.push_back(blk);
        pos += kDataHeaderSize + blk.compressedSize;
    }
    return true;
}

bool Cabinet::CheckMemberRanges()
{
    // Members of a folder must follow one another: overlapping or reordered ranges are how
    // malicious cabinets made readers write one member's bytes over another's.
    std::vector<std::uint64_t> folderEnd(m_folders.size(), 0);
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        const CabinetMember& m = m_members[i];
        const std::uint64_t end = std::uint64_t{m.offset} + m.size;
        const std::string which = "file entry " + std::to_string(i) + " (" + m.name + ")";
        if (end > m_folders[m.folder].size)
            return Fail(which + " lies beyond the data of its folder");
        if (m.offset < folderEnd[m.folder])
            return Fail(which + " overlaps or precedes the file before it");
        folderEnd[m.folder] = end;
    }
    return true;
}

int Cabinet::FindMember(std::string_view name) const
{
    for (std::size_t i = 0; i < m_members.size(); ++i)
        if (EqualsNoCase(m_members[i].name, name))
            return static_cast<int>(i);
    return -1;
}

bool Cabinet::Extract(std::size_t index, std::vector<std::uint8_t>& bytes)
{
    if (index >= m_members.size()) {
        m_error = "no such file in the cabinet";
        return false;
    }
    const CabinetMember& m = m_members[index];
    const std::uint64_t end = std::uint64_t{m.offset} + m.size;
    if (!DecodeUpTo(m.folder, end))
        return false;
    const auto& data = m_folders[m.folder].data;
    bytes.assign(data.begin() + m.offset, data.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

bool Cabinet::DecodeUpTo(std::size_t folderIndex, std::uint64_t end)
{
    Folder& folder = m_folders[folderIndex];
    while (folder.data.size() < end) {
        if (folder.failed)
            return false;
        if (!DecodeBlock(folderIndex, folder)) {
            folder.failed = true;
            return false;
        }
    }
    return true;
}

bool Cabinet::DecodeBlock(std::size_t folderIndex, Folder& folder)
{
    const std::size_t b = folder.blocksDecoded;
    const std::string which = "block " + std::to_string(b) + " of folder " + std::to_string(folderIndex);
    if (b >= folder.blocks.size()) {
        m_error = which + " is missing";
        return false;
    }
    const Block& blk = folder.blocks[b];
    const std::uint8_t* header = m_bytes.data() + blk.header;
    const std::uint8_t* in = header + kDataHeaderSize;
    const std::uint32_t stored = Read32(header);
    // 0 means the writer left the checksum out.
    if (stored != 0 && stored != BlockChecksum(header, in, blk.compressedSize)) {
        m_error = which + " fails its checksum";
        return false;
    }

    const std::size_t start = folder.data.size();
    folder.data.resize(start + blk.uncompressedSize);
    const std::span<std::uint8_t> out(folder.data.data() + start, blk.uncompressedSize);
    if (folder.compression == kCompressNone) {
        std::memcpy(out.data(), in, blk.uncompressedSize);
    } else {
        if (in[0] != 'C' || in[1] != 'K') {
            folder.data.resize(start);
            m_error = which + " lacks the MSZIP signature \"CK\"";
            return false;
        }
        // Deflate history runs on across blocks: the last 32 KiB decoded are the dictionary.
        const std::size_t historySize = std::min(start, kBlockSize);
        const std::span<const std::uint8_t> history(folder.data.data() + start - historySize, historySize);
        const char* problem = m_inflater->Run({in + 2, blk.compressedSize - 2u}, out, history);
        if (*problem) {
            folder.data.resize(start);
            m_error = which + ": " + problem;
            return false;
        }
    }
    ++folder.blocksDecoded;
    return true;
}

} // namespace kelvara
