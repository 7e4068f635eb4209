// Units with an exact definition must carry it to full double precision in the shipped files: a
// factor rounded at the seventh digit is what a user sees as 1 UK gallon = 4.000001759753986 UK
// quarts. The rows are read from the files as the build encodes them, through the catalogue.

#include "catalogue/category.h"
#include "catalogue/defaultunit.h"
#include "catalogue/splitrow.h"
#include "catalogue/textfilereader.h"
#include "kelvara/testpaths.h"
#include "unitreference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// The definitions, in each file's base unit (m, m², l, g, km/h, Pa, W, J).
constexpr double kInch = 0.0254; // international yard and pound (1959)
constexpr double kFoot = 12 * kInch;
constexpr double kYard = 0.9144;
constexpr double kMile = 1760 * kYard;
constexpr double kNauticalMile = 1852;
constexpr double kShaku = 10.0 / 33; // Japanese measures law (1891)
constexpr double kKujiraShaku = 1.25 * kShaku;
constexpr double kKen = 6 * kShaku;
constexpr double kTsubo = kKen * kKen; // 400/121 m²
constexpr double kJpRi = 2160 * kKen;
constexpr double kPound = 453.59237;
constexpr double kGrain = kPound / 7000;
constexpr double kMonme = 3.75;
constexpr double kCubicInch = kInch * kInch * kInch * 1000;
constexpr double kUkGallon = 4.54609;
constexpr double kUsGallon = 231 * kCubicInch;
constexpr double kUsFluidOunce = kUsGallon / 128;
constexpr double kUsDryGallon = 268.8025 * kCubicInch;
constexpr double kSho = 2401.0 / 1331;
constexpr double kCubicShaku = kShaku * kShaku * kShaku * 1000;
constexpr double kGravity = 9.80665;
constexpr double kPoundForce = kPound / 1000 * kGravity;
constexpr double kAtmosphere = 101325;
constexpr double kBtu = 1055.05585262; // International Table
constexpr double kAu = 149597870700;
constexpr double kWgsA = 6378137;
constexpr double kWgsF = 1 / 298.257223563;
constexpr double kWgsE2 = kWgsF * (2 - kWgsF);
constexpr double kDegree = std::numbers::pi / 180;

struct Definition {
    const char* category;
    const char* unit;
    double value;
    const char* expression;
};

#define DEFINED(category, unit, expression)                                                                  \
    {                                                                                                        \
        category, unit, expression, #expression                                                              \
    }

