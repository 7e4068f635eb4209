#include "catalogue/cabinet.h"
#include "catalogue/cabinetformat.h"
#include "catalogue/cabinetwriter.h"
#include "catalogue/catalogue.h"
#include "catalogue/categories.h"
#include "catalogue/countrycodecategory.h"
#include "catalogue/currencycategory.h"
#include "catalogue/dataarchive.h"
#include "catalogue/sortedlist.h"
#include "kelvara/testpaths.h"
#include "platform/programpath.h"
#include "platform/resource.h"
#include "support/process.h"
#include "support/recordingpresenter.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path)
{
    const std::string text = kelvara::test::ReadTextFile(path);
    return Bytes(text.begin(), text.end());
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string FreshDir(const std::string& name)
{
    const std::string dir = kelvara::test::TestRoot() + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> Entries(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string TemporaryFolder()
{
    return std::getenv("TMPDIR");
}

// The fixture catalogue packed as the build packs the real one, with one member's name in capitals
// to show that members match without regard to case.
const Bytes& FixtureArchive()
{
    static const Bytes archive = [] {
        std::vector<kelvara::CabinetInput> files;
        for (const auto& e : fs::directory_iterator(std::string(KELVARA_TEST_DATA_DIR) + "/catalogue")) {
            std::string name = e.path().filename().string();
            if (name == "length.dat")
                name = "LENGTH.DAT";
            files.push_back({name, ReadFile(e.path().string())});
        }
        return kelvara::BuildCabinet(std::move(files), {});
    }();
    return archive;
}

std::vector<std::string> UnitNames(CCategory& category)
{
    kelvara::SortedList list;
    category.FillSourceUnits(list, 0);
    return list.GetTexts();
}

class DataArchive : public testing::Test {
protected:
    void SetUp() override
    {
        m_programDir = FreshDir("program");
        kelvara::SetProgramDirectoryOverride(m_programDir);
        fs::remove_all(TemporaryFolder());
        fs::create_directories(TemporaryFolder());
    }

    void TearDown() override
    {
        kelvara::SetProgramDirectoryOverride({});
        // Whatever happened, nothing stays behind in the shared temporary folder.
        EXPECT_EQ(Entries(TemporaryFolder()), std::vector<std::string>{});
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : m_messages.messages)
            texts.push_back(m.text);
        return texts;
    }

    std::string m_programDir;
    kelvara::test::RecordingPresenter m_messages;
};

// Every part of the program loads through one Catalogue: a file beside the program needs no
// archive, and an archive that cannot be readied is tried and reported once, however many
// categories ask (kelvara-cli find asks for each).
TEST_F(DataArchive, TheCatalogueReadiesTheArchiveOnceAndOnlyWhenAFileIsNotBesideTheProgram)
{
    fs::copy_file(std::string(KELVARA_TEST_DATA_DIR) + "/catalogue/length.dat", m_programDir + "/length.dat");
    int prepared = 0;
    kelvara::Catalogue failing([&prepared] {
        ++prepared;
        errno = ENOSPC;
        return false;
    });
    const auto category = [](kelvara::Catalogue& catalogue, unsigned nameId) -> CCategory& {
        for (const auto& c : catalogue.Categories())
            if (c->GetName() == kelvara::LoadString(nameId))
                return *c;
        throw std::runtime_error("no such category");
    };
    EXPECT_TRUE(failing.Load(category(failing, kelvara::IDS_LENGTH)));
    EXPECT_EQ(prepared, 0) << "a file beside the program needs no archive";
    EXPECT_FALSE(failing.Load(category(failing, kelvara::IDS_TEMPERATURE)));
    EXPECT_FALSE(failing.Load(category(failing, kelvara::IDS_NUMBERS)));
    EXPECT_EQ(failing.LoadedCurrencies(), nullptr);
    EXPECT_EQ(prepared, 1);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find("[0x8007001C]"), std::string::npos) << Texts()[0];

    // An archive given to the catalogue serves what is not beside the program.
    m_messages.messages.clear();
    kelvara::Catalogue catalogue(FixtureArchive());
    ASSERT_NE(catalogue.LoadedCurrencies(), nullptr);
    EXPECT_TRUE(catalogue.Load(category(catalogue, kelvara::IDS_TEMPERATURE)));
    EXPECT_EQ(Texts(), std::vector<std::string>{});
}

TEST_F(DataArchive, MembersAreReadFromMemoryWithoutWritingAnything)
{
    CDataArchive archive(FixtureArchive());
    ASSERT_TRUE(archive.Prepare());
    EXPECT_TRUE(archive.Prepare());
    CLengthCategory length; // stored as LENGTH.DAT
    ASSERT_TRUE(length.EnsureLoaded());
    // Neither a copy of the archive nor an extracted member, not even for a moment: the private
    // folder's parent stays untouched (TearDown checks it is empty).
    struct stat st {};
    ASSERT_EQ(::stat(TemporaryFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
}

TEST_F(DataArchive, CategoriesLoadFromTheArchive)
{
    CDataArchive archive(FixtureArchive());
    ASSERT_TRUE(archive.Prepare());
    CLengthCategory length; // stored as LENGTH.DAT
    CTemperatureCategory temperature;
    ASSERT_TRUE(length.EnsureLoaded());
    ASSERT_TRUE(temperature.EnsureLoaded());
    EXPECT_EQ(length.GetUnits().size(), 7u);
    EXPECT_EQ(UnitNames(length).front(), "[UK] nautical mile (n.m.)");
    EXPECT_EQ(UnitNames(temperature).back(), "Kelvin (K)");
    EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(DataArchive, AFileBesideTheProgramComesFirst)
{
    WriteFile(m_programDir + "/length.dat", "mile (mi),1609.344\nfoot (ft),0.3048\n");
    WriteFile(m_programDir + "/temperature.dat", "");
    CDataArchive archive(FixtureArchive());
    ASSERT_TRUE(archive.Prepare());
    CLengthCategory length;
    CTemperatureCategory temperature;
    CNumberCategory numbers;
    ASSERT_TRUE(length.EnsureLoaded());
    EXPECT_EQ(UnitNames(length), (std::vector<std::string>{"foot (ft)", "mile (mi)"}));
    // An empty file beside the program is a category without units, not a reason to look further.
    ASSERT_TRUE(temperature.EnsureLoaded());
    EXPECT_TRUE(temperature.GetUnits().empty());
    // The others still come from the archive.
    ASSERT_TRUE(numbers.EnsureLoaded());
    EXPECT_EQ(numbers.GetUnits().size(), 6u);
}

TEST_F(DataArchive, OnceGoneOnlyFilesBesideTheProgramLoad)
{
    WriteFile(m_programDir + "/number.dat", "Decimal,10\n");
    {
        CDataArchive archive(FixtureArchive());
        ASSERT_TRUE(archive.Prepare());
        CTemperatureCategory temperature;
        ASSERT_TRUE(temperature.EnsureLoaded());
    }
    CTemperatureCategory temperature;
    EXPECT_FALSE(temperature.EnsureLoaded());
    CNumberCategory numbers;
    EXPECT_TRUE(numbers.EnsureLoaded());
}

TEST_F(DataArchive, AMemberMissingFromTheArchiveFailsAsNotFound)
{
    CDataArchive archive(FixtureArchive());
    ASSERT_TRUE(archive.Prepare());
    CEnergyCategory energy;
    EXPECT_FALSE(energy.EnsureLoaded());
    EXPECT_FALSE(energy.IsLoaded());
    EXPECT_EQ(Texts(),
              std::vector<std::string>{"Initialization failed.\n\nNo such file or directory [0x80070002]"});
    EXPECT_EQ(m_messages.messages.at(0).type & kelvara::MB_ICONMASK, kelvara::MB_ICONERROR);
}

TEST_F(DataArchive, WithoutAnArchivePrepareFailsAndNothingLoadsFromIt)
{
    WriteFile(m_programDir + "/number.dat", "Decimal,10\n");
    CDataArchive archive{std::span<const std::uint8_t>()};
    errno = 0;
    EXPECT_FALSE(archive.Prepare());
    EXPECT_EQ(errno, ENOENT);
    CLengthCategory length;
    EXPECT_FALSE(length.EnsureLoaded());
    EXPECT_EQ(Texts(),
              std::vector<std::string>{"Initialization failed.\n\nNo such file or directory [0x80070002]"});
    // A file beside the program still loads.
    CNumberCategory numbers;
    EXPECT_TRUE(numbers.EnsureLoaded());
}

TEST_F(DataArchive, ADamagedArchiveFailsWithoutCrashing)
{
    Bytes damaged = FixtureArchive();
    damaged[damaged.size() - 20] ^= 0x55; // in the last block: its checksum no longer matches
    CDataArchive archive(damaged);
    ASSERT_TRUE(archive.Prepare());
    CCountryCodeCategory country;
    EXPECT_FALSE(country.EnsureLoaded());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Initialization failed.\n\nBad message [0x8007004A]"});
}

TEST_F(DataArchive, AnArchiveWithADamagedTableStillLetsFilesBesideTheProgramLoad)
{
    Bytes damaged = FixtureArchive();
    damaged[42] = 7; // the first folder's compression type: not one we read
    WriteFile(m_programDir + "/number.dat", "Decimal,10\n");
    CDataArchive archive(damaged);
    ASSERT_TRUE(archive.Prepare());
    CNumberCategory numbers;
    EXPECT_TRUE(numbers.EnsureLoaded());
    CTemperatureCategory temperature;
    EXPECT_FALSE(temperature.EnsureLoaded());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Initialization failed.\n\nBad message [0x8007004A]"});
}

TEST_F(DataArchive, AnUnreadableFileBesideTheProgramShowsBothMessages)
{
    // Reading this "file" fails with an I/O error after it opened fine.
    fs::create_symlink("/proc/self/mem", m_programDir + "/length.dat");
    CDataArchive archive(FixtureArchive());
    ASSERT_TRUE(archive.Prepare());
    CLengthCategory length;
    EXPECT_FALSE(length.EnsureLoaded());
    EXPECT_FALSE(length.IsLoaded());
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "An error occurred while opening the data. Try to restart the application.",
                           "Initialization failed.\n\nInput/output error [0x80070005]"}));
}

TEST_F(DataArchive, NoTemporaryFolderIsNeeded)
{
    const std::string saved = TemporaryFolder();
    ::setenv("TMPDIR", (saved + "/missing/deeper").c_str(), 1);
    CDataArchive archive(FixtureArchive());
    const bool prepared = archive.Prepare();
    CTemperatureCategory temperature;
    const bool loaded = temperature.EnsureLoaded();
    ::setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_TRUE(prepared);
    EXPECT_TRUE(loaded);
}

// The archive the build made from resources/data, once that folder's files exist.
class BuiltArchive : public DataArchive {
protected:
    void SetUp() override
    {
        DataArchive::SetUp();
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(KELVARA_BUILT_DATA_DIR, ec))
            if (e.path().extension() == ".dat")
                m_files.push_back(e.path().filename().string());
        std::sort(m_files.begin(), m_files.end());
        if (m_files.empty())
            GTEST_SKIP() << "no built data files in " << KELVARA_BUILT_DATA_DIR;
    }

    std::vector<std::string> m_files;
};

