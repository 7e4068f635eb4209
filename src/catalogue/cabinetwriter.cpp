#include "catalogue/cabinetwriter.h"

#include "catalogue/cabinetformat.h"
#include "text/textcase.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <limits>

namespace kelvara {

using namespace cab;

namespace {
int CompareNames(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool Fail(std::string* error, const std::string& message)
{
    if (error)
        *error = message;
    return false;
}

// Compresses `data` block by block into `out`; each block's deflate stream is seeded with the
// 32 KiB before it, so that repeated text costs little even across block boundaries.
bool AppendMszipBlocks(const std::vector<std::uint8_t>& data, int level, bool checksums,
                       std::vector<std::uint8_t>& out, std::size_t& blockCount, std::string* error)
{
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return Fail(error, "deflate could not start");
    std::vector<std::uint8_t> buffer(deflateBound(&zs, kBlockSize) + 16);
    bool ok = true;
    for (std::size_t pos = 0; pos < data.size() && ok; pos += kBlockSize) {
        const std::size_t size = std::min(kBlockSize, data.size() - pos);
        ok = deflateReset(&zs) == Z_OK;
        if (ok && pos > 0) {
            const std::size_t history = std::min(pos, kBlockSize);
            ok = deflateSetDictionary(&zs, data.data() + pos - history, static_cast<uInt>(history)) == Z_OK;
        }
        zs.next_in = const_cast<Bytef*>(data.data() + pos);
        zs.avail_in = static_cast<uInt>(size);
        zs.next_out = buffer.data() + 2;
        zs.avail_out = static_cast<uInt>(buffer.size() - 2);
        ok = ok && deflate(&zs, Z_FINISH) == Z_STREAM_END;
        const std::size_t compressed = 2 + (buffer.size() - 2 - zs.avail_out);
        if (!ok || compressed > kMaxCompressedBlock) {
            ok = false;
            break;
        }
        buffer[0] = 'C';
        buffer[1] = 'K';
        std::uint8_t header[kDataHeaderSize] = {};
        Write16(header + 4, static_cast<std::uint16_t>(compressed));
        Write16(header + 6, static_cast<std::uint16_t>(size));
        if (checksums)
            Write32(header, BlockChecksum(header, buffer.data(), compressed));
        out.insert(out.end(), header, header + kDataHeaderSize);
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(compressed));
        ++blockCount;
    }
    deflateEnd(&zs);
    return ok || Fail(error, "deflate failed");
}

void AppendStoredBlocks(const std::vector<std::uint8_t>& data, bool checksums, std::vector<std::uint8_t>& out,
                        std::size_t& blockCount)
{
    for (std::size_t pos = 0; pos < data.size(); pos += kBlockSize) {
        const std::size_t size = std::min(kBlockSize, data.size() - pos);
        std::uint8_t header[kDataHeaderSize] = {};
        Write16(header + 4, static_cast<std::uint16_t>(size));
        Write16(header + 6, static_cast<std::uint16_t>(size));
        if (checksums)
            Write32(header, BlockChecksum(header, data.data() + pos, size));
        out.insert(out.end(), header, header + kDataHeaderSize);
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + size));
        ++blockCount;
    }
}
} // namespace