const std::vector<Definition> kDefinitions = {
    DEFINED("Length", "foot and inch (ft. in.)", kFoot),
    DEFINED("Length", "barleycorn", kInch / 3),
    DEFINED("Length", "cubit", 18 * kInch),
    DEFINED("Length", "ell [clothes]", 45 * kInch),
    DEFINED("Length", "furlong [fur]", 660 * kFoot),
    DEFINED("Length", "hand [horses]", 4 * kInch),
    DEFINED("Length", "league", 3 * kMile),
    DEFINED("Length", "link, engineers", kFoot),
    DEFINED("Length", "nail [clothes]", 2.25 * kInch),
    DEFINED("Length", "pica [typography]", kInch / 6),
    DEFINED("Length", "point [typography]", kInch / 72),
    DEFINED("Length", "quarter [clothes]", 9 * kInch),
    DEFINED("Length", "span", 9 * kInch),
    DEFINED("Length", "mil", kInch / 1000),
    DEFINED("Length", "microinch", kInch / 1e6),
    DEFINED("Length", "inch (in)", kInch),
    DEFINED("Length", "foot (ft)", kFoot),
    DEFINED("Length", "yard (yd)", kYard),
    DEFINED("Length", "fathom (fthm)", 6 * kFoot),
    DEFINED("Length", "pole", 16.5 * kFoot),
    DEFINED("Length", "rod", 16.5 * kFoot),
    DEFINED("Length", "link, Gunter's or surveyor's", 0.66 * kFoot),
    DEFINED("Length", "chain, Gunter's or surveyor's (ch)", 66 * kFoot),
    DEFINED("Length", "chain, nautical", 15 * kFoot),
    DEFINED("Length", "cable", kNauticalMile / 10),
    DEFINED("Length", "rood", 16.5 * kFoot),
    DEFINED("Length", "mile (US: mi, UK: ml)", kMile),
    DEFINED("Length", "[UK] ruby [typography]", 5.5 * kInch / 72),
    DEFINED("Length", "[UK] cable", 608 * kFoot),
    DEFINED("Length", "[UK] nautical mile (n.m.)", 6080 * kFoot),
    DEFINED("Length", "[UK] bolt [clothes]", 40 * kYard),
    DEFINED("Length", "[US] agate [typography]", kInch / 14),
    DEFINED("Length", "[US] cable", 720 * kFoot),
    DEFINED("Length", "[US] nautical mile (n.m.)", 1853.248),
    DEFINED("Length", "[US] bolt [clothes]", 40 * kYard),
    DEFINED("Length", "[JP] shi", kShaku / 1e5),
    DEFINED("Length", "[JP] mô", kShaku / 1e4),
    DEFINED("Length", "[JP] rin", kShaku / 1e3),
    DEFINED("Length", "[JP] bu", kShaku / 100),
    DEFINED("Length", "[JP] sun", kShaku / 10),
    DEFINED("Length", "[JP] shaku", kShaku),
    DEFINED("Length", "[JP] kujira shaku", kKujiraShaku),
    DEFINED("Length", "[JP] hiro", 5 * kShaku),
    DEFINED("Length", "[JP] ken", kKen),
    DEFINED("Length", "[JP] jô", 10 * kShaku),
    DEFINED("Length", "[JP] tan", 28 * kKujiraShaku),
    DEFINED("Length", "[JP] chô", 60 * kKen),
    DEFINED("Length", "[JP] ri", kJpRi),
    DEFINED("Length", "[JP] hiki (cloth)", 56 * kKujiraShaku),
    DEFINED("Length", "[JP] hiro (water depth)", kKen),
    DEFINED("Length", "[FR] lieue", 4000),
    DEFINED("Length", "[FR] pouce", 12 / 443.296),
    DEFINED("Length", "attometer (am)", 1e-18),
    DEFINED("Length", "femtometer (fm)", 1e-15),
    DEFINED("Length", "picometer (pm)", 1e-12),
    DEFINED("Length", "ångström (Å)", 1e-10),
    DEFINED("Length", "nanometer (nm)", 1e-9),
    DEFINED("Length", "micrometer (µm)", 1e-6),
    DEFINED("Length", "millimeter (mm)", 1e-3),
    DEFINED("Length", "centimeter (cm)", 1e-2),
    DEFINED("Length", "decimeter (dm)", 0.1),
    DEFINED("Length", "meter (m)", 1),
    DEFINED("Length", "decameter (dam)", 10),
    DEFINED("Length", "hectometer (hm)", 100),
    DEFINED("Length", "kilometer (km)", 1000),
    DEFINED("Length", "astronomical unit (AU)", kAu),
    DEFINED("Length", "light-year", 299792458.0 * 86400 * 365.25),
    DEFINED("Length", "parsec (pc)", kAu * 648000 / std::numbers::pi),
    DEFINED("Length", "degree (geographical)", 60 * kNauticalMile),
    DEFINED("Length", "degree of latitude at equator", kDegree* kWgsA*(1 - kWgsE2)),
    DEFINED("Length", "degree of latitude at poles", kDegree* kWgsA / std::sqrt(1 - kWgsE2)),
    DEFINED("Length", "degree of longitude at equator", kDegree* kWgsA),

    DEFINED("Weight", "pound and ounce (lb. oz.)", kPound),
    DEFINED("Weight", "grain (gr)", kGrain),
    DEFINED("Weight", "pennyweight (dwt)", 24 * kGrain),
    DEFINED("Weight", "ounce (oz)", kPound / 16),
    DEFINED("Weight", "grain troy", kGrain),
    DEFINED("Weight", "ounce troy", 480 * kGrain),
    DEFINED("Weight", "pound troy", 5760 * kGrain),
    DEFINED("Weight", "pound (lb)", kPound),
    DEFINED("Weight", "dram (dr)", kPound / 256),
    DEFINED("Weight", "scruple apothecary (s ap)", 20 * kGrain),
    DEFINED("Weight", "dram apothecary (dr ap)", 60 * kGrain),
    DEFINED("Weight", "ounce apothecary (oz ap)", 480 * kGrain),
    DEFINED("Weight", "pound apothecary (lb ap)", 5760 * kGrain),
    DEFINED("Weight", "[UK] stone [food] (st)", 8 * kPound),
    DEFINED("Weight", "[UK] stone [body] (st)", 14 * kPound),
    DEFINED("Weight", "[UK] quarter (qr)", 28 * kPound),
    DEFINED("Weight", "[UK] short ton (tn sh)", 2000 * kPound),
    DEFINED("Weight", "[UK] long ton (tn l)", 2240 * kPound),
    DEFINED("Weight", "[UK] hundredweight (cwt)", 112 * kPound),
    DEFINED("Weight", "[UK] cental [cereals]", 100 * kPound),
    DEFINED("Weight", "[US] quarter (qr)", 25 * kPound),
    DEFINED("Weight", "[US] quintal", 100 * kPound),
    DEFINED("Weight", "[US] hundredweight (cwt)", 100 * kPound),
    DEFINED("Weight", "[US] ton (sh tn)", 2000 * kPound),
    DEFINED("Weight", "[US] bale [cotton]", 500 * kPound),
    DEFINED("Weight", "[US] keg", 100 * kPound),
    DEFINED("Weight", "[JP] mô", kMonme / 1000),
    DEFINED("Weight", "[JP] rin", kMonme / 100),
    DEFINED("Weight", "[JP] fun", kMonme / 10),
    DEFINED("Weight", "[JP] monme", kMonme),
    DEFINED("Weight", "[JP] kin", 160 * kMonme),
    DEFINED("Weight", "[JP] kan", 1000 * kMonme),
    DEFINED("Weight", "[JP] ryô", 10 * kMonme),
    DEFINED("Weight", "[DE] Pfund (Pfd)", 500),
    DEFINED("Weight", "[DE] Zentner (Ztr)", 50000),
    DEFINED("Weight", "[DE] Doppelzentner (dz)", 100000),
    DEFINED("Weight", "grain", 0.2 / 4),
    DEFINED("Weight", "point", 0.2 / 100),
    DEFINED("Weight", "carat", 0.2),
    DEFINED("Weight", "picogram (pg)", 1e-12),
    DEFINED("Weight", "nanogram (ng)", 1e-9),
    DEFINED("Weight", "microgram (µg)", 1e-6),
    DEFINED("Weight", "milligram (mg)", 1e-3),
    DEFINED("Weight", "centigram (cg)", 1e-2),
    DEFINED("Weight", "decigram (dg)", 0.1),
    DEFINED("Weight", "gram (g)", 1),
    DEFINED("Weight", "decagram (dag)", 10),
    DEFINED("Weight", "hectogram (hg)", 100),
    DEFINED("Weight", "kilogram (kg)", 1000),
    DEFINED("Weight", "quintal (q)", 1e5),
    DEFINED("Weight", "tonne (t)", 1e6),

    DEFINED("Area", "square inch (sq in)", kInch* kInch),
    DEFINED("Area", "square foot (sq ft)", kFoot* kFoot),
    DEFINED("Area", "square yard (sq yd)", kYard* kYard),
    DEFINED("Area", "square mile (US: sq mi, UK: sq ml)", kMile* kMile),
    DEFINED("Area", "rood", 1210 * kYard * kYard),
    DEFINED("Area", "acre", 4840 * kYard * kYard),
    DEFINED("Area", "square [construction]", 100 * kFoot * kFoot),
    DEFINED("Area", "square rod (sq rd)", 30.25 * kYard * kYard),
    DEFINED("Area", "[US] section", kMile* kMile),
    DEFINED("Area", "[US] township", 36 * kMile * kMile),
    DEFINED("Area", "[JP] shaku", kTsubo / 100),
    DEFINED("Area", "[JP] gô", kTsubo / 10),
    DEFINED("Area", "[JP] bu/tsubo", kTsubo),
    DEFINED("Area", "[JP] se", 30 * kTsubo),
    DEFINED("Area", "[JP] tan", 300 * kTsubo),
    DEFINED("Area", "[JP] chô", 3000 * kTsubo),
    DEFINED("Area", "[JP] ri", kJpRi* kJpRi),
    DEFINED("Area", "[JP] tatami", 6 * kShaku * 3 * kShaku),
    DEFINED("Area", "are (a)", 100),
    DEFINED("Area", "hectare (ha)", 1e4),
    DEFINED("Area", "square millimeter (mm²)", 1e-6),
    DEFINED("Area", "square centimeter (cm²)", 1e-4),
    DEFINED("Area", "square decimeter (dm²)", 1e-2),
    DEFINED("Area", "square meter (m²)", 1),
    DEFINED("Area", "square decameter (dam²)", 100),
    DEFINED("Area", "square hectometer (hm²)", 1e4),
    DEFINED("Area", "square kilometer (km²)", 1e6),

    DEFINED("Capacity", "cubic inch (cu in)", kCubicInch),
    DEFINED("Capacity", "cubic foot (cu ft)", 1728 * kCubicInch),
    DEFINED("Capacity", "cubic yard (cu yd)", 46656 * kCubicInch),
    DEFINED("Capacity", "jigger", 1.5 * kUsFluidOunce),
    DEFINED("Capacity", "[UK] gill (gi)", kUkGallon / 32),
    DEFINED("Capacity", "[UK] pint (pt)", kUkGallon / 8),
    DEFINED("Capacity", "[UK] quart (qt)", kUkGallon / 4),
    DEFINED("Capacity", "[UK] gallon (gal)", kUkGallon),
    DEFINED("Capacity", "[UK] peck (pk)", 2 * kUkGallon),
    DEFINED("Capacity", "[UK] bushel (bu)", 8 * kUkGallon),
    DEFINED("Capacity", "[UK] quarter (qr)", 64 * kUkGallon),
    DEFINED("Capacity", "[UK] barrel (bl)", 36 * kUkGallon),
    DEFINED("Capacity", "[UK] keg", 11 * kUkGallon),
    DEFINED("Capacity", "[UK] nip", kUkGallon / 128),
    DEFINED("Capacity", "[US] dry pint (pt)", kUsDryGallon / 8),
    DEFINED("Capacity", "[US] dry quart (qt)", kUsDryGallon / 4),
    DEFINED("Capacity", "[US] dry gallon (gal)", kUsDryGallon),
    DEFINED("Capacity", "[US] peck (pk)", 2 * kUsDryGallon),
    DEFINED("Capacity", "[US] bushel (bu)", 2150.42 * kCubicInch),
    DEFINED("Capacity", "[US] fluid ounce", kUsFluidOunce),
    DEFINED("Capacity", "[US] minim", kUsFluidOunce / 480),
    DEFINED("Capacity", "[US] fluid dram (fl dr)", kUsFluidOunce / 8),
    DEFINED("Capacity", "[US] tablespoonful (T)", kUsFluidOunce / 2),
    DEFINED("Capacity", "[US] teaspoonful (t)", kUsFluidOunce / 6),
    DEFINED("Capacity", "[US] liquid gill (gi)", kUsGallon / 32),
    DEFINED("Capacity", "[US] liquid pint (pt)", kUsGallon / 8),
    DEFINED("Capacity", "[US] liquid quart (qt)", kUsGallon / 4),
    DEFINED("Capacity", "[US] gallon (gal)", kUsGallon),
    DEFINED("Capacity", "[US] barrel petroleum", 42 * kUsGallon),
    DEFINED("Capacity", "[US] hogshead (hhd)", 63 * kUsGallon),
    DEFINED("Capacity", "[US] board foot (fbm)", 144 * kCubicInch),
    DEFINED("Capacity", "[US] cord", 128 * 1728 * kCubicInch),
    DEFINED("Capacity", "[US] cord foot", 16 * 1728 * kCubicInch),
    DEFINED("Capacity", "[US] cup", kUsGallon / 16),
    DEFINED("Capacity", "[US] keg", 15.5 * kUsGallon),
    DEFINED("Capacity", "[US] magnum", 1.5),
    DEFINED("Capacity", "[US] pipe", 126 * kUsGallon),
    DEFINED("Capacity", "[US] freight ton", 40 * 1728 * kCubicInch),
    DEFINED("Capacity", "[US] shipping ton", 40 * 1728 * kCubicInch),
    DEFINED("Capacity", "[US] tun", 252 * kUsGallon),
    DEFINED("Capacity", "[JP] sun", kCubicShaku / 1000),
    DEFINED("Capacity", "[JP] shaku", kSho / 100),
    DEFINED("Capacity", "[JP] gô", kSho / 10),
    DEFINED("Capacity", "[JP] shô", kSho),
    DEFINED("Capacity", "[JP] to", 10 * kSho),
    DEFINED("Capacity", "[JP] sai (freight, lumber)", kCubicShaku),
    DEFINED("Capacity", "[JP] cubic shaku", kCubicShaku),
    DEFINED("Capacity", "[JP] koku (lumber)", 10 * kCubicShaku),
    DEFINED("Capacity", "[JP] koku (rice stipends)", 100 * kSho),
    DEFINED("Capacity", "[JP] tsubo (earth)", 216 * kCubicShaku),
    DEFINED("Capacity", "picoliter (pl)", 1e-12),
    DEFINED("Capacity", "nanoliter (nl)", 1e-9),
    DEFINED("Capacity", "microliter (µl)", 1e-6),
    DEFINED("Capacity", "milliliter (ml)", 1e-3),
    DEFINED("Capacity", "centiliter (cl)", 1e-2),
    DEFINED("Capacity", "deciliter (dl)", 0.1),
    DEFINED("Capacity", "liter (l)", 1),
    DEFINED("Capacity", "decaliter (dal)", 10),
    DEFINED("Capacity", "hectoliter (hl)", 100),
    DEFINED("Capacity", "cubic millimeter (mm³)", 1e-6),
    DEFINED("Capacity", "cubic centimeter (cm³)", 1e-3),
    DEFINED("Capacity", "cubic decimeter (dm³)", 1),
    DEFINED("Capacity", "cubic meter (m³)", 1000),
    DEFINED("Capacity", "stere", 1000),

    DEFINED("Speed", "miles per hour (mph)", kMile / 1000),
    DEFINED("Speed", "feet/second (ft/s)", kFoot * 3.6),
    DEFINED("Speed", "miles per second (mi/s)", kMile * 3.6),
    DEFINED("Speed", "meters/second (m/s)", 3.6),
    DEFINED("Speed", "kilometers/second (km/s)", 3600),
    DEFINED("Speed", "kilometers/hour (km/h)", 1),
    DEFINED("Speed", "knot", kNauticalMile / 1000),
    DEFINED("Speed", "speed of light", 299792458 * 3.6),

    DEFINED("Pressure", "lbf/sq in (psi)", kPoundForce / (kInch * kInch)),
    DEFINED("Pressure", "kip/sq in (ksi)", 1000 * kPoundForce / (kInch * kInch)),
    DEFINED("Pressure", "tons/square inch (t/sq in)", 2240 * kPoundForce / (kInch * kInch)),
    DEFINED("Pressure", "pascal (Pa)", 1),
    DEFINED("Pressure", "torr (mmHg)", kAtmosphere / 760),
    DEFINED("Pressure", "N/m²", 1),
    DEFINED("Pressure", "kg/cm²", kGravity * 1e4),
    DEFINED("Pressure", "kg/m²", kGravity),
    DEFINED("Pressure", "bar", 1e5),
    DEFINED("Pressure", "atmosphere (atm)", kAtmosphere),

    DEFINED("Power", "PS/pk/CV", 75 * kGravity),
    DEFINED("Power", "electrical horsepower", 746),
    DEFINED("Power", "[UK] horsepower (HP)", 550 * kFoot * kPoundForce),
    DEFINED("Power", "[US] horsepower (HP)", 550 * kFoot * kPoundForce),
    DEFINED("Power", "watt (W)", 1),
    DEFINED("Power", "newton meter/sec (N.m/s)", 1),

    DEFINED("Energy", "[UK] British thermal unit (BTU)", kBtu),
    DEFINED("Energy", "[UK] therm", 1e5 * kBtu),
    DEFINED("Energy", "joule (J)", 1),
    DEFINED("Energy", "watt hour (Wh)", 3600),
    DEFINED("Energy", "kilowatt hour (kWh)", 3.6e6),
    DEFINED("Energy", "calorie (cal)", 4.1868),
    DEFINED("Energy", "electron volt (eV)", 1.602176634e-19),
};

