#include "catalogue/cabinet.h"
#include "catalogue/cabinetformat.h"
#include "catalogue/cabinetwriter.h"
#include "support/process.h"
#include "support/testenv.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;
using kelvara::cab::Read16;
using kelvara::cab::Read32;
using kelvara::cab::Write16;
using kelvara::cab::Write32;

Bytes Text(std::size_t size, const std::string& seed)
{
    Bytes out;
    for (int line = 0; out.size() < size; ++line) {
        const std::string s = seed + " row " + std::to_string(line * 7919 % 1000) + ",1.5e-3,\"note\"\r\n";
        out.insert(out.end(), s.begin(), s.end());
    }
    out.resize(size);
    return out;
}

Bytes Noise(std::size_t size, std::uint32_t seed)
{
    Bytes out(size);
    for (auto& b : out) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return out;
}

// Three members over three blocks (32768, 32768, 4564 bytes): alpha.txt 0..50000,
// beta.bin 50000..70000, gamma.txt 70000..70100.
std::vector<kelvara::CabinetInput> Inputs()
{
    return {{"gamma.txt", Text(100, "gamma"), 0x3448, 0x9675},
            {"alpha.txt", Text(50000, "alpha"), 0x3448, 0x9675},
            {"beta.bin", Noise(20000, 7), 0x3448, 0x9675}};
}

Bytes Build(std::vector<kelvara::CabinetInput> inputs = Inputs(), kelvara::CabinetWriterOptions options = {})
{
    std::string error;
    Bytes cab = kelvara::BuildCabinet(std::move(inputs), options, &error);
    EXPECT_FALSE(cab.empty()) << error;
    return cab;
}

// Where things are in a cabinet (walked from its fields, so that tests can edit them).
std::size_t FileEntry(const Bytes& cab, std::size_t index)
{
    std::size_t pos = Read32(&cab[kelvara::cab::kOffFilesOffset]);
    for (std::size_t i = 0; i < index; ++i)
        pos += kelvara::cab::kFileEntrySize + std::strlen(reinterpret_cast<const char*>(&cab[pos + 16])) + 1;
    return pos;
}

std::size_t BlockHeader(const Bytes& cab, std::size_t index)
{
    std::size_t pos = Read32(&cab[36]);
    for (std::size_t i = 0; i < index; ++i)
        pos += 8 + Read16(&cab[pos + 4]);
    return pos;
}

std::size_t BlockCount(const Bytes& cab)
{
    return Read16(&cab[40]);
}

void SetSize(Bytes& cab)
{
    Write32(&cab[8], static_cast<std::uint32_t>(cab.size()));
}

// Recomputes every block checksum, for edits that must get past the checksum.
void Reseal(Bytes& cab)
{
    for (std::size_t b = 0; b < BlockCount(cab); ++b) {
        const std::size_t h = BlockHeader(cab, b);
        Write32(&cab[h], kelvara::cab::BlockChecksum(&cab[h], &cab[h + 8], Read16(&cab[h + 4])));
    }
}

// Opens `cab` and extracts every member; the first error, or "" when all went well.
std::string ReadAll(const Bytes& cab, std::vector<Bytes>* members = nullptr)
{
    kelvara::Cabinet reader;
    if (!reader.Open(cab))
        return reader.GetError();
    for (std::size_t i = 0; i < reader.GetMembers().size(); ++i) {
        Bytes data;
        if (!reader.Extract(i, data))
            return reader.GetError();
        if (members)
            members->push_back(std::move(data));
    }
    return {};
}

