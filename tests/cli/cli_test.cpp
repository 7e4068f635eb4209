#include "catalogue/currency.h"
#include "catalogue/defaultunit.h"
#include "kelvara/testpaths.h"
#include "platform/regional.h"
#include "support/locales.h"
#include "support/process.h"
#include "support/testenv.h"

#ifdef KELVARA_HAVE_SETTINGS
#include "platform/settingsprofilestore.h"
#endif

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using kelvara::test::ProcessOptions;
using kelvara::test::ProcessResult;

// A copy of kelvara-cli with the fixture data files beside it, so that it finds them first,
// whatever the build embedded. Reading weight.dat fails with an I/O error once it is open.
class Cli : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = kelvara::test::TestRoot() + "/cli-bin";
        fs::remove_all(s_dir);
        fs::create_directories(s_dir);
        fs::copy_file(KELVARA_CLI_PATH, s_dir + "/kelvara-cli");
#ifdef KELVARA_SETTINGS_MODULE
        // The settings module in its place as seen from the tool.
        const fs::path module = s_dir + "/" KELVARA_SETTINGS_MODULE;
        fs::create_directories(module.parent_path());
        fs::copy_file(KELVARA_SETTINGS_MODULE_PATH, module);
#endif
        for (const auto& e : fs::directory_iterator(std::string(KELVARA_TEST_DATA_DIR) + "/catalogue"))
            fs::copy_file(e.path(), s_dir + "/" + e.path().filename().string());
        fs::create_symlink("/proc/self/mem", s_dir + "/weight.dat");
    }

    void SetUp() override
    {
        m_tmp = kelvara::test::TestRoot() + "/cli-tmp";
        fs::remove_all(m_tmp);
        fs::create_directories(m_tmp);
    }

    void TearDown() override
    {
        // The tool cleans up after itself on every exit path.
        EXPECT_TRUE(fs::is_empty(m_tmp))
            << "left in the temporary folder: " << fs::directory_iterator(m_tmp)->path().filename();
    }

    ProcessResult Run(std::vector<std::string> args, ProcessOptions options = {})
    {
        args.insert(args.begin(), s_dir + "/kelvara-cli");
        if (!options.env.count("TMPDIR"))
            options.env["TMPDIR"] = m_tmp;
        if (!options.env.count("LC_ALL"))
            options.env["LC_ALL"] = "C.UTF-8";
        return kelvara::test::RunProcess(args, options);
    }

    // The one line a successful conversion prints.
    std::string Convert(const std::string& category, const std::string& value, const std::string& from,
                        const std::string& to)
    {
        const auto r = Run({"convert", category, value, from, to});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(!r.out.empty() && r.out.back() == '\n');
        return r.out.substr(0, r.out.size() - 1);
    }

    static std::string s_dir;
    std::string m_tmp;
};

std::string Cli::s_dir;