#undef DEFINED

// Rows that keep a customary value because no single exact definition is agreed; their comment
// column must say which reading they follow.
const std::set<std::pair<std::string, std::string>> kCustomary = {{"Power", "boiler horsepower"}};

const std::vector<std::string> kLinearCategories = {"Weight", "Length",   "Area",  "Capacity",
                                                    "Speed",  "Pressure", "Power", "Energy"};

std::string BuiltPath(const CCategory& category)
{
    return std::string(KELVARA_BUILT_DATA_DIR) + "/" + category.GetDataFileName();
}

// Each category loaded once from the built file.
const CCategory& Category(const std::string& name)
{
    static CCategoryArray catalogue;
    static std::set<std::string> loaded;
    if (catalogue.empty())
        CreateCatalogue(catalogue);
    for (auto& category : catalogue) {
        if (category->GetName() != name)
            continue;
        if (loaded.insert(name).second) {
            EXPECT_TRUE(category->LoadDataFile(BuiltPath(*category))) << name;
        }
        return *category;
    }
    throw std::runtime_error("no category " + name);
}

const CDefaultUnit& Unit(const std::string& category, const std::string& name)
{
    for (const auto& unit : Category(category).GetUnits())
        if (unit->GetName() == name)
            return static_cast<const CDefaultUnit&>(*unit);
    throw std::runtime_error(category + " has no unit " + name);
}

