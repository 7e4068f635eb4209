// Cross-checks the shipped data files, as the build encodes them, against the definitions of the
// units they describe. A wrong factor is the worst fault a converter can have, so every linear
// row is compared with a value computed here from its definition, not copied from the file.

#include "catalogue/category.h"
#include "catalogue/countrycode.h"
#include "catalogue/countrycodecategory.h"
#include "catalogue/currency.h"
#include "catalogue/defaultunit.h"
#include "catalogue/sensitivity.h"
#include "catalogue/splitrow.h"
#include "catalogue/textfilereader.h"
#include "kelvara/testpaths.h"
#include "unitreference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kDataFiles = {
    "area",        "capacity",    "country",   "currency",    "energy", "length",  "number",      "power",
    "pressure",    "sensitivity", "speed",     "temperature", "weight", "time",    "datasize",    "datarate",
    "fueleconomy", "angle",       "frequency", "force",       "torque", "density", "acceleration"};
const std::vector<std::string> kLinearFiles = {"area",  "capacity", "energy", "length",
                                               "power", "pressure", "speed",  "weight"};

std::string BuiltPath(const std::string& name)
{
    return std::string(KELVARA_BUILT_DATA_DIR) + "/" + name + ".dat";
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The catalogue's own categories, each loaded once from the built file through its unit class.
CCategory& Loaded(const std::string& name)
{
    static CCategoryArray catalogue;
    static std::set<std::string> loaded;
    CreateCatalogue(catalogue);
    for (auto& category : catalogue) {
        if (category->GetDataFileName() != name + ".dat")
            continue;
        if (loaded.insert(name).second) {
            EXPECT_TRUE(category->LoadDataFile(BuiltPath(name))) << name;
        }
        return *category;
    }
    ADD_FAILURE() << "no category reads " << name;
    return *catalogue.front();
}

// Linear factors by unit name.
std::map<std::string, double> Factors(const std::string& name)
{
    std::map<std::string, double> factors;
    for (const auto& unit : Loaded(name).GetUnits())
        factors[unit->GetName()] = static_cast<const CDefaultUnit&>(*unit).GetValue();
    return factors;
}

// The value column as written in the file, by unit name (standard rows only).
std::map<std::string, std::string> ValueTexts(const std::string& name)
{
    std::map<std::string, std::string> texts;
    CTextFileReader reader(BuiltPath(name));
    std::string line;
    std::vector<std::string> fields;
    while (reader.ReadLine(line))
        if (SplitRow(line, 2, fields) && fields[1] != "*")
            texts[fields[0]] = fields[1];
    return texts;
}

// Definitions the references are built from.
constexpr double kInch = 0.0254; // m, international yard and pound (1959)
constexpr double kFoot = 12 * kInch;
constexpr double kYard = 3 * kFoot;
constexpr double kMile = 5280 * kFoot;
constexpr double kNauticalMile = 1852;
constexpr double kShaku = 10.0 / 33; // m, Japanese measures law (1891)
constexpr double kKujiraShaku = 1.25 * kShaku;
constexpr double kTsubo = 36 * kShaku * kShaku;
constexpr double kPound = 453.59237; // g
constexpr double kGrain = kPound / 7000;
constexpr double kMonme = 3.75;                             // g
constexpr double kCubicInch = kInch * kInch * kInch * 1000; // l
constexpr double kUsGallon = 231 * kCubicInch;
constexpr double kUsFluidOunce = kUsGallon / 128;
constexpr double kUsDryGallon = 268.8025 * kCubicInch;
constexpr double kUkGallon = 4.54609;
constexpr double kSho = 2401.0 / 1331;
constexpr double kCubicShaku = kShaku * kShaku * kShaku * 1000;
constexpr double kGravity = 9.80665;
constexpr double kPoundForce = 0.45359237 * kGravity; // N
constexpr double kBtu = 1055.05585262;                // J, International Table
constexpr double kAu = 149597870700;

struct Reference {
    const char* file;
    const char* unit;
    double value;
};

// WGS 84 ellipsoid: meridian and parallel arcs of one degree.
const double kWgsA = 6378137;
const double kWgsE2 = (1 / 298.257223563) * (2 - 1 / 298.257223563);
const double kDegree = std::numbers::pi / 180;

const std::vector<Reference> kExact = {
    {"length", "foot and inch (ft. in.)", kFoot},
    {"length", "barleycorn", kInch / 3},
    {"length", "cubit", 18 * kInch},
    {"length", "ell [clothes]", 45 * kInch},
    {"length", "furlong [fur]", kMile / 8},
    {"length", "hand [horses]", 4 * kInch},
    {"length", "league", 3 * kMile},
    {"length", "link, engineers", kFoot},
    {"length", "nail [clothes]", kYard / 16},
    {"length", "pica [typography]", kInch / 6},
    {"length", "point [typography]", kInch / 72},
    {"length", "quarter [clothes]", kYard / 4},
    {"length", "span", 9 * kInch},
    {"length", "mil", kInch / 1000},
    {"length", "microinch", kInch / 1e6},
    {"length", "inch (in)", kInch},
    {"length", "foot (ft)", kFoot},
    {"length", "yard (yd)", kYard},
    {"length", "fathom (fthm)", 2 * kYard},
    {"length", "pole", 5.5 * kYard},
    {"length", "rod", 5.5 * kYard},
    {"length", "link, Gunter's or surveyor's", kMile / 8000},
    {"length", "chain, Gunter's or surveyor's (ch)", kMile / 80},
    {"length", "chain, nautical", 15 * kFoot},
    {"length", "cable", kNauticalMile / 10},
    {"length", "rood", 5.5 * kYard},
    {"length", "mile (US: mi, UK: ml)", 1609.344},
    {"length", "[UK] ruby [typography]", 5.5 * kInch / 72},
    {"length", "[UK] cable", 608 * kFoot},
    {"length", "[UK] nautical mile (n.m.)", 6080 * kFoot},
    {"length", "[UK] bolt [clothes]", 40 * kYard},
    {"length", "[US] agate [typography]", kInch / 14},
    {"length", "[US] cable", 120 * 2 * kYard},
    {"length", "[US] nautical mile (n.m.)", 1853.248},
    {"length", "[US] bolt [clothes]", 40 * kYard},
    {"length", "[JP] shi", kShaku / 1e5},
    {"length", "[JP] mô", kShaku / 1e4},
    {"length", "[JP] rin", kShaku / 1e3},
    {"length", "[JP] bu", kShaku / 100},
    {"length", "[JP] sun", kShaku / 10},
    {"length", "[JP] shaku", kShaku},
    {"length", "[JP] kujira shaku", kKujiraShaku},
    {"length", "[JP] hiro", 5 * kShaku},
    {"length", "[JP] ken", 6 * kShaku},
    {"length", "[JP] jô", 10 * kShaku},
    {"length", "[JP] tan", 28 * kKujiraShaku},
    {"length", "[JP] chô", 60 * 6 * kShaku},
    {"length", "[JP] ri", 36 * 60 * 6 * kShaku},
    {"length", "[JP] hiki (cloth)", 2 * 28 * kKujiraShaku},
    {"length", "[JP] hiro (water depth)", 6 * kShaku},
    {"length", "[FR] lieue", 4000},
    {"length", "[FR] pouce", 12 / 443.296}, // 1 m = 443.296 lignes, 12 lignes to the pouce
    {"length", "attometer (am)", 1e-18},
    {"length", "femtometer (fm)", 1e-15},
    {"length", "picometer (pm)", 1e-12},
    {"length", "ångström (Å)", 1e-10},
    {"length", "nanometer (nm)", 1e-9},
    {"length", "micrometer (µm)", 1e-6},
    {"length", "millimeter (mm)", 1e-3},
    {"length", "centimeter (cm)", 1e-2},
    {"length", "decimeter (dm)", 0.1},
    {"length", "meter (m)", 1},
    {"length", "decameter (dam)", 10},
    {"length", "hectometer (hm)", 100},
    {"length", "kilometer (km)", 1000},
    {"length", "astronomical unit (AU)", kAu},
    {"length", "light-year", 299792458.0 * 86400 * 365.25},
    {"length", "parsec (pc)", kAu * 648000 / std::numbers::pi},
    {"length", "degree (geographical)", 60 * kNauticalMile},
    {"length", "degree of latitude at equator", kDegree* kWgsA*(1 - kWgsE2)},
    {"length", "degree of latitude at poles", kDegree* kWgsA / std::sqrt(1 - kWgsE2)},
    {"length", "degree of longitude at equator", kDegree* kWgsA},

    {"weight", "pound and ounce (lb. oz.)", kPound},
    {"weight", "grain (gr)", 0.06479891},
    {"weight", "pennyweight (dwt)", 24 * kGrain},
    {"weight", "grain troy", kGrain},
    {"weight", "ounce troy", 480 * kGrain},
    {"weight", "pound troy", 5760 * kGrain},
    {"weight", "pound (lb)", kPound},
    {"weight", "dram (dr)", kPound / 256},
    {"weight", "scruple apothecary (s ap)", 20 * kGrain},
    {"weight", "dram apothecary (dr ap)", 60 * kGrain},
    {"weight", "ounce apothecary (oz ap)", 480 * kGrain},
    {"weight", "pound apothecary (lb ap)", 5760 * kGrain},
    {"weight", "[UK] stone [food] (st)", 8 * kPound},
    {"weight", "[UK] stone [body] (st)", 14 * kPound},
    {"weight", "[UK] quarter (qr)", 28 * kPound},
    {"weight", "[UK] short ton (tn sh)", 2000 * kPound},
    {"weight", "[UK] long ton (tn l)", 2240 * kPound},
    {"weight", "[UK] hundredweight (cwt)", 112 * kPound},
    {"weight", "[UK] cental [cereals]", 100 * kPound},
    {"weight", "[US] quarter (qr)", 25 * kPound},
    {"weight", "[US] quintal", 100 * kPound},
    {"weight", "[US] hundredweight (cwt)", 100 * kPound},
    {"weight", "[US] ton (sh tn)", 2000 * kPound},
    {"weight", "[US] bale [cotton]", 500 * kPound},
    {"weight", "[US] keg", 100 * kPound},
    {"weight", "[JP] mô", kMonme / 1000},
    {"weight", "[JP] rin", kMonme / 100},
    {"weight", "[JP] fun", kMonme / 10},
    {"weight", "[JP] monme", kMonme},
    {"weight", "[JP] kin", 160 * kMonme},
    {"weight", "[JP] kan", 3750},
    {"weight", "[JP] ryô", 10 * kMonme},
    {"weight", "[DE] Pfund (Pfd)", 500},
    {"weight", "[DE] Zentner (Ztr)", 50000},
    {"weight", "[DE] Doppelzentner (dz)", 100000},
    {"weight", "grain", 0.2 / 4},
    {"weight", "point", 0.2 / 100},
    {"weight", "carat", 0.2},
    {"weight", "picogram (pg)", 1e-12},
    {"weight", "nanogram (ng)", 1e-9},
    {"weight", "microgram (µg)", 1e-6},
    {"weight", "milligram (mg)", 1e-3},
    {"weight", "centigram (cg)", 1e-2},
    {"weight", "decigram (dg)", 0.1},
    {"weight", "gram (g)", 1},
    {"weight", "decagram (dag)", 10},
    {"weight", "hectogram (hg)", 100},
    {"weight", "kilogram (kg)", 1000},
    {"weight", "quintal (q)", 100000},
    {"weight", "tonne (t)", 1000000},

    {"capacity", "cubic inch (cu in)", kCubicInch},
    {"capacity", "cubic foot (cu ft)", 1728 * kCubicInch},
    {"capacity", "cubic yard (cu yd)", 27 * 1728 * kCubicInch},
    {"capacity", "jigger", 1.5 * kUsFluidOunce},
    {"capacity", "[UK] gill (gi)", kUkGallon / 32},
    {"capacity", "[UK] pint (pt)", kUkGallon / 8},
    {"capacity", "[UK] quart (qt)", kUkGallon / 4},
    {"capacity", "[UK] peck (pk)", 2 * kUkGallon},
    {"capacity", "[UK] bushel (bu)", 8 * kUkGallon},
    {"capacity", "[UK] quarter (qr)", 64 * kUkGallon},
    {"capacity", "[UK] barrel (bl)", 36 * kUkGallon},
    {"capacity", "[UK] keg", 11 * kUkGallon},
    {"capacity", "[UK] nip", kUkGallon / 32 / 4},
    {"capacity", "[US] dry pint (pt)", kUsDryGallon / 8},
    {"capacity", "[US] dry quart (qt)", kUsDryGallon / 4},
    {"capacity", "[US] dry gallon (gal)", kUsDryGallon},
    {"capacity", "[US] peck (pk)", 2 * kUsDryGallon},
    {"capacity", "[US] bushel (bu)", 2150.42 * kCubicInch},
    {"capacity", "[US] fluid ounce", kUsFluidOunce},
    {"capacity", "[US] minim", kUsFluidOunce / 480},
    {"capacity", "[US] fluid dram (fl dr)", kUsFluidOunce / 8},
    {"capacity", "[US] tablespoonful (T)", kUsFluidOunce / 2},
    {"capacity", "[US] teaspoonful (t)", kUsFluidOunce / 6},
    {"capacity", "[US] liquid gill (gi)", kUsGallon / 32},
    {"capacity", "[US] liquid pint (pt)", kUsGallon / 8},
    {"capacity", "[US] liquid quart (qt)", kUsGallon / 4},
    {"capacity", "[US] barrel petroleum", 42 * kUsGallon},
    {"capacity", "[US] hogshead (hhd)", 63 * kUsGallon},
    {"capacity", "[US] board foot (fbm)", 144 * kCubicInch},
    {"capacity", "[US] cord", 128 * 1728 * kCubicInch},
    {"capacity", "[US] cord foot", 16 * 1728 * kCubicInch},
    {"capacity", "[US] cup", kUsGallon / 16},
    {"capacity", "[US] keg", 15.5 * kUsGallon},
    {"capacity", "[US] magnum", 1.5},
    {"capacity", "[US] pipe", 126 * kUsGallon},
    {"capacity", "[US] freight ton", 40 * 1728 * kCubicInch},
    {"capacity", "[US] shipping ton", 40 * 1728 * kCubicInch},
    {"capacity", "[US] tun", 252 * kUsGallon},
    {"capacity", "[JP] sun", kCubicShaku / 1000},
    {"capacity", "[JP] shaku", kSho / 100},
    {"capacity", "[JP] gô", kSho / 10},
    {"capacity", "[JP] shô", kSho},
    {"capacity", "[JP] to", 10 * kSho},
    {"capacity", "[JP] sai (freight, lumber)", kCubicShaku},
    {"capacity", "[JP] cubic shaku", kCubicShaku},
    {"capacity", "[JP] koku (lumber)", 10 * kCubicShaku},
    {"capacity", "[JP] koku (rice stipends)", 100 * kSho},
    {"capacity", "[JP] tsubo (earth)", 6 * 6 * 6 * kCubicShaku},
    {"capacity", "picoliter (pl)", 1e-12},
    {"capacity", "nanoliter (nl)", 1e-9},
    {"capacity", "microliter (µl)", 1e-6},
    {"capacity", "milliliter (ml)", 1e-3},
    {"capacity", "centiliter (cl)", 1e-2},
    {"capacity", "deciliter (dl)", 0.1},
    {"capacity", "liter (l)", 1},
    {"capacity", "decaliter (dal)", 10},
    {"capacity", "hectoliter (hl)", 100},
    {"capacity", "cubic millimeter (mm³)", 1e-6},
    {"capacity", "cubic centimeter (cm³)", 1e-3},
    {"capacity", "cubic decimeter (dm³)", 1},
    {"capacity", "cubic meter (m³)", 1000},
    {"capacity", "stere", 1000},

    {"area", "square inch (sq in)", kInch* kInch},
    {"area", "[JP] tatami", kTsubo / 2},
    {"area", "are (a)", 100},
    {"area", "hectare (ha)", 1e4},
    {"area", "square millimeter (mm²)", 1e-6},
    {"area", "square centimeter (cm²)", 1e-4},
    {"area", "square decimeter (dm²)", 1e-2},
    {"area", "square meter (m²)", 1},
    {"area", "square decameter (dam²)", 100},
    {"area", "square hectometer (hm²)", 1e4},
    {"area", "square kilometer (km²)", 1e6},

    {"speed", "miles per hour (mph)", kMile / 1000},
    {"speed", "miles per second (mi/s)", kMile * 3.6},
    {"speed", "meters/second (m/s)", 3.6},
    {"speed", "kilometers/second (km/s)", 3600},
    {"speed", "kilometers/hour (km/h)", 1},
    {"speed", "knot", kNauticalMile / 1000},
    {"speed", "speed of light", 299792.458 * 3600},

    {"pressure", "pascal (Pa)", 1},
    {"pressure", "N/m²", 1},
    {"pressure", "bar", 1e5},
    {"pressure", "atmosphere (atm)", 101325},

    {"power", "PS/pk/CV", 75 * kGravity},
    {"power", "electrical horsepower", 746},
    {"power", "[UK] horsepower (HP)", 550 * kFoot* kPoundForce},
    {"power", "[US] horsepower (HP)", 550 * kFoot* kPoundForce},
    {"power", "watt (W)", 1},
    {"power", "newton meter/sec (N.m/s)", 1},

    {"energy", "[UK] British thermal unit (BTU)", kBtu},
    {"energy", "[UK] therm", 1e5 * kBtu},
    {"energy", "joule (J)", 1},
    {"energy", "watt hour (Wh)", 3600},
    {"energy", "kilowatt hour (kWh)", 3.6e6},
    {"energy", "calorie (cal)", 4.1868},
};

// Value columns pinned as written, digit for digit, so that a change to them is made on purpose; the
// definition guards against a slipped digit. Boiler horsepower has no exact definition and keeps its
// customary value.
struct Published {
    const char* file;
    const char* unit;
    const char* text;
    double definition;
};

const std::vector<Published> kPublished = {
    {"weight", "ounce (oz)", "28.349523125", kPound / 16},
    {"capacity", "[UK] gallon (gal)", "4.54609", kUkGallon},
    {"capacity", "[US] gallon (gal)", "3.785411784", kUsGallon},
    {"area", "square foot (sq ft)", "0.09290304", kFoot* kFoot},
    {"area", "square [construction]", "9.290304", 100 * kFoot* kFoot},
    {"area", "square yard (sq yd)", "0.83612736", kYard* kYard},
    {"area", "square mile (US: sq mi, UK: sq ml)", "2589988.110336", kMile* kMile},
    {"area", "rood", "1011.7141056", 1210 * kYard* kYard},
    {"area", "acre", "4046.8564224", 4840 * kYard* kYard},
    {"area", "square rod (sq rd)", "25.29285264", 30.25 * kYard* kYard},
    {"area", "[US] section", "2589988.110336", kMile* kMile},
    {"area", "[US] township", "93239571.972096", 36 * kMile* kMile},
    {"area", "[JP] shaku", "0.033057851239669421", kTsubo / 100},
    {"area", "[JP] gô", "0.33057851239669421", kTsubo / 10},
    {"area", "[JP] bu/tsubo", "3.3057851239669421", kTsubo},
    {"area", "[JP] se", "99.173553719008264", 30 * kTsubo},
    {"area", "[JP] tan", "991.73553719008264", 300 * kTsubo},
    {"area", "[JP] chô", "9917.3553719008264", 3000 * kTsubo},
    {"area", "[JP] ri", "15423471.074380165", (12960 * kShaku) * (12960 * kShaku)},
    {"speed", "feet/second (ft/s)", "1.09728", kFoot * 3.6},
    {"pressure", "lbf/sq in (psi)", "6894.7572931683613", kPoundForce / (kInch * kInch)},
    {"pressure", "kip/sq in (ksi)", "6894757.2931683613", 1000 * kPoundForce / (kInch * kInch)},
    {"pressure", "tons/square inch (t/sq in)", "15444256.336697129", 2240 * kPoundForce / (kInch * kInch)},
    {"pressure", "torr (mmHg)", "133.32236842105263", 101325.0 / 760},
    {"pressure", "kg/cm²", "98066.5", kGravity * 1e4},
    {"pressure", "kg/m²", "9.80665", kGravity},
    {"power", "boiler horsepower", "9809.5", 33475 * kBtu / 3600},
    {"energy", "electron volt (eV)", "0.0000000000000000001602176634", 1.602176634e-19},
};

TEST(BuiltDataFiles, AreUtf16LittleEndianWithCrLfAfterEveryLine)
{
    for (const auto& name : kDataFiles) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadBytes(BuiltPath(name));
        ASSERT_GE(bytes.size(), 6u);
        EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
        ASSERT_EQ(bytes.size() % 2, 0u);
        std::vector<char16_t> units;
        for (std::size_t i = 2; i < bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  static_cast<unsigned char>(bytes[i + 1]) << 8));
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (units[i] == u'\r') {
                ASSERT_TRUE(i + 1 < units.size() && units[i + 1] == u'\n') << "lone CR at unit " << i;
            }
            if (units[i] == u'\n') {
                ASSERT_TRUE(i > 0 && units[i - 1] == u'\r') << "lone LF at unit " << i;
            }
            EXPECT_NE(units[i], u'\0');
            EXPECT_NE(units[i], u'\uFEFF') << "second byte-order mark at unit " << i;
        }
        EXPECT_EQ(units.back(), u'\n') << "the last line is not terminated";
    }
}