TEST_F(BuiltArchive, CarriesTheTwentyThreeDataFilesByteForByte)
{
    const auto resource = kelvara::FindResource("CNVDATA", 128);
    ASSERT_GE(resource.size(), 4u);
    EXPECT_EQ(std::string(resource.begin(), resource.begin() + 4), "XCNV");
    EXPECT_TRUE(kelvara::FindResource("CNVDATA", 129).empty());

    kelvara::Cabinet cabinet;
    ASSERT_TRUE(cabinet.Open(resource)) << cabinet.GetError();
    std::vector<std::string> names;
    for (std::size_t i = 0; i < cabinet.GetMembers().size(); ++i) {
        const auto& m = cabinet.GetMembers()[i];
        names.push_back(m.name);
        // Each in a folder of its own: a category is read without inflating the others.
        EXPECT_EQ(m.folder, i) << m.name;
        EXPECT_EQ(m.offset, 0u) << m.name;
        EXPECT_EQ(m.attributes, 0x20);
        Bytes data;
        ASSERT_TRUE(cabinet.Extract(i, data)) << cabinet.GetError();
        EXPECT_EQ(data, ReadFile(std::string(KELVARA_BUILT_DATA_DIR) + "/" + m.name)) << m.name;
        ASSERT_GE(data.size(), 2u);
        EXPECT_EQ(data[0], 0xFF);
        EXPECT_EQ(data[1], 0xFE);
    }
    EXPECT_EQ(names, m_files);
    EXPECT_EQ(names.size(), 23u);
    // Blocks of 32768 bytes but the last, in every folder.
    ASSERT_EQ(kelvara::cab::Read16(&resource[26]), names.size()); // folders
    for (std::size_t i = 0; i < cabinet.GetMembers().size(); ++i) {
        const std::uint16_t blocks = kelvara::cab::Read16(&resource[36 + 8 * i + 4]);
        EXPECT_EQ(blocks, (cabinet.GetMembers()[i].size + 32767) / 32768) << names[i];
    }
}