TEST(ExactFactors, EveryDefinedRowCarriesItsDefinitionToFullPrecision)
{
    for (const auto& d : kDefinitions) {
        const double factor = Unit(d.category, d.unit).GetValue();
        EXPECT_NEAR(factor / d.value, 1.0, 1e-12) << d.category << ": " << d.unit << " is " << factor
                                                  << ", defined as " << d.expression << " = " << d.value;
    }
}

TEST(ExactFactors, EveryLinearRowIsDefinedOrSaysWhichReadingItFollows)
{
    std::set<std::pair<std::string, std::string>> defined;
    for (const auto& d : kDefinitions)
        EXPECT_TRUE(defined.emplace(d.category, d.unit).second) << "listed twice: " << d.unit;
    for (const auto& category : kLinearCategories)
        for (const auto& unit : Category(category).GetUnits())
            EXPECT_TRUE(defined.count({category, unit->GetName()}) ||
                        kCustomary.count({category, unit->GetName()}) ||
                        kelvara::test::InGnuUnitsReference(category, unit->GetName()))
                << category << ": " << unit->GetName()
                << " has neither a definition here nor a customary reading";

    for (const auto& [category, unit] : kCustomary) {
        CTextFileReader reader(BuiltPath(Category(category)));
        std::string line;
        std::vector<std::string> fields;
        bool found = false;
        while (reader.ReadLine(line))
            if (SplitRow(line, 1, fields) && fields[0] == unit) {
                found = true;
                EXPECT_TRUE(fields.size() >= 3 && !fields[2].empty())
                    << unit << " does not say which reading";
            }
        EXPECT_TRUE(found) << category << ": no row " << unit;
    }
}