TEST(BuiltDataFiles, DecodeToTheSourceText)
{
    // The reader sees exactly the lines kept in the source tree, accents and all.
    for (const auto& name : kDataFiles) {
        SCOPED_TRACE(name);
        std::ifstream source(std::string(KELVARA_SOURCE_DIR) + "/resources/data/" + name + ".dat");
        CTextFileReader reader(BuiltPath(name));
        EXPECT_EQ(reader.GetEncoding(), TextEncoding::Utf16LittleEndian);
        std::string expected;
        std::string line;
        while (std::getline(source, expected)) {
            ASSERT_TRUE(reader.ReadLine(line));
            EXPECT_EQ(line, expected);
        }
        // The terminated last line leaves one empty line before the end.
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "");
        EXPECT_FALSE(reader.ReadLine(line));
    }
}

TEST(DataFileRows, EachCategoryLoadsItsRowCount)
{
    const std::map<std::string, std::size_t> counts = {
        {"weight", 51},    {"length", 74},      {"area", 27},       {"capacity", 64},   {"speed", 8},
        {"pressure", 19},  {"power", 14},       {"energy", 18},     {"temperature", 5}, {"number", 6},
        {"currency", 299}, {"sensitivity", 23}, {"country", 278},   {"time", 15},       {"datasize", 21},
        {"datarate", 12},  {"fueleconomy", 6},  {"angle", 9},       {"frequency", 9},   {"force", 11},
        {"torque", 9},     {"density", 12},     {"acceleration", 8}};
    for (const auto& [name, count] : counts)
        EXPECT_EQ(Loaded(name).GetUnits().size(), count) << name;
}