TEST_F(BuiltArchive, EveryCategoryLoadsWithItsRows)
{
    const std::map<std::string, std::size_t> rows = {
        {"weight.dat", 51},     {"length.dat", 74},   {"area.dat", 27},       {"capacity.dat", 64},
        {"speed.dat", 8},       {"pressure.dat", 19}, {"power.dat", 14},      {"energy.dat", 18},
        {"temperature.dat", 5}, {"number.dat", 6},    {"currency.dat", 299},  {"sensitivity.dat", 23},
        {"country.dat", 278},   {"time.dat", 15},     {"datasize.dat", 21},   {"datarate.dat", 12},
        {"fueleconomy.dat", 6}, {"angle.dat", 9},     {"frequency.dat", 9},   {"force.dat", 11},
        {"torque.dat", 9},      {"density.dat", 12},  {"acceleration.dat", 8}};
    CDataArchive archive;
    ASSERT_TRUE(archive.Prepare());
    CCategoryArray catalogue;
    CreateCatalogue(catalogue);
    std::size_t files = 0;
    for (const auto& category : catalogue) {
        const std::string file = category->GetDataFileName();
        if (file.empty())
            continue;
        ++files;
        ASSERT_TRUE(category->EnsureLoaded()) << file;
        EXPECT_EQ(category->GetUnits().size(), rows.at(file)) << file;
    }
    EXPECT_EQ(files, 23u);
    EXPECT_TRUE(m_messages.messages.empty());
}

TEST_F(BuiltArchive, CabextractUnpacksTheBuiltArchiveToTheBuiltFiles)
{
    if (!kelvara::test::HaveProgram("cabextract"))
        GTEST_SKIP() << "cabextract is not installed";
    // The built-in archive is a standard cabinet but for its signature.
    const auto resource = kelvara::FindResource("CNVDATA", 128);
    ASSERT_GE(resource.size(), 4u);
    const std::string cabinet = FreshDir("cabextract-input") + "/data.cab";
    WriteFile(cabinet, "MSCF" + std::string(resource.begin() + 4, resource.end()));
    const std::string out = FreshDir("cabextract-built");
    const auto run = kelvara::test::RunProcess({"cabextract", "-q", "-d", out, cabinet});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Entries(out), m_files);
    for (const auto& name : m_files)
        EXPECT_EQ(ReadFile(out + "/" + name), ReadFile(std::string(KELVARA_BUILT_DATA_DIR) + "/" + name))
            << name;
}

} // namespace