struct Relation {
    const char* category;
    const char* unit;
    double count;
    const char* other;
};

// One unit is exactly so many of the other; the files must agree with themselves.
const std::vector<Relation> kRelations = {
    {"Capacity", "[UK] gallon (gal)", 4, "[UK] quart (qt)"},
    {"Capacity", "[UK] gallon (gal)", 8, "[UK] pint (pt)"},
    {"Capacity", "[UK] pint (pt)", 4, "[UK] gill (gi)"},
    {"Capacity", "[UK] bushel (bu)", 8, "[UK] gallon (gal)"},
    {"Capacity", "[US] gallon (gal)", 4, "[US] liquid quart (qt)"},
    {"Capacity", "[US] gallon (gal)", 8, "[US] liquid pint (pt)"},
    {"Capacity", "[US] gallon (gal)", 128, "[US] fluid ounce"},
    {"Capacity", "[US] gallon (gal)", 231, "cubic inch (cu in)"},
    {"Capacity", "[US] barrel petroleum", 42, "[US] gallon (gal)"},
    {"Capacity", "[US] dry gallon (gal)", 4, "[US] dry quart (qt)"},
    {"Capacity", "cubic foot (cu ft)", 1728, "cubic inch (cu in)"},
    {"Weight", "pound (lb)", 16, "ounce (oz)"},
    {"Weight", "ounce (oz)", 16, "dram (dr)"},
    {"Weight", "pound (lb)", 7000, "grain (gr)"},
    {"Weight", "pound and ounce (lb. oz.)", 1, "pound (lb)"},
    {"Weight", "[UK] long ton (tn l)", 20, "[UK] hundredweight (cwt)"},
    {"Weight", "[UK] stone [body] (st)", 14, "pound (lb)"},
    {"Weight", "ounce troy", 480, "grain troy"},
    {"Length", "mile (US: mi, UK: ml)", 5280, "foot (ft)"},
    {"Length", "yard (yd)", 3, "foot (ft)"},
    {"Length", "yard (yd)", 36, "inch (in)"},
    {"Length", "foot and inch (ft. in.)", 12, "inch (in)"},
    {"Length", "furlong [fur]", 10, "chain, Gunter's or surveyor's (ch)"},
    {"Length", "chain, Gunter's or surveyor's (ch)", 100, "link, Gunter's or surveyor's"},
    {"Length", "pica [typography]", 12, "point [typography]"},
    {"Length", "[JP] ri", 36, "[JP] chô"},
    {"Length", "[JP] ken", 6, "[JP] shaku"},
    {"Area", "acre", 43560, "square foot (sq ft)"},
    {"Area", "acre", 4840, "square yard (sq yd)"},
    {"Area", "acre", 4, "rood"},
    {"Area", "square mile (US: sq mi, UK: sq ml)", 640, "acre"},
    {"Area", "[US] section", 1, "square mile (US: sq mi, UK: sq ml)"},
    {"Area", "[US] township", 36, "[US] section"},
    {"Area", "square yard (sq yd)", 9, "square foot (sq ft)"},
    {"Area", "square foot (sq ft)", 144, "square inch (sq in)"},
    {"Area", "square [construction]", 100, "square foot (sq ft)"},
    {"Area", "[JP] bu/tsubo", 2, "[JP] tatami"},
    {"Area", "[JP] chô", 10, "[JP] tan"},
    {"Speed", "miles per hour (mph)", 5280.0 / 3600, "feet/second (ft/s)"},
    {"Speed", "knot", 1852.0 / 3600, "meters/second (m/s)"},
    {"Pressure", "atmosphere (atm)", 760, "torr (mmHg)"},
    {"Pressure", "kip/sq in (ksi)", 1000, "lbf/sq in (psi)"},
    {"Pressure", "kg/cm²", 1e4, "kg/m²"},
    {"Power", "[UK] horsepower (HP)", 1, "[US] horsepower (HP)"},
    {"Energy", "[UK] therm", 1e5, "[UK] British thermal unit (BTU)"},
};