TEST(DataFileRows, LinearUnitsHaveDistinctNamesAndPositiveFactors)
{
    for (const auto& name : kLinearFiles) {
        std::set<std::string> names;
        for (const auto& unit : Loaded(name).GetUnits()) {
            EXPECT_TRUE(names.insert(unit->GetName()).second) << name << ": " << unit->GetName();
            EXPECT_GT(static_cast<const CDefaultUnit&>(*unit).GetValue(), 0) << unit->GetName();
        }
    }
}

TEST(LinearFactors, MatchTheUnitDefinitions)
{
    for (const auto& ref : kExact) {
        const auto factors = Factors(ref.file);
        const auto it = factors.find(ref.unit);
        ASSERT_NE(it, factors.end()) << ref.file << ": no unit " << ref.unit;
        EXPECT_NEAR(it->second / ref.value, 1.0, 1e-9)
            << ref.file << ": " << ref.unit << " is " << it->second << ", defined as " << ref.value;
    }
}

TEST(LinearFactors, PinnedValuesStayAsWritten)
{
    for (const auto& ref : kPublished) {
        const auto texts = ValueTexts(ref.file);
        const auto it = texts.find(ref.unit);
        ASSERT_NE(it, texts.end()) << ref.file << ": no unit " << ref.unit;
        EXPECT_EQ(it->second, ref.text) << ref.unit;
        EXPECT_NEAR(Factors(ref.file).at(ref.unit) / ref.definition, 1.0, 1e-3) << ref.unit;
    }
}