void WriteFile(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes ReadFile(const std::string& path)
{
    const std::string text = kelvara::test::ReadTextFile(path);
    return Bytes(text.begin(), text.end());
}

std::string FreshDir(const std::string& name)
{
    const std::string dir = kelvara::test::TestRoot() + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(Cabinet, RoundTripGivesBackEveryMemberInAlphabeticalOrder)
{
    const Bytes cab = Build();
    kelvara::Cabinet reader;
    ASSERT_TRUE(reader.Open(cab)) << reader.GetError();
    const auto& members = reader.GetMembers();
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "alpha.txt");
    EXPECT_EQ(members[1].name, "beta.bin");
    EXPECT_EQ(members[2].name, "gamma.txt");
    for (const auto& m : members) {
        EXPECT_EQ(m.attributes, 0x20);
        EXPECT_EQ(m.date, 0x3448);
        EXPECT_EQ(m.time, 0x9675);
        EXPECT_EQ(m.folder, 0);
    }
    EXPECT_EQ(members[1].offset, 50000u);
    // Out of order and twice: later members first, then an earlier one from what was decoded.
    const auto inputs = Inputs();
    Bytes data;
    ASSERT_TRUE(reader.Extract(2, data)) << reader.GetError();
    EXPECT_EQ(data, inputs[0].data);
    ASSERT_TRUE(reader.Extract(0, data));
    EXPECT_EQ(data, inputs[1].data);
    ASSERT_TRUE(reader.Extract(1, data));
    EXPECT_EQ(data, inputs[2].data);
    ASSERT_TRUE(reader.Extract(1, data));
    EXPECT_EQ(data, inputs[2].data);

    EXPECT_EQ(reader.FindMember("BETA.BIN"), 1);
    EXPECT_EQ(reader.FindMember("Gamma.Txt"), 2);
    EXPECT_EQ(reader.FindMember("gamma"), -1);
}

TEST(Cabinet, WriterLaysOutOneFolderOfMszipBlocks)
{
    const Bytes cab = Build();
    EXPECT_EQ(std::string(cab.begin(), cab.begin() + 4), "XCNV");
    EXPECT_EQ(Read32(&cab[8]), cab.size());
    EXPECT_EQ(Read32(&cab[16]), 44u);
    EXPECT_EQ(cab[24], 3);
    EXPECT_EQ(cab[25], 1);
    EXPECT_EQ(Read16(&cab[26]), 1);
    EXPECT_EQ(Read16(&cab[28]), 3);
    EXPECT_EQ(Read16(&cab[30]), 0);
    EXPECT_EQ(Read16(&cab[42]), 1);
    EXPECT_EQ(Read32(&cab[36]), FileEntry(cab, 3));
    ASSERT_EQ(BlockCount(cab), 3u);
    for (std::size_t b = 0; b < 3; ++b) {
        const std::size_t h = BlockHeader(cab, b);
        EXPECT_EQ(Read16(&cab[h + 6]), b < 2 ? 32768 : 70100 - 65536) << b;
        EXPECT_EQ(cab[h + 8], 'C');
        EXPECT_EQ(cab[h + 9], 'K');
        EXPECT_NE(Read32(&cab[h]), 0u);
        EXPECT_EQ(Read32(&cab[h]), kelvara::cab::BlockChecksum(&cab[h], &cab[h + 8], Read16(&cab[h + 4])));
    }
    EXPECT_EQ(BlockHeader(cab, 3), cab.size());
    // The same files give the same bytes, set identifier included.
    EXPECT_EQ(Build(), cab);
}

TEST(Cabinet, LaterBlocksReferBackIntoEarlierOnes)
{
    // Noise repeating every 20000 bytes: the second block is cheap only with the history carried
    // across the block boundary.
    const Bytes pattern = Noise(20000, 99);
    Bytes repeated;
    for (int i = 0; i < 4; ++i)
        repeated.insert(repeated.end(), pattern.begin(), pattern.end());
    const Bytes cab = Build({{"repeated.bin", repeated}});
    const std::size_t h = BlockHeader(cab, 1);
    const std::size_t compressed = Read16(&cab[h + 4]);
    EXPECT_LT(compressed, 1000u);

    std::vector<Bytes> members;
    ASSERT_EQ(ReadAll(cab, &members), "");
    EXPECT_EQ(members.at(0), repeated);

    // Without the dictionary the second block does not decode.
    z_stream zs{};
    ASSERT_EQ(inflateInit2(&zs, -MAX_WBITS), Z_OK);
    Bytes out(32768);
    zs.next_in = const_cast<Bytef*>(&cab[h + 10]);
    zs.avail_in = static_cast<uInt>(compressed - 2);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_DATA_ERROR);
    inflateEnd(&zs);
}

