#include "kelvara/testpaths.h"
#include "support/process.h"
#include "support/testenv.h"
#include "text/textmatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using kelvara::test::ProcessOptions;
using kelvara::test::ProcessResult;

// kelvara-cli beside the fixture data files; the other categories come from the built-in archive
// and the zones from the system.
class Find : public testing::Test {
protected:
    static std::string Install(const std::string& name)
    {
        const std::string dir = kelvara::test::TestRoot() + "/" + name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy_file(KELVARA_CLI_PATH, dir + "/kelvara-cli");
        for (const auto& e : fs::directory_iterator(std::string(KELVARA_TEST_DATA_DIR) + "/catalogue"))
            fs::copy_file(e.path(), dir + "/" + e.path().filename().string());
        return dir;
    }

    static ProcessResult Run(const std::string& dir, std::vector<std::string> args)
    {
        args.insert(args.begin(), dir + "/kelvara-cli");
        args.insert(args.begin() + 1, "find");
        return kelvara::test::RunProcess(args, ProcessOptions{{}, {{"LC_ALL", "C.UTF-8"}}});
    }

    ProcessResult Run(std::vector<std::string> args) { return Run(s_dir, std::move(args)); }

    static void SetUpTestSuite() { s_dir = Install("find-bin"); }
    static std::string s_dir;
};
std::string Find::s_dir;

TEST_F(Find, PrintsCategoryAndUnitInCategoryOrderThenListOrder)
{
    // "Andorra" is a country, a currency's country and a zone.
    auto r = Run({"andorra"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Country and Phone Codes\tAndorra\nCurrency\tAndorra Euro (EUR)\n"
                     "Time Difference\t(UTC+01:00) Europe/Andorra\n");
    EXPECT_EQ(r.err, "");

    // The units of a category keep the unit list's sorted order, not the file's.
    r = Run({"°"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Angle\tdegree (°)\nFrequency\tdegrees per second (°/s)\n"
                     "Temperature\t° Celsius (°C)\nTemperature\t° Fahrenheit (°F)\n"
                     "Temperature\t° Rankine (°Ra)\nTemperature\t° Réaumur (°Ré)\n");
}

TEST_F(Find, AllWordsAnyPartWithoutRegardToCaseOrAccents)
{
    EXPECT_EQ(Run({"REAUMUR"}).out, "Temperature\t° Réaumur (°Ré)\n");
    EXPECT_EQ(Run({"°r", "EAU"}).out, "Temperature\t° Réaumur (°Ré)\n");
    // One argument with several words narrows as several arguments do.
    EXPECT_EQ(Run({"us nautical"}).out, "Length\t[US] nautical mile (n.m.)\n");
    EXPECT_EQ(Run({"(ft)"}).out, "Length\tfoot (ft)\n");
    EXPECT_EQ(Run({"ft", "in."}).out, "Length\tfoot and inch (ft. in.)\n");
}

TEST_F(Find, CurrenciesByCodeCountriesByInternetCodeZonesById)
{
    EXPECT_EQ(Run({"jpy"}).out, "Currency\tJapan Yen (JPY)\n");
    // "am" is Armenia's Internet code, which its entry does not show; American Samoa has it in
    // its name.
    const auto r = Run({"am"});
    EXPECT_NE(r.out.find("Country and Phone Codes\tArmenia\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Currency\tAmerican Samoa United States Dollar (USD)\n"), std::string::npos);
    EXPECT_EQ(Run({"asia/tokyo"}).out, "Time Difference\t(UTC+09:00) Asia/Tokyo\n");
}

// Zones are read only when they may match; what is found must be what the whole list gives.
TEST_F(Find, ZonesByOffsetAloneOrWithTheirIdAsTheWholeListGives)
{
    const auto list = kelvara::test::RunProcess({s_dir + "/kelvara-cli", "units", "Time Difference"},
                                                ProcessOptions{{}, {{"LC_ALL", "C.UTF-8"}}});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    for (const std::string query :
         {"+09:00", "(utc-03:30)", "utc america/", "05:30) asia", "europe 01:00", "utc"}) {
        std::string expected;
        std::istringstream lines(list.out);
        for (std::string line; std::getline(lines, line);)
            if (kelvara::MatchesQuery(line, query))
                expected += "Time Difference\t" + line + "\n";
        auto found = Run({query}).out;
        // Only the zones: "utc" also finds a currency or two.
        std::string zones;
        std::istringstream out(found);
        for (std::string line; std::getline(out, line);)
            if (line.rfind("Time Difference\t", 0) == 0)
                zones += line + "\n";
        EXPECT_FALSE(expected.empty()) << query;
        EXPECT_EQ(zones, expected) << query;
    }
}

TEST_F(Find, ExitsOneWhenNothingMatchesAndTwoWithoutText)
{
    auto r = Run({"no-such-unit-anywhere"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    r = Run(std::vector<std::string>{});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: too few arguments; usage: find TEXT...\nTry 'kelvara-cli --help'.\n");
}

TEST_F(Find, ACategoryThatCannotLoadSaysSoAndTheOthersAreStillSearched)
{
    const std::string dir = Install("find-broken");
    fs::create_symlink("/proc/self/mem", dir + "/weight.dat");
    const auto r = Run(dir, {"meter"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Length\tmeter (m)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Input/output error"), std::string::npos) << r.err;
}

} // namespace