TEST(LinearFactors, ValueAfterTwoSpacesReadsWhole)
{
    // The fixture's only row has two spaces between its comma and its value.
    const std::string path = std::string(KELVARA_TEST_DATA_DIR) + "/rows/area.dat";
    CTextFileReader reader(path);
    std::string line;
    std::vector<std::string> fields;
    std::string text;
    while (reader.ReadLine(line))
        if (SplitRow(line, 2, fields) && fields[0] == "[US] section")
            text = fields[1];
    EXPECT_EQ(text, "2590000");

    CCategoryArray catalogue;
    CreateCatalogue(catalogue);
    int areas = 0;
    for (auto& category : catalogue) {
        if (category->GetDataFileName() != "area.dat")
            continue;
        ++areas;
        ASSERT_TRUE(category->LoadDataFile(path));
        ASSERT_EQ(category->GetUnits().size(), 1u);
        const auto& section = static_cast<const CDefaultUnit&>(*category->GetUnits().front());
        EXPECT_EQ(section.GetName(), "[US] section");
        EXPECT_EQ(section.GetValue(), 2590000);
        EXPECT_NEAR(section.GetValue() / (kMile * kMile), 1.0, 1e-3);
    }
    EXPECT_EQ(areas, 1);
}

TEST(LinearFactors, EveryLinearRowIsCrossChecked)
{
    std::set<std::pair<std::string, std::string>> checked;
    for (const auto& ref : kExact)
        checked.emplace(ref.file, ref.unit);
    for (const auto& ref : kPublished)
        checked.emplace(ref.file, ref.unit);
    // Rows added since are checked against GNU units (unitreference_test.cpp).
    for (const auto& name : kLinearFiles)
        for (const auto& unit : Loaded(name).GetUnits())
            EXPECT_TRUE(checked.count({name, unit->GetName()}) ||
                        kelvara::test::InGnuUnitsReference(Loaded(name).GetEnglishName(), unit->GetName()))
                << name << ": " << unit->GetName();
}