TEST(Cabinet, DamageIsCaughtByTheChecksumUnlessTheWriterLeftItOut)
{
    Bytes cab = Build();
    cab[BlockHeader(cab, 1) + 100] ^= 0x40;
    EXPECT_EQ(ReadAll(cab), "block 1 of folder 0 fails its checksum");

    kelvara::CabinetWriterOptions noSums;
    noSums.checksums = false;
    const Bytes unsummed = Build(Inputs(), noSums);
    EXPECT_EQ(Read32(&unsummed[BlockHeader(unsummed, 0)]), 0u);
    std::vector<Bytes> members;
    EXPECT_EQ(ReadAll(unsummed, &members), "");
    EXPECT_EQ(members.at(0), Inputs()[1].data);
}

TEST(Cabinet, StoredFoldersAndStandardSignaturesRead)
{
    kelvara::CabinetWriterOptions stored;
    stored.compress = false;
    std::copy_n("MSCF", 4, stored.signature);
    const Bytes cab = Build(Inputs(), stored);
    EXPECT_EQ(Read16(&cab[42]), 0);
    std::vector<Bytes> members;
    ASSERT_EQ(ReadAll(cab, &members), "");
    EXPECT_EQ(members.at(1), Inputs()[2].data);
}

TEST(Cabinet, NamesUpToTheLimitReadAndEmptyMembersAreKept)
{
    const std::string longest(255, 'n');
    const Bytes cab = Build({{longest, Text(10, "x")}, {"empty.dat", {}}});
    kelvara::Cabinet reader;
    ASSERT_TRUE(reader.Open(cab)) << reader.GetError();
    EXPECT_EQ(reader.GetMembers()[1].name, longest);
    Bytes data{1};
    ASSERT_TRUE(reader.Extract(0, data));
    EXPECT_TRUE(data.empty());
    // A cabinet of empty files has no block at all.
    EXPECT_EQ(ReadAll(Build({{"a", {}}, {"b", {}}})), "");
}

struct Malformation {
    const char* what;
    std::function<void(Bytes&)> edit;
    const char* error;
};