TEST(ExactFactors, RelatedUnitsAgree)
{
    for (const auto& r : kRelations) {
        const double ratio = Unit(r.category, r.unit).GetValue() / Unit(r.category, r.other).GetValue();
        EXPECT_NEAR(ratio / r.count, 1.0, 1e-12)
            << r.category << ": 1 " << r.unit << " is " << ratio << " " << r.other << ", not " << r.count;
    }
}

TEST(ExactFactors, ConversionsShowTheWholeNumbersTheDefinitionsGive)
{
    const auto convert = [](const char* category, const char* from, const char* value, const char* to) {
        return Unit(category, from).Convert(value, Unit(category, to));
    };
    EXPECT_EQ(convert("Capacity", "[UK] gallon (gal)", "1", "[UK] quart (qt)"), "4");
    EXPECT_EQ(convert("Capacity", "[US] gallon (gal)", "1", "[US] liquid pint (pt)"), "8");
    EXPECT_EQ(convert("Weight", "pound (lb)", "1", "ounce (oz)"), "16");
    EXPECT_EQ(convert("Area", "acre", "1", "square foot (sq ft)"), "43560");
    EXPECT_EQ(convert("Length", "mile (US: mi, UK: ml)", "1", "foot (ft)"), "5280");
    EXPECT_EQ(convert("Speed", "meters/second (m/s)", "1", "feet/second (ft/s)"), "3.28083989501312");
    EXPECT_EQ(convert("Speed", "feet/second (ft/s)", "1", "meters/second (m/s)"), "0.3048");
    EXPECT_EQ(convert("Pressure", "atmosphere (atm)", "1", "torr (mmHg)"), "760");
    EXPECT_EQ(convert("Energy", "[UK] therm", "1", "[UK] British thermal unit (BTU)"), "100000");

    // Compound targets truncate their second part, so a factor a hair too small loses a whole unit.
    EXPECT_EQ(convert("Weight", "ounce (oz)", "16", "pound and ounce (lb. oz.)"), "1 lb 0 oz");
    EXPECT_EQ(convert("Weight", "pound and ounce (lb. oz.)", "1.8", "ounce (oz)"), "24");
    EXPECT_EQ(convert("Length", "yard (yd)", "1", "foot and inch (ft. in.)"), "3 ft 0 in");
}