TEST(LinearFactors, CompoundUnitsConvertAsPairs)
{
    const auto unit = [](const std::string& file, const std::string& name) -> const CDefaultUnit& {
        for (const auto& u : Loaded(file).GetUnits())
            if (u->GetName() == name)
                return static_cast<const CDefaultUnit&>(*u);
        throw std::runtime_error("no unit " + name);
    };
    const auto& feetInches = unit("length", "foot and inch (ft. in.)");
    const auto& poundsOunces = unit("weight", "pound and ounce (lb. oz.)");
    EXPECT_TRUE(feetInches.IsCompound());
    EXPECT_TRUE(poundsOunces.IsCompound());
    EXPECT_EQ(unit("length", "meter (m)").Convert("1.75", feetInches), "5 ft 8 in");
    EXPECT_EQ(feetInches.Convert("5.9", unit("length", "meter (m)")), "1.7526");
    EXPECT_EQ(unit("weight", "kilogram (kg)").Convert("1", poundsOunces), "2 lb 3 oz");
}

TEST(CurrencyData, UsDollarLeadsAndOnlyIrrevocableRatesAreFixed)
{
    const auto& units = Loaded("currency").GetUnits();
    ASSERT_FALSE(units.empty());
    const auto& first = static_cast<const CCurrency&>(*units.front());
    EXPECT_EQ(first.GetCode(), "USD");
    EXPECT_EQ(first.GetValue(), 1.13607);

    // Euro conversion rates fixed for good; the Vatican lira was at par with the Italian.
    const std::map<std::string, double> irrevocable = {{"EUR", 1},
                                                       {"ATS", 13.7603},
                                                       {"BEF", 40.3399},
                                                       {"DEM", 1.95583},
                                                       {"ESP", 166.386},
                                                       {"FIM", 5.94573},
                                                       {"FRF", 6.55957},
                                                       {"GRD", 340.750},
                                                       {"IEP", 0.787564},
                                                       {"ITL", 1936.27},
                                                       {"LUF", 40.3399},
                                                       {"NLG", 2.20371},
                                                       {"PTE", 200.482},
                                                       {"SIT", 239.640},
                                                       {"VAL", 1936.27},
                                                       // Later members, at the Council's rates.
                                                       {"CYP", 0.585274},
                                                       {"MTL", 0.429300},
                                                       {"SKK", 30.1260},
                                                       {"EEK", 15.6466},
                                                       {"LVL", 0.702804},
                                                       {"LTL", 3.45280},
                                                       {"HRK", 7.53450},
                                                       {"BGN", 1.95583}};
    std::map<std::string, double> rateByCode;
    std::set<std::string> fixedCodes;
    std::map<std::string, double> fixedRates;
    int fixedRows = 0;
    for (const auto& unit : units) {
        const auto& currency = static_cast<const CCurrency&>(*unit);
        const std::string& code = currency.GetCode();
        SCOPED_TRACE(currency.GetName());
        EXPECT_EQ(code.size(), 3u);
        EXPECT_GT(currency.GetValue(), 0);
        if (currency.IsFixed()) {
            ++fixedRows;
            fixedCodes.insert(code);
            fixedRates[code] = currency.GetValue();
            if (irrevocable.count(code)) {
                EXPECT_EQ(currency.GetValue(), irrevocable.at(code));
            }
            continue;
        }
        // Rates are stored by code, so every row of a code must start from the same rate.
        const auto [it, added] = rateByCode.emplace(code, currency.GetValue());
        EXPECT_EQ(it->second, currency.GetValue()) << "rows of " << code << " disagree";
    }
    EXPECT_EQ(fixedRows, 68) << "the euro's own rows are fixed too";
    for (const auto& [code, rate] : irrevocable)
        EXPECT_TRUE(fixedCodes.count(code)) << code << " is not fixed";
    EXPECT_EQ(fixedRates.at("EUR"), 1);
    EXPECT_EQ(rateByCode.at("JPY"), 178.906);
    EXPECT_EQ(rateByCode.count("XAG"), 1u) << "silver keeps its own code";

    // Currencies pegged to the euro by treaty or law are fixed at the exact peg.
    const std::map<std::string, double> pegs = {{"XOF", 655.957},   {"XAF", 655.957}, {"XPF", 1000 / 8.38},
                                                {"KMF", 491.96775}, {"BAM", 1.95583}, {"CVE", 110.265},
                                                {"STN", 24.5}};
    for (const auto& [code, peg] : pegs) {
        EXPECT_EQ(rateByCode.count(code), 0u) << code << " has a floating row";
        ASSERT_TRUE(fixedRates.count(code)) << code << " is not fixed";
        EXPECT_DOUBLE_EQ(fixedRates.at(code), peg) << code;
    }

    // A superseded code starts from its successor's rate times the changeover ratio (1 new = ratio
    // old), so that a rate fetched for either gives the same value through both rows. A rate
    // written the wrong way round is off by the ratio squared.
    struct Successor {
        const char* old;
        double ratio;
        const char* code;
    };
    const Successor successors[] = {
        {"ROL", 10'000, "RON"},  {"TRL", 1'000'000, "TRY"}, {"MGF", 5, "MGA"},         {"SRG", 1000, "SRD"},
        {"AZM", 5000, "AZN"},    {"BYR", 10'000, "BYN"},    {"CSD", 1, "RSD"},         {"GHC", 10'000, "GHS"},
        {"MRO", 10, "MRU"},      {"MZM", 1000, "MZN"},      {"SDD", 100, "SDG"},       {"STD", 1000, "STN"},
        {"TMM", 5000, "TMT"},    {"ZMK", 1000, "ZMW"},      {"SLL", 1000, "SLE"},      {"ANG", 1, "XCG"},
        {"VEF", 100'000, "VES"}, {"VEB", 1e8, "VES"},       {"ZWL", 2498.7242, "ZWG"}, {"GGP", 1, "GBP"},
        {"JEP", 1, "GBP"},       {"IMP", 1, "GBP"},         {"TVD", 1, "AUD"}};
    const auto rateOf = [&](const std::string& code) {
        return rateByCode.count(code) ? rateByCode.at(code) : fixedRates.at(code);
    };
    for (const auto& s : successors) {
        ASSERT_TRUE(rateByCode.count(s.old)) << s.old << " has no floating row";
        EXPECT_NEAR(rateByCode.at(s.old) / (s.ratio * rateOf(s.code)), 1.0, 1e-12)
            << s.old << " / " << s.code;
    }
}

TEST(CountryData, KeepsNumbersAsTextAndQuotedNamesWhole)
{
    std::map<std::string, const CCountryCode*> byName;
    for (const auto& unit : Loaded("country").GetUnits())
        byName[unit->GetName()] = &static_cast<const CCountryCode&>(*unit);
    const auto row = [&](const std::string& name) -> const CCountryCode& {
        const auto it = byName.find(name);
        if (it == byName.end())
            throw std::runtime_error("no row " + name);
        return *it->second;
    };
    using C = CCountryCode;
    EXPECT_EQ(row("Andorra").GetColumnText(C::ColumnCodeAndPrefix), "AD / +376");
    EXPECT_EQ(row("Russian Federation").GetColumnText(C::ColumnFire), "01");
    EXPECT_EQ(row("Sierra Leone").GetColumnText(C::ColumnFire), "019");
    EXPECT_EQ(row("Australia").GetColumnText(C::ColumnRescue), "000 / 112");
    EXPECT_EQ(row("Antigua and Barbuda").GetColumnText(C::ColumnFire), "999 or 911");
    EXPECT_EQ(row("Serbia and Montenegro").GetColumnText(C::ColumnCodeAndPrefix), "?? / +??");
    EXPECT_EQ(row("[INMARSAT - Oriental Atlantic Ocean]").GetColumnText(C::ColumnCodeAndPrefix), "+871");
    EXPECT_EQ(row("South Georgia and South Sandwich Islands").GetColumnText(C::ColumnCodeAndPrefix), "GS");
    EXPECT_EQ(row("Congo, Republic of").GetColumnText(C::ColumnPrefix), "242");
    EXPECT_EQ(row("Congo, Democratic People's Republic").GetColumnText(C::ColumnPrefix), "243");
    EXPECT_EQ(row("Man, Isle of").GetColumnText(C::ColumnCodeAndPrefix), "IM / +44");

    for (const auto& [name, country] : byName) {
        const std::string prefix = country->GetColumnText(C::ColumnPrefix);
        EXPECT_TRUE(prefix == "??" || prefix.find_first_not_of("0123456789") == std::string::npos)
            << name << ": dialling code " << prefix;
        EXPECT_EQ(name.find('"'), std::string::npos) << name;
    }
}

// The forms a row may take, from a fixture of their own so that they stay tested whatever the
// shipped rows say: numbers kept as text with their leading zeros, alternatives, a quoted name
// holding a comma, missing codes, and rows with too many or too few fields.
TEST(CountryData, FixtureRowsKeepEveryFormAsWritten)
{
    CCountryCodeCategory country;
    ASSERT_TRUE(country.LoadDataFile(std::string(KELVARA_TEST_DATA_DIR) + "/country/country.dat"));
    std::map<std::string, const CCountryCode*> byName;
    for (const auto& unit : country.GetUnits())
        byName[unit->GetName()] = &static_cast<const CCountryCode&>(*unit);
    const auto text = [&](const std::string& name, int column) {
        const auto it = byName.find(name);
        return it == byName.end() ? "no row " + name : it->second->GetColumnText(column);
    };
    using C = CCountryCode;
    EXPECT_EQ(text("Armenia", C::ColumnFire), "01");
    EXPECT_EQ(text("Armenia", C::ColumnRescue), "03");
    EXPECT_EQ(text("Armenia", C::ColumnPolice), "02");
    EXPECT_EQ(text("Antigua and Barbuda", C::ColumnFire), "999 or 911");
    EXPECT_EQ(text("Australia", C::ColumnRescue), "000 / 112");
    EXPECT_EQ(text("Congo, Republic of", C::ColumnCodeAndPrefix), "CG / +242");
    EXPECT_EQ(text("Congo, Republic of", C::ColumnRescue), "");
    EXPECT_EQ(text("Serbia and Montenegro", C::ColumnCodeAndPrefix), "?? / +??");
    EXPECT_EQ(text("[INMARSAT - Oriental Atlantic Ocean]", C::ColumnCodeAndPrefix), "+871");
    EXPECT_EQ(text("South Georgia and South Sandwich Islands", C::ColumnCodeAndPrefix), "GS");
    // Seven fields keep the first six; five are too few and the row is dropped.
    EXPECT_EQ(text("Name", C::ColumnPolice), "4");
    EXPECT_EQ(country.GetUnits().size(), 8u);
}

TEST(LookupAndCodeData, MatchTheScalesAndFormulasTheyName)
{
    // ISO 5800: DIN = 10 log10(ASA) + 1, the ASA values rounded to the standard series.
    int previousDin = 0;
    for (const auto& unit : Loaded("sensitivity").GetUnits()) {
        const auto& row = static_cast<const CSensitivity&>(*unit);
        const int din = std::stoi(row.GetColumnText(CSensitivity::ColumnDin));
        const int asa = std::stoi(row.GetColumnText(CSensitivity::ColumnAsa));
        EXPECT_GT(din, previousDin);
        previousDin = din;
        EXPECT_NEAR(asa / std::pow(10.0, (din - 1) / 10.0), 1.0, 0.06) << "DIN " << din << " ASA " << asa;
    }

    const std::map<std::string, double> temperature = {{"° Celsius (°C)", 1},
                                                       {"° Fahrenheit (°F)", 2},
                                                       {"° Rankine (°Ra)", 3},
                                                       {"° Réaumur (°Ré)", 4},
                                                       {"Kelvin (K)", 5}};
    const std::map<std::string, double> number = {{"Binary", 2},  {"Decimal", 10},
                                                  {"Octal", 8},   {"Hexadecimal", 16},
                                                  {"Base36", 36}, {"Roman (1-3999)", 100}};
    for (const auto& [file, codes] : {std::pair{"temperature", temperature}, std::pair{"number", number}}) {
        std::map<std::string, double> loaded;
        for (const auto& unit : Loaded(file).GetUnits())
            loaded[unit->GetName()] = static_cast<const CConversionUnit&>(*unit).GetValue();
        EXPECT_EQ(loaded, codes) << file;
    }
}

} // namespace