// Each edit breaks one rule of the format; the reader must say which, without crashing, reading
// out of bounds or producing more than the blocks declare.
TEST(Cabinet, MalformedCabinetsAreRejectedWithTheReason)
{
    const std::size_t last = 2; // the last block
    const std::vector<Malformation> cases = {
        {"signature", [](Bytes& c) { c[0] = 'Z'; }, "not a cabinet (bad signature)"},
        {"short header", [](Bytes& c) { c.resize(35); }, "the cabinet header is truncated"},
        {"declared size beyond the data",
         [](Bytes& c) { Write32(&c[8], static_cast<std::uint32_t>(c.size() + 1)); },
         "the cabinet is truncated"},
        {"declared size below a header", [](Bytes& c) { Write32(&c[8], 20); }, "the cabinet is truncated"},
        {"format version", [](Bytes& c) { c[25] = 2; }, "unsupported cabinet format version 2.3"},
        {"no folder", [](Bytes& c) { Write16(&c[26], 0); }, "the cabinet has no folder"},
        {"no file", [](Bytes& c) { Write16(&c[28], 0); }, "the cabinet has no file"},
        {"set of cabinets", [](Bytes& c) { Write16(&c[30], 0x0002); }, "part of a set"},
        {"reserved areas", [](Bytes& c) { Write16(&c[30], 0x0004); }, "reserved areas"},
        {"folder table beyond the end", [](Bytes& c) { Write16(&c[26], 60000); },
         "the folder table lies beyond the end of the cabinet"},
        {"LZX folder", [](Bytes& c) { Write16(&c[42], 0x1503); }, "compression type 5379"},
        {"file table beyond the end", [](Bytes& c) { Write32(&c[16], static_cast<std::uint32_t>(c.size())); },
         "the file table lies outside the cabinet"},
        {"file table inside the header", [](Bytes& c) { Write32(&c[16], 8); },
         "the file table lies outside the cabinet"},
        {"file entry cut off", [](Bytes& c) { Write32(&c[16], static_cast<std::uint32_t>(c.size() - 10)); },
         "file entry 0 lies beyond the end of the cabinet"},
        {"folder index", [](Bytes& c) { Write16(&c[FileEntry(c, 1) + 8], 1); },
         "file entry 1 names folder 1 of 1"},
        {"continued folder", [](Bytes& c) { Write16(&c[FileEntry(c, 2) + 8], 0xFFFD); },
         "file entry 2 names folder 65533 of 1"},
        {"empty name", [](Bytes& c) { c[FileEntry(c, 1) + 16] = 0; }, "file entry 1 has an empty name"},
        {"name without its 0",
         [](Bytes& c) { Write32(&c[8], static_cast<std::uint32_t>(FileEntry(c, 0) + 20)); },
         "file entry 0 has a name without its terminating 0"},
        {"folder data beyond the end",
         [](Bytes& c) { Write32(&c[36], static_cast<std::uint32_t>(c.size() + 5)); },
         "the data of folder 0 lies outside the cabinet"},
        {"last block cut off",
         [](Bytes& c) {
             c.pop_back();
             SetSize(c);
         },
         "block 2 of folder 0 lies beyond the end of the cabinet"},
        {"more blocks than present", [](Bytes& c) { Write16(&c[40], 4); },
         "block 2 of folder 0 is short but not the last"},
        {"member beyond its folder", [](Bytes& c) { Write32(&c[FileEntry(c, 2)], 101); },
         "file entry 2 (gamma.txt) lies beyond the data of its folder"},
        {"member range overflowing 32 bits",
         [](Bytes& c) {
             Write32(&c[FileEntry(c, 2)], 0x20);
             Write32(&c[FileEntry(c, 2) + 4], 0xFFFFFFF0u);
         },
         "file entry 2 (gamma.txt) lies beyond the data of its folder"},
        {"overlapping members", [](Bytes& c) { Write32(&c[FileEntry(c, 1) + 4], 49999); },
         "file entry 1 (beta.bin) overlaps or precedes the file before it"},
        {"members out of order",
         [](Bytes& c) {
             Write32(&c[FileEntry(c, 0) + 4], 20000);
             Write32(&c[FileEntry(c, 1) + 4], 0);
         },
         "file entry 1 (beta.bin) overlaps or precedes the file before it"},
        {"compressed size below 2", [last](Bytes& c) { Write16(&c[BlockHeader(c, last) + 4], 1); },
         "block 2 of folder 0 has an invalid compressed size 1"},
        {"compressed size above 38912",
         [last](Bytes& c) {
             Write16(&c[BlockHeader(c, last) + 4], 38913);
             c.resize(c.size() + 40000);
             SetSize(c);
         },
         "block 2 of folder 0 has an invalid compressed size 38913"},
        {"uncompressed size above 32768", [](Bytes& c) { Write16(&c[BlockHeader(c, 0) + 6], 32769); },
         "block 0 of folder 0 has an invalid uncompressed size 32769"},
        {"uncompressed size 0", [last](Bytes& c) { Write16(&c[BlockHeader(c, last) + 6], 0); },
         "block 2 of folder 0 has an invalid uncompressed size 0"},
        {"short block before the last", [](Bytes& c) { Write16(&c[BlockHeader(c, 1) + 6], 32767); },
         "block 1 of folder 0 is short but not the last"},
        {"missing CK",
         [](Bytes& c) {
             c[BlockHeader(c, 0) + 9] = 'X';
             Reseal(c);
         },
         "block 0 of folder 0 lacks the MSZIP signature \"CK\""},
        {"more output than declared",
         [last](Bytes& c) {
             const std::size_t h = BlockHeader(c, last);
             Write16(&c[h + 6], static_cast<std::uint16_t>(Read16(&c[h + 6]) - 1));
             Write32(&c[FileEntry(c, 2)], 99);
             Reseal(c);
         },
         "block 2 of folder 0: its data yields more than declared"},
        {"less output than declared",
         [last](Bytes& c) {
             const std::size_t h = BlockHeader(c, last);
             Write16(&c[h + 6], static_cast<std::uint16_t>(Read16(&c[h + 6]) + 1));
             Reseal(c);
         },
         "block 2 of folder 0: its data yields less than declared"},
        {"deflate stream cut short",
         [last](Bytes& c) {
             const std::size_t h = BlockHeader(c, last);
             Write16(&c[h + 4], static_cast<std::uint16_t>(Read16(&c[h + 4]) - 3));
             c.resize(c.size() - 3);
             SetSize(c);
             Reseal(c);
         },
         "block 2 of folder 0: its compressed data does not end within the block"},
        {"bytes after the deflate stream",
         [last](Bytes& c) {
             const std::size_t h = BlockHeader(c, last);
             Write16(&c[h + 4], static_cast<std::uint16_t>(Read16(&c[h + 4]) + 2));
             c.push_back(0);
             c.push_back(0);
             SetSize(c);
             Reseal(c);
         },
         "block 2 of folder 0: it holds bytes after the end of its data"},
        {"garbage instead of deflate data",
         [](Bytes& c) {
             const std::size_t h = BlockHeader(c, 0);
             std::fill_n(&c[h + 10], 16, 0xFF);
             Reseal(c);
         },
         "block 0 of folder 0: its compressed data is invalid"},
    };
    for (const auto& m : cases) {
        Bytes cab = Build();
        m.edit(cab);
        const std::string error = ReadAll(cab);
        EXPECT_NE(error.find(m.error), std::string::npos) << m.what << ": got \"" << error << "\"";
    }
}