std::vector<std::uint8_t> BuildCabinet(std::vector<CabinetInput> files, const CabinetWriterOptions& options,
                                       std::string* error)
{
    const auto failed = [error](const std::string& message) {
        Fail(error, message);
        return std::vector<std::uint8_t>{};
    };
    if (files.empty() || files.size() > std::numeric_limits<std::uint16_t>::max())
        return failed("a cabinet holds 1 to 65535 files");
    std::stable_sort(files.begin(), files.end(), [](const CabinetInput& a, const CabinetInput& b) {
        return CompareNames(a.name, b.name) < 0;
    });
    // Where each file goes: its folder and its offset there.
    std::vector<std::vector<std::uint8_t>> folders(1);
    std::vector<std::pair<std::uint16_t, std::uint32_t>> placements;
    std::uint64_t total = 0;
    std::size_t tableSize = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i].name;
        if (name.empty() || name.size() > kMaxNameLength || name.find('\0') != std::string::npos)
            return failed("bad file name \"" + name + "\"");
        if (i > 0 && CompareNames(files[i - 1].name, name) == 0)
            return failed("duplicate file name \"" + name + "\"");
        total += files[i].data.size();
        if (total > std::numeric_limits<std::uint32_t>::max())
            return failed("the files are too large for a cabinet");
        if (options.folderPerFile && !files[i].data.empty() && !folders.back().empty())
            folders.emplace_back();
        std::vector<std::uint8_t>& folder = folders.back();
        placements.emplace_back(static_cast<std::uint16_t>(folders.size() - 1),
                                static_cast<std::uint32_t>(folder.size()));
        folder.insert(folder.end(), files[i].data.begin(), files[i].data.end());
        tableSize += kFileEntrySize + name.size() + 1;
    }
    for (const auto& folder : folders)
        if ((folder.size() + kBlockSize - 1) / kBlockSize > std::numeric_limits<std::uint16_t>::max())
            return failed("the files are too large for one folder");

    const std::size_t filesOffset = kHeaderSize + folders.size() * kFolderEntrySize;
    const std::size_t dataOffset = filesOffset + tableSize;
    std::vector<std::uint8_t> out(dataOffset, 0);
    std::vector<std::pair<std::size_t, std::size_t>> folderBlocks; // data offset, block count
    uLong crc = crc32(0, nullptr, 0);
    for (const auto& folder : folders) {
        std::size_t blockCount = 0;
        const std::size_t start = out.size();
        if (options.compress) {
            if (!AppendMszipBlocks(folder, options.level, options.checksums, out, blockCount, error))
                return {};
        } else {
            AppendStoredBlocks(folder, options.checksums, out, blockCount);
        }
        folderBlocks.emplace_back(start, blockCount);
        crc = crc32(crc, folder.data(), static_cast<uInt>(folder.size()));
    }
    if (out.size() > std::numeric_limits<std::uint32_t>::max())
        return failed("the cabinet would be too large");

    std::uint8_t* h = out.data();
    std::copy(options.signature, options.signature + 4, h);
    Write32(h + kOffCabinetSize, static_cast<std::uint32_t>(out.size()));
    Write32(h + kOffFilesOffset, static_cast<std::uint32_t>(filesOffset));
    h[kOffVersionMinor] = 3;
    h[kOffVersionMajor] = 1;
    Write16(h + kOffFolderCount, static_cast<std::uint16_t>(folders.size()));
    Write16(h + kOffFileCount, static_cast<std::uint16_t>(files.size()));
    const auto setId = static_cast<std::uint32_t>(crc);
    Write16(h + kOffSetId, static_cast<std::uint16_t>(setId ^ (setId >> 16)));

    for (std::size_t i = 0; i < folders.size(); ++i) {
        std::uint8_t* folder = h + kHeaderSize + i * kFolderEntrySize;
        Write32(folder, static_cast<std::uint32_t>(folderBlocks[i].first));
        Write16(folder + 4, static_cast<std::uint16_t>(folderBlocks[i].second));
        Write16(folder + 6, options.compress ? kCompressMszip : kCompressNone);
    }

    std::size_t pos = filesOffset;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const CabinetInput& f = files[i];
        std::uint8_t* e = h + pos;
        Write32(e, static_cast<std::uint32_t>(f.data.size()));
        Write32(e + 4, placements[i].second);
        Write16(e + 8, placements[i].first);
        Write16(e + 10, f.date);
        Write16(e + 12, f.time);
        Write16(e + 14, kAttributeArchive);
        std::copy(f.name.begin(), f.name.end(), e + kFileEntrySize);
        pos += kFileEntrySize + f.name.size() + 1;
    }
    return out;
}

void ToDosDateTime(long long seconds, std::uint16_t& date, std::uint16_t& time)
{
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::localtime_r(&t, &tm) || tm.tm_year < 80 || tm.tm_year > 80 + 127) {
        date = (1 << 5) | 1; // 1980-01-01: outside what a cabinet can say
        time = 0;
        return;
    }
    date = static_cast<std::uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

} // namespace kelvara