TEST(ExactFactors, CompoundTargetsNeverLoseAWholeUnitToRounding)
{
    const auto convert = [](const char* category, const char* from, const std::string& value,
                            const char* to) {
        return Unit(category, from).Convert(value, Unit(category, to));
    };
    // Every count of the smaller unit shows as whole larger units and the rest (12 in arrive as
    // 0.9999999999999998 ft, 13 in as 1 ft and 0.9999999999999991 in).
    for (int n = 0; n <= 1000; ++n) {
        const std::string inches = std::to_string(n / 12) + " ft " + std::to_string(n % 12) + " in";
        EXPECT_EQ(convert("Length", "inch (in)", std::to_string(n), "foot and inch (ft. in.)"), inches) << n;
        // Negative results keep the sign in both parts.
        EXPECT_EQ(convert("Length", "inch (in)", std::to_string(-n), "foot and inch (ft. in.)"),
                  std::to_string(-(n / 12)) + " ft " + std::to_string(-(n % 12)) + " in")
            << -n;
        const std::string ounces = std::to_string(n / 16) + " lb " + std::to_string(n % 16) + " oz";
        EXPECT_EQ(convert("Weight", "ounce (oz)", std::to_string(n), "pound and ounce (lb. oz.)"), ounces)
            << n;
    }
    // What a user types in the pair notation comes back unchanged, although 5 ft 1 in is carried
    // as 5.083333 ft.
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 16; ++b) {
            const std::string typed = std::to_string(a) + "." + std::to_string(b);
            if (b < 12) {
                EXPECT_EQ(convert("Length", "foot and inch (ft. in.)", typed, "foot and inch (ft. in.)"),
                          std::to_string(a) + " ft " + std::to_string(b) + " in");
            }
            EXPECT_EQ(convert("Weight", "pound and ounce (lb. oz.)", typed, "pound and ounce (lb. oz.)"),
                      std::to_string(a) + " lb " + std::to_string(b) + " oz");
        }
    }
    EXPECT_EQ(convert("Length", "inch (in)", "36", "foot and inch (ft. in.)"), "3 ft 0 in");
    EXPECT_EQ(convert("Length", "foot (ft)", "3", "foot and inch (ft. in.)"), "3 ft 0 in");
    EXPECT_EQ(convert("Length", "mile (US: mi, UK: ml)", "1", "foot and inch (ft. in.)"), "5280 ft 0 in");
    EXPECT_EQ(convert("Length", "furlong [fur]", "1", "foot and inch (ft. in.)"), "660 ft 0 in");
    EXPECT_EQ(convert("Weight", "pound (lb)", "1", "pound and ounce (lb. oz.)"), "1 lb 0 oz");
    EXPECT_EQ(convert("Weight", "[UK] stone [body] (st)", "1", "pound and ounce (lb. oz.)"), "14 lb 0 oz");
    EXPECT_EQ(convert("Weight", "dram (dr)", "32", "pound and ounce (lb. oz.)"), "0 lb 2 oz");
    // Only rounding is forgiven: the second part is still truncated.
    EXPECT_EQ(convert("Length", "meter (m)", "1", "foot and inch (ft. in.)"), "3 ft 3 in");
    EXPECT_EQ(convert("Length", "inch (in)", "11.99", "foot and inch (ft. in.)"), "0 ft 11 in");
    EXPECT_EQ(convert("Length", "inch (in)", "23.9999", "foot and inch (ft. in.)"), "1 ft 11 in");
    EXPECT_EQ(convert("Weight", "kilogram (kg)", "1", "pound and ounce (lb. oz.)"), "2 lb 3 oz");
}

} // namespace