TEST(Cabinet, OverlongNamesAreRejected)
{
    Bytes cab = Build({{std::string(255, 'n'), Text(10, "x")}});
    cab[FileEntry(cab, 0) + 16 + 255] = 'n';
    EXPECT_EQ(ReadAll(cab), "file entry 0 has a name longer than 255 bytes");
}

TEST(Cabinet, InflateBombStopsAtTheDeclaredSize)
{
    // Ten megabytes of zeros deflate into ten kilobytes; the block declares 32768.
    const Bytes zeros(10 << 20, 0);
    Bytes stream(compressBound(static_cast<uLong>(zeros.size())));
    z_stream zs{};
    ASSERT_EQ(deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY), Z_OK);
    zs.next_in = const_cast<Bytef*>(zeros.data());
    zs.avail_in = static_cast<uInt>(zeros.size());
    zs.next_out = stream.data();
    zs.avail_out = static_cast<uInt>(stream.size());
    ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    stream.resize(zs.total_out);
    deflateEnd(&zs);
    ASSERT_LT(stream.size(), 38000u);

    Bytes cab = Build({{"bomb", Bytes(32768, 0)}});
    const std::size_t h = BlockHeader(cab, 0);
    cab.resize(h + 10);
    cab.insert(cab.end(), stream.begin(), stream.end());
    Write16(&cab[h + 4], static_cast<std::uint16_t>(stream.size() + 2));
    SetSize(cab);
    Reseal(cab);
    EXPECT_EQ(ReadAll(cab), "block 0 of folder 0: its data yields more than declared");
}