TEST_F(Cli, CategoriesAreListedAsTheCategoryListShowsThem)
{
    const auto r = Run({"categories"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Acceleration\nAngle\nArea\nCapacity\nCountry and Phone Codes\nCurrency\nData Rate\n"
                     "Data Size\nDensity\nEnergy\nFilm Sensitivity\nForce\nFrequency\nFuel Economy\nLength\n"
                     "Numbers\nPower\nPressure\nSpeed\nTemperature\nTime\nTime Difference\nTorque\nWeight\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, UnitsAreListedInTheSortedOrderOfTheUnitList)
{
    auto r = Run({"units", "Length"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "[UK] nautical mile (n.m.)\n[US] nautical mile (n.m.)\nfoot (ft)\nfoot and inch (ft. in.)\n"
              "inch (in)\nkilometer (km)\nmeter (m)\n");
    r = Run({"units", "temperature"});
    EXPECT_EQ(r.out, "° Celsius (°C)\n° Fahrenheit (°F)\n° Rankine (°Ra)\n° Réaumur (°Ré)\nKelvin (K)\n");
    r = Run({"units", "Film Sensitivity"});
    EXPECT_EQ(r.out, "ASA / ISO\nDIN\n");
}

TEST_F(Cli, ConvertPrintsTheResultThePageShows)
{
    EXPECT_EQ(Convert("Length", "1.75", "meter (m)", "foot and inch (ft. in.)"), "5 ft 8 in");
    EXPECT_EQ(Convert("Length", "5.9", "foot and inch (ft. in.)", "meter (m)"), "1.7526");
    EXPECT_EQ(Convert("Temperature", "100", "°C", "°F"), "212");
    // Letters reach the units in capitals, as typed into the page's field.
    EXPECT_EQ(Convert("Numbers", "ff", "Hexadecimal", "Decimal"), "255");
    EXPECT_EQ(Convert("Numbers", "1994", "Decimal", "Roman"), "MCMXCIV");
    EXPECT_EQ(Convert("Currency", "1", "USD", "JPY"), "120");
    EXPECT_EQ(Convert("Film Sensitivity", "100", "ASA / ISO", "DIN"), "21");
    EXPECT_EQ(Convert("Film Sensitivity", "27", "DIN", "ASA / ISO"), "400");
    // Country codes: the value is ignored, the row is the country and the column the service;
    // numbers keep their leading zeros.
    EXPECT_EQ(Convert("Country and Phone Codes", "", "Armenia", "Fire Department"), "01");
    EXPECT_EQ(Convert("Country and Phone Codes", "x", "Germany", "Police Department"), "110");
    // An empty value gives an empty result, as on the page.
    EXPECT_EQ(Convert("Length", "", "meter (m)", "inch (in)"), "");
}

// The everyday conversions by the symbols people type, from the data built into the tool. Two rows
// that share a symbol and a value (UK and US horsepower, "hp") are one choice.
TEST_F(Cli, EverydayQuantitiesConvertByTheirUsualSymbols)
{
    const struct {
        const char* category;
        const char* value;
        const char* from;
        const char* to;
        double result;
    } cases[] = {
        {"Power", "1", "kW", "hp", 1000 / 745.69987158227022},
        {"Power", "100", "hp", "kW", 74.569987158227022},
        {"Fuel economy", "30", "mpg", "L/100 km", 7.8404861111111111},
        {"Data size", "1", "GiB", "MB", 1073.741824},
    };
    for (const auto& c : cases) {
        const std::string out = Convert(c.category, c.value, c.from, c.to);
        EXPECT_NEAR(std::strtod(out.c_str(), nullptr), c.result, c.result * 1e-12)
            << c.category << ": " << c.value << " " << c.from << " -> " << c.to << " = " << out;
    }
}

// No number to print: the reason on standard error and exit 1; in a batch, that line's number.
TEST_F(Cli, AValueWithoutAResultSaysWhyInsteadOfPrintingInfinity)
{
    // Which values have none is the core's (ReciprocalCore); here how the tool tells it.
    ProcessOptions lines;
    lines.input = "5\n-5\n";
    const auto r = Run({"convert", "Fuel economy", "L/100 km", "km/L"}, lines);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "20\n\n");
    EXPECT_EQ(r.err,
              "kelvara-cli: line 2: No result: only a value greater than 0 converts between a unit and "
              "its reciprocal.\n");
}

TEST_F(Cli, NamesMatchExactlyThenBySymbolThenByAUniquePrefix)
{
    EXPECT_EQ(Convert("LENGTH", "2", "METER (M)", "Kilometer (KM)"), "0.002");
    EXPECT_EQ(Convert("len", "2", "km", "m"), "2000");
    EXPECT_EQ(Convert("Temp", "0", "°c", "°f"), "32");
    EXPECT_EQ(Convert("film", "21", "din", "asa"), "100");
    EXPECT_EQ(Convert("country", "", "congo", "rescue"), "");
    // Several rows of one currency at one rate are one choice.
    EXPECT_EQ(Convert("Currency", "2", "eur", "usd"), "2.5");
    // So are the two spellings of Réaumur's letter, in any case.
    EXPECT_EQ(Convert("Temperature", "80", "° RÉAUMUR (°R)", "°C"), "100");
}

TEST_F(Cli, NamesAsEarlierVersionsSpelledThemStillMatch)
{
    const struct {
        const char* category;
        const char* from;
        const char* to;
        const char* result;
    } cases[] = {
        {"Temperature", "° Rankin (°R)", "° Rankine (°Ra)", "1"},
        {"Temperature", "°R", "K", "0.555555555555556"},
        {"Temperature", "° réaumur (°r)", "° Réaumur (°Ré)", "1"},
        {"Currency", "Quatar Riyal (QAR)", "Qatar Riyal (QAR)", "1"},
        {"Currency", "argentino peso", "Argentina Peso (ARS)", "1"},
        {"Currency", "Solomon Islands", "SBD", "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Convert(c.category, "1", c.from, c.to), c.result) << c.from;
}

TEST_F(Cli, AmbiguousAndUnknownNamesExitTwoListingTheCandidates)
{
    auto r = Run({"convert", "Temperature", "1", "° R", "K"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "kelvara-cli: \"° R\" is ambiguous as Source Unit in Temperature; it fits:\n"
                     "  ° Rankine (°Ra)\n  ° Réaumur (°Ré)\n");

    r = Run({"convert", "Length", "1", "m", "foot"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: \"foot\" is ambiguous as Target Unit in Length; it fits:\n"
                     "  foot (ft)\n  foot and inch (ft. in.)\n");

    r = Run({"convert", "Length", "1", "furlong", "m"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: unknown Source Unit \"furlong\" in Length; choose one of:\n"
                     "  [UK] nautical mile (n.m.)\n  [US] nautical mile (n.m.)\n  foot (ft)\n"
                     "  foot and inch (ft. in.)\n  inch (in)\n  kilometer (km)\n  meter (m)\n");

    r = Run({"units", "C"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: \"C\" is ambiguous as category; it fits:\n"
                     "  Capacity\n  Country and Phone Codes\n  Currency\n");

    r = Run({"convert", "Currency", "1", "USD", "Source"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown Target Currency \"Source\" in Currency; choose one of:\n"),
              std::string::npos);

    r = Run({"convert", "Film Sensitivity", "99", "ASA", "DIN"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: no ASA / ISO value \"99\" in Film Sensitivity; choose one of:\n"
                     "  12\n  100\n  200\n  400\n");

    r = Run({"units", "Volume"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown category \"Volume\"; choose one of:\n  Acceleration\n"), std::string::npos);
}

TEST_F(Cli, AValueBeginningWithAMinusIsAValue)
{
    EXPECT_EQ(Convert("Temperature", "-40", "°C", "°F"), "-40");
    EXPECT_EQ(Convert("Length", "-.5", "km", "m"), "-500");
    const auto r = Run({"--", "convert", "Temperature", "-40", "°F", "°C"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "-40\n");
    // After "--" even an option's spelling is an argument.
    EXPECT_EQ(Run({"--", "--help"}).exitCode, 2);
}

TEST_F(Cli, BadCommandLinesExitTwo)
{
    const std::vector<std::vector<std::string>> bad = {{},
                                                       {"convert"},
                                                       {"units"},
                                                       {"units", "Length", "extra"},
                                                       {"convert", "Length", "m"},
                                                       {"categories", "x"},
                                                       {"frobnicate"},
                                                       {"--frobnicate", "categories"}};
    for (const auto& args : bad) {
        const auto r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("Try 'kelvara-cli --help'."), std::string::npos) << testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_NE(Run({"units"}).err.find("too few arguments; usage: units CATEGORY"), std::string::npos);
    EXPECT_NE(Run({"--frobnicate"}).err.find("unknown option '--frobnicate'"), std::string::npos);

    const auto help = Run({"categories", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* text :
         {"Usage: kelvara-cli", "convert CATEGORY VALUE FROM TO", "--regional", "--digits N", "Exit status"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

TEST_F(Cli, LoadFailuresExitOneWithTheProgramsMessages)
{
    auto r = Run({"units", "Weight"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "An error occurred while opening the data. Try to restart the application.\n"
                     "Initialization failed.\n\nInput/output error [0x80070005]\n");

    // The built-in data needs no temporary folder: it is read from memory.
    const ProcessOptions noTemp{{}, {{"TMPDIR", m_tmp + "/missing"}}};
    r = Run({"units", "Energy"}, noTemp);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out, "");
    r = Run({"convert", "Length", "1", "km", "m"}, noTemp);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1000\n");
}

TEST_F(Cli, AReaderThatStopsEarlyLeavesNothingBehind)
{
    // Energy comes from the built-in archive (or fails to load in a build without data); the
    // pipe's reader is gone before anything is printed. TearDown checks the temporary folder.
    ProcessOptions closed;
    closed.closedStdout = true;
    for (int i = 0; i < 3; ++i)
        Run({"units", "Energy"}, closed);
}

TEST_F(Cli, OutputThatCannotBeWrittenExitsOneAndSaysSo)
{
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> input;
    };
    std::string manyValues;
    for (int i = 0; i < 100000; ++i)
        manyValues += std::to_string(i) + "\n";
    const Case cases[] = {
        {{"categories"}, std::nullopt},
        {{"units", "Length"}, std::nullopt},
        {{"convert", "Length", "1", "km", "m"}, std::nullopt},
        {{"find", "meter"}, std::nullopt},
        {{"rates"}, std::nullopt},
        {{"--help"}, std::nullopt},
        {{"--version"}, std::nullopt},
        {{"convert", "Length", "km", "m"}, "1\n2\n"},   // the batch form, all in one buffer
        {{"convert", "Length", "km", "m"}, manyValues}, // and one that fills it many times
    };
    for (const Case& c : cases) {
        ProcessOptions full;
        full.outputPath = "/dev/full";
        full.input = c.input;
        const ProcessResult r = Run(c.args, full);
        EXPECT_EQ(r.exitCode, 1) << c.args[0] << " " << r.err;
        // The last line; find also reports the fixture's unreadable weight.dat before it.
        const std::string message = "kelvara-cli: cannot write the output (No space left on device)\n";
        EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), message.size())), message) << r.err;
    }
}

TEST_F(Cli, TimeDifferenceShowsBothZonesAtTheGivenInstant)
{
    const auto run = [this](std::vector<std::string> args) {
        args.insert(args.begin(), {"convert", "Time Difference", "-"});
        return Run(args);
    };
    // Summer and winter: the zones' own daylight-saving rules apply.
    auto r = run({"Europe/Berlin", "Asia/Tokyo", "--at", "2026-07-15T12:00:00Z"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "14:00:00\t21:00:00\n");
    r = run({"(UTC+01:00) Europe/Berlin", "america/new_york", "--at=2026-01-15T12:00:00Z"});
    EXPECT_EQ(r.out, "13:00:00\t07:00:00\n");
    // Ids, their beginnings and cities alone match too.
    r = run({"Etc/UTC", "Kolkata", "--at", "2026-12-31T23:59:59Z"});
    EXPECT_EQ(r.out, "23:59:59\t05:29:59\n");
    r = run({"Europe/Ber", "Tokyo", "--at", "2026-07-15T12:00:00Z"});
    EXPECT_EQ(r.out, "14:00:00\t21:00:00\n");

    r = run({"Europe/L", "Etc/UTC"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("\"Europe/L\" is ambiguous as Time Zone 1 in Time Difference"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("  (UTC+00:00) Europe/London\n"), std::string::npos);
    r = run({"Nowhere/Special", "Etc/UTC"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown Time Zone 1 \"Nowhere/Special\""), std::string::npos) << r.err;
    r = run({"Etc/UTC", "Etc/UTC", "--at", "yesterday"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: 'yesterday' is not a universal time such as 2026-07-15T12:00:00Z\n"
                     "Try 'kelvara-cli --help'.\n");
}

TEST_F(Cli, TimeDifferenceListsTheZones)
{
    const auto r = Run({"units", "Time Difference"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("(UTC+01:00) Europe/Berlin\n"), std::string::npos);
    EXPECT_NE(r.out.find("(UTC+00:00) Etc/UTC\n"), std::string::npos);
    EXPECT_NE(r.out.find("(UTC-05:00) America/New_York\n"), std::string::npos);
    // West to east: "-11:00" before "-01:00" before "+00:00" before "+14:00".
    std::istringstream lines(r.out);
    std::string line;
    int previous = INT_MIN;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.compare(0, 4, "(UTC"), 0) << line;
        const int minutes = std::stoi(line.substr(5, 2)) * 60 + std::stoi(line.substr(8, 2));
        const int offset = line[4] == '-' ? -minutes : minutes;
        EXPECT_LE(previous, offset) << line;
        previous = offset;
    }
    EXPECT_EQ(previous, 14 * 60);
}

TEST_F(Cli, RegionalNotationAgreesWithTheRegionalServices)
{
    // The C locale has "." and no grouping: regional and neutral agree.
    auto r = Run({"--regional", "convert", "Length", "1234.5", "m", "m"}, {{}, {{"LC_ALL", "C"}}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1234.5\n");

    const char* german = "de_DE.UTF-8";
    if (!kelvara::test::ProvideLocale(german).empty())
        GTEST_SKIP() << german << " is not installed and cannot be generated";
    // What the page would show: the services' own reading and display around the same units'
    // conversion, in the same locale.
    CDefaultUnit meter;
    CCurrency euro;
    CCurrency dollar;
    ASSERT_TRUE(meter.Parse("meter (m),1"));
    ASSERT_TRUE(euro.Parse("Euro,EUR,T,1"));
    ASSERT_TRUE(dollar.Parse("United States Dollars,USD,F,1.25"));
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved ? saved : "";
    ::setenv("LC_ALL", german, 1);
    const std::string number = ToRegionalNumber(meter.Convert(FromRegionalNumber("1234,5"), meter));
    const std::string money = ToRegionalCurrency(euro.Convert(FromRegionalCurrency("1"), dollar));
    const bool implemented = ToRegionalNumber("1234.5") != "1234.5";
    if (saved)
        ::setenv("LC_ALL", previous.c_str(), 1);
    else
        ::unsetenv("LC_ALL");

    // The tool inherits LOCPATH, and with it glibc's leak (in sanitizer builds).
    const std::string suppressions = kelvara::test::TestRoot() + "/lsan.supp";
    std::ofstream(suppressions) << "leak:__argz_add_sep\n";
    const ProcessOptions inGerman{
        {}, {{"LC_ALL", german}, {"LSAN_OPTIONS", "suppressions=" + suppressions + ":print_suppressions=0"}}};
    r = Run({"--regional", "convert", "Length", "1234,5", "meter (m)", "meter (m)"}, inGerman);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, number + "\n");
    r = Run({"--regional", "convert", "Currency", "1", "EUR", "USD"}, inGerman);
    EXPECT_EQ(r.out, money + "\n");
    if (implemented) { // once the regional services read the locale
        EXPECT_EQ(number, "1.234,5");
    }
}

TEST_F(Cli, DigitsRoundConvertsResultsAndOnlyThose)
{
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string out;
    } cases[] = {
        {{"convert", "Energy", "1", "eV", "J"}, "", "0.0000000000000000001602176634\n"},
        // Fifteen digits unless asked: the 16th and 17th of a double are noise for decimal data.
        {{"convert", "Temperature", "100", "°F", "°C"}, "", "37.7777777777778\n"},
        {{"--digits", "all", "convert", "Temperature", "100", "°F", "°C"}, "", "37.777777777777779\n"},
        {{"convert", "Currency", "1", "EUR", "XOF"}, "", "655.957\n"},
        {{"--digits", "6", "convert", "Temperature", "100", "°F", "°C"}, "", "37.7778\n"},
        {{"convert", "Temperature", "°F", "°C", "--digits=6"}, "100\n-40\n", "37.7778\n-40\n"},
        // Other bases are counted, not measured; of a pair only the inches round (11.9996 in here).
        {{"--digits", "1", "convert", "Numbers", "255", "dec", "hex"}, "", "FF\n"},
        {{"--digits", "4", "convert", "Length", "0.30479", "m", "foot and"}, "", "1 ft 0 in\n"},
        {{"--digits", "6", "convert", "Length", "0.30479", "m", "foot and"}, "", "0 ft 11 in\n"},
    };
    for (const auto& c : cases) {
        ProcessOptions options;
        options.input = c.input;
        const auto r = Run(c.args, options);
        EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.args) << r.err;
    }
    EXPECT_EQ(Run({"--digits", "2", "rates"}).out, Run({"rates"}).out) << "scripts read exact rates";
    for (const char* digits : {"0", "18", "6.5"}) {
        const auto r = Run({"--digits", digits, "convert", "Temperature", "100", "°F", "°C"});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("significant digits from 1 to 17, or all"), std::string::npos) << r.err;
    }
}

TEST_F(Cli, WithoutAValueEveryLineOfInputIsConverted)
{
    ProcessOptions lines;
    // CR LF, blanks, an empty line and a last line without its ending.
    lines.input = "1.75\n-40\r\n  5 \n\n.5\n1000";
    auto r = Run({"convert", "Length", "m", "ft"}, lines);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, Convert("Length", "1.75", "m", "ft") + "\n" + Convert("Length", "-40", "m", "ft") +
                         "\n" + Convert("Length", "5", "m", "ft") + "\n\n" +
                         Convert("Length", ".5", "m", "ft") + "\n" + Convert("Length", "1000", "m", "ft") +
                         "\n");
    // Number bases read their own digits, in either case.
    lines.input = "ff\nFF\n10\n";
    r = Run({"convert", "Numbers", "hex", "dec"}, lines);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "255\n255\n16\n");
    // No input, no output.
    r = Run({"convert", "Length", "m", "ft"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(Cli, ALineThatCannotBeReadGivesAnEmptyLineAndItsNumberAndTheRunGoesOn)
{
    ProcessOptions lines;
    lines.input = "1\nabc\n1.2.3\n" + std::string(5000, '1') + "\n1e5\n2\n";
    auto r = Run({"convert", "Length", "km", "m"}, lines);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "1000\n\n\n\n\n2000\n");
    EXPECT_EQ(r.err, "kelvara-cli: line 2: cannot read \"abc\" as a value in kilometer (km)\n"
                     "kelvara-cli: line 3: cannot read \"1.2.3\" as a value in kilometer (km)\n"
                     "kelvara-cli: line 4: longer than 4096 bytes\n"
                     "kelvara-cli: line 5: cannot read \"1e5\" as a value in kilometer (km)\n");
    lines.input = "7\nG\n";
    r = Run({"convert", "Numbers", "hex", "dec"}, lines);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "7\n\n");
    EXPECT_EQ(r.err, "kelvara-cli: line 2: cannot read \"G\" as a value in Hexadecimal\n");
    // The lookup tables take their value on the command line.
    r = Run({"convert", "Film Sensitivity", "DIN", "ASA / ISO"}, lines);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "kelvara-cli: Film Sensitivity takes no values from standard input; give VALUE\n");
}

TEST_F(Cli, BatchRegionalNotationAppliesToEveryLine)
{
    const char* german = "de_DE.UTF-8";
    if (!kelvara::test::ProvideLocale(german).empty())
        GTEST_SKIP() << german << " is not installed and cannot be generated";
    const std::string suppressions = kelvara::test::TestRoot() + "/lsan.supp";
    std::ofstream(suppressions) << "leak:__argz_add_sep\n";
    ProcessOptions inGerman{
        {}, {{"LC_ALL", german}, {"LSAN_OPTIONS", "suppressions=" + suppressions + ":print_suppressions=0"}}};
    std::string expected;
    for (const char* value : {"1234,5", "-0,25", "7"}) {
        const auto one = Run({"--regional", "convert", "Length", value, "km", "m"}, inGerman);
        ASSERT_EQ(one.exitCode, 0) << one.err;
        expected += one.out;
    }
    inGerman.input = "1234,5\n-0,25\n7\n";
    const auto r = Run({"--regional", "convert", "Length", "km", "m"}, inGerman);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

// The tool as a coprocess: each answer must arrive while the tool waits for the next value.
TEST_F(Cli, BatchAnswersEachLineBeforeTheNextArrives)
{
    int toTool[2];
    int fromTool[2];
    ASSERT_EQ(::pipe(toTool), 0);
    ASSERT_EQ(::pipe(fromTool), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toTool[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromTool[1], 1);
    for (const int fd : {toTool[0], toTool[1], fromTool[0], fromTool[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    std::string program = s_dir + "/kelvara-cli";
    std::vector<std::string> args{program, "convert", "Length", "km", "m"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toTool[0]);
    ::close(fromTool[1]);
    ASSERT_EQ(rc, 0);
    const auto ask = [&](const std::string& value) {
        const std::string line = value + "\n";
        EXPECT_EQ(::write(toTool[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
        std::string answer;
        char c = 0;
        pollfd p{fromTool[0], POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && ::read(fromTool[0], &c, 1) == 1 && c != '\n')
            answer += c;
        return answer;
    };
    EXPECT_EQ(ask("1"), "1000");
    EXPECT_EQ(ask("2.5"), "2500");
    EXPECT_EQ(ask("x"), "");
    ::close(toTool[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(fromTool[0]);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

#ifdef KELVARA_SETTINGS_MODULE
TEST_F(Cli, OnlyACommandThatReadsTheSettingsLoadsQt)
{
    const ProcessOptions traced{{}, {{"LD_DEBUG", "libs"}}};
    auto r = Run({"convert", "Length", "1.75", "m", "ft"}, traced);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "5.74146981627297\n");
    for (const char* library : {"kelvara-settings.so", "libQt6Core", "libglib"})
        EXPECT_EQ(r.err.find(library), std::string::npos) << library << " was loaded for Length";
    r = Run({"convert", "Currency", "1", "USD", "JPY"}, traced);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("kelvara-settings.so"), std::string::npos);
    EXPECT_NE(r.err.find("libQt6Core"), std::string::npos);
}

TEST_F(Cli, WithoutTheSettingsModuleCurrencyUsesTheFileRatesAndSaysSo)
{
    // Its own tree: the module's place is outside the program's folder.
    const std::string dir = kelvara::test::TestRoot() + "/cli-alone/bin";
    fs::remove_all(kelvara::test::TestRoot() + "/cli-alone");
    fs::create_directories(dir);
    fs::copy_file(KELVARA_CLI_PATH, dir + "/kelvara-cli");
    fs::copy_file(s_dir + "/currency.dat", dir + "/currency.dat");
    const auto r = kelvara::test::RunProcess({dir + "/kelvara-cli", "convert", "Currency", "1", "USD", "JPY"},
                                             {{}, {{"TMPDIR", m_tmp}}});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "120\n");
    EXPECT_EQ(r.err.rfind("kelvara-cli: the stored settings cannot be read (", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("; using the built-in values\n"), std::string::npos) << r.err;
}
#endif

#ifdef KELVARA_HAVE_SETTINGS
TEST_F(Cli, StoredRatesAreReadAndNeverWritten)
{
    const std::string config = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Brask/Kelvara.conf";
    {
        kelvara::SettingsProfileStore store(config, kelvara::SettingsProfileStore::Access::ReadWrite);
        ASSERT_TRUE(store.WriteProfileString("Settings\\Rates", "JPY", "200"));
        // A fixed rate is not replaced by a stored one.
        ASSERT_TRUE(store.WriteProfileString("Settings\\Rates", "DEM", "5"));
    }
    const std::string before = kelvara::test::ReadTextFile(config);
    const auto stamp = fs::last_write_time(config);
    const auto files = [&config] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(fs::path(config).parent_path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto filesBefore = files();
    EXPECT_EQ(Convert("Currency", "1", "EUR", "JPY"), "200");
    EXPECT_EQ(Convert("Currency", "1", "EUR", "DEM"), "1.95583");
    EXPECT_EQ(kelvara::test::ReadTextFile(config), before);
    EXPECT_EQ(fs::last_write_time(config), stamp);
    EXPECT_EQ(files(), filesBefore);
    fs::remove(config);
}
#endif

} // namespace