TEST(Cabinet, TruncationAtEveryOffsetFailsCleanly)
{
    const Bytes cab = Build();
    for (std::size_t n = 0; n < cab.size(); ++n) {
        Bytes cut(cab.begin(), cab.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_NE(ReadAll(cut), "") << "cut at " << n;
        // Also with the header claiming the shorter size, so that the deeper checks are reached.
        if (n >= kelvara::cab::kHeaderSize) {
            SetSize(cut);
            EXPECT_NE(ReadAll(cut), "") << "cut and resized at " << n;
        }
    }
}

TEST(CabinetCrossCheck, CabextractReadsOurStandardCopy)
{
    if (!kelvara::test::HaveProgram("cabextract"))
        GTEST_SKIP() << "cabextract is not installed";
    // One folder for all, and one per file with an empty file joining the folder before it.
    auto inputs = Inputs();
    inputs.push_back({"delta.txt", {}, 0x3448, 0x9675});
    for (const bool perFile : {false, true}) {
        kelvara::CabinetWriterOptions options;
        options.folderPerFile = perFile;
        Bytes cab = Build(inputs, options);
        std::copy_n("MSCF", 4, cab.begin());
        const std::string dir = FreshDir(perFile ? "cabextract-folders" : "cabextract");
        WriteFile(dir + "/ours.cab", cab);
        const auto run =
            kelvara::test::RunProcess({"cabextract", "-q", "-d", dir + "/out", dir + "/ours.cab"});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(run.err, "");
        for (const auto& input : inputs)
            EXPECT_EQ(ReadFile(dir + "/out/" + input.name), input.data) << input.name;
    }
}

TEST(Cabinet, AFolderPerFileIsReadWithoutInflatingTheOthers)
{
    kelvara::CabinetWriterOptions options;
    options.folderPerFile = true;
    const Bytes cab = Build(Inputs(), options);
    kelvara::Cabinet reader;
    ASSERT_TRUE(reader.Open(cab)) << reader.GetError();
    const auto& members = reader.GetMembers();
    ASSERT_EQ(members.size(), 3u);
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].folder, i);
        EXPECT_EQ(members[i].offset, 0u);
    }
    // The last member, read first, comes out whole though the folders before it are damaged.
    Bytes damaged = cab;
    const std::size_t firstData = Read32(damaged.data() + 36); // the first folder's data blocks
    damaged[firstData + 10] ^= 0xFF;
    kelvara::Cabinet partial;
    ASSERT_TRUE(partial.Open(damaged)) << partial.GetError();
    Bytes data;
    ASSERT_TRUE(partial.Extract(2, data)) << partial.GetError();
    EXPECT_EQ(data, Inputs()[0].data);
    EXPECT_FALSE(partial.Extract(0, data));
}

TEST(CabinetCrossCheck, OurReaderReadsWhatGcabWrote)
{
    if (!kelvara::test::HaveProgram("gcab"))
        GTEST_SKIP() << "gcab is not installed";
    const std::string dir = FreshDir("gcab");
    std::vector<std::string> names;
    for (const auto& input : Inputs()) {
        WriteFile(dir + "/" + input.name, input.data);
        names.push_back(input.name);
    }
    for (const bool zip : {true, false}) {
        std::vector<std::string> argv = {"gcab", "-c", "-n"};
        if (zip)
            argv.push_back("-z");
        argv.push_back("theirs.cab");
        argv.insert(argv.end(), names.begin(), names.end());
        const auto run = kelvara::test::RunProcess(argv, {dir, {}});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Bytes cab = ReadFile(dir + "/theirs.cab");
        kelvara::Cabinet reader;
        ASSERT_TRUE(reader.Open(cab)) << reader.GetError();
        ASSERT_EQ(reader.GetMembers().size(), 3u);
        for (const auto& input : Inputs()) {
            const int index = reader.FindMember(input.name);
            ASSERT_GE(index, 0) << input.name;
            Bytes data;
            ASSERT_TRUE(reader.Extract(static_cast<std::size_t>(index), data)) << reader.GetError();
            EXPECT_EQ(data, input.data) << input.name << (zip ? " (MSZIP)" : " (stored)");
        }
    }
}

} // namespace
