#pragma once

// The factor of every row of every category of factors, as GNU units (Debian package "units") defines it: a
// test asks `units` itself, so that our numbers are checked against a reference we did not write. A row is
// asked for by its symbol (the last parentheses of its name, or the whole name without them: "kilowatt
// (kW)" is "kW", "fortnight" is "fortnight"); the tables below name only the rows GNU units knows by
// another expression. The few units it does not define are listed apart, each with the definition and
// where it comes from.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kelvara::test {

struct ReferenceRow {
    const char* unit;           // the row's name in the data file
    const char* expression;     // the same quantity in GNU units' notation
    const char* base = nullptr; // what the factor counts, when not the category's base unit
};

struct ReferenceCategory {
    const char* category; // English name
    const char* base;     // the data file's base unit in GNU units' notation
    std::vector<ReferenceRow> rows;
};

// A failing category is named in test output, not dumped.
inline void PrintTo(const ReferenceCategory& c, std::ostream* out)
{
    *out << c.category;
}

// A fuel-economy row marked reciprocal is checked by the distance per volume that one of it is the
// reciprocal of: x L/100 km are 100/x km/L, so its factor is 1/(L/100 km) in km/L.
inline const std::vector<ReferenceCategory> kGnuUnitsReference = {
    {"Time",
     "s",
     {{"hour (h)", "hr"},
      // GNU units' own month, year, decade and century take the tropical year; ours the Gregorian.
      {"month (mo)", "gregorianyear/12"},
      {"year (yr)", "gregorianyear"},
      {"Julian year (a)", "julianyear"},
      {"decade", "10 gregorianyear"},
      {"century", "100 gregorianyear"},
      {"millennium", "1000 gregorianyear"}}},
    {"Data Size", "byte", {}},
    {"Data Rate", "bit/s", {}},
    {"Fuel Economy",
     "km/L",
     {{"liters per 100 kilometers (L/100 km)", "1/(L/(100 km))"},
      {"[UK] miles per gallon (mpg imp)", "brmpg"},
      {"[US] gallons per 100 miles (gal/100 mi)", "1/(usgallon/(100 mile))"}}},
    {"Angle",
     "degree",
     {{"radian (rad)", "radian"},
      {"milliradian (mrad)", "milliradian"},
      {"turn (tr)", "turn"},
      {"right angle", "rightangle"},
      {"NATO mil (mil)", "milangle"}}},
    // GNU units counts a hertz as one radian per second; here a hertz is one cycle, and a turn is
    // one cycle, so turning speeds are compared in turns per second.
    {"Frequency",
     "Hz",
     {{"revolutions per minute (rpm)", "rpm", "rev/s"},
      {"revolutions per second (rps)", "rps", "rev/s"},
      {"radians per second (rad/s)", "radian/s", "rev/s"},
      {"degrees per second (°/s)", "degree/s", "rev/s"}}},
    {"Force",
     "N",
     {{"tonne-force (tf)", "tonne force"},
      {"ounce-force (ozf)", "ounce force"},
      {"[US] ton-force (tnf)", "shortton force"}}},
    {"Torque",
     "N m",
     {{"newton meter (N·m)", "N m"},
      {"kilonewton meter (kN·m)", "kN m"},
      {"newton centimeter (N·cm)", "N cm"},
      {"kilogram-force meter (kgf·m)", "kgf m"},
      {"kilogram-force centimeter (kgf·cm)", "kgf cm"},
      {"pound-force foot (lbf·ft)", "lbf ft"},
      {"pound-force inch (lbf·in)", "lbf inch"},
      {"ounce-force inch (ozf·in)", "ounce force inch"},
      {"dyne centimeter (dyn·cm)", "dyne cm"}}},
    {"Density",
     "kg/m^3",
     {{"kilogram per cubic meter (kg/m³)", "kg/m^3"},
      {"gram per cubic centimeter (g/cm³)", "g/cm^3"},
      {"gram per cubic meter (g/m³)", "g/m^3"},
      {"tonne per cubic meter (t/m³)", "tonne/m^3"},
      {"pound per cubic foot (lb/ft³)", "lb/ft^3"},
      {"pound per cubic inch (lb/in³)", "lb/inch^3"},
      {"ounce per cubic inch (oz/in³)", "oz/inch^3"},
      {"[UK] pound per gallon (lb/gal)", "lb/brgallon"}}},
    {"Acceleration",
     "m/s^2",
     {{"meter per second squared (m/s²)", "m/s^2"},
      {"centimeter per second squared (cm/s²)", "cm/s^2"},
      {"foot per second squared (ft/s²)", "ft/s^2"},
      {"inch per second squared (in/s²)", "inch/s^2"},
      {"standard gravity (g₀)", "gravity"},
      {"kilometer per hour per second (km/h/s)", "kph/s"}}},
    // The earlier rows of the categories that gained units are checked here too.
    {"Power",
     "W",
     {{"PS/pk/CV", "metrichorsepower"},
      {"electrical horsepower", "electrichorsepower"},
      {"boiler horsepower", "boilerhorsepower"},
      {"[UK] horsepower (HP)", "brhorsepower"},
      {"[US] horsepower (HP)", "horsepower"},
      {"newton meter/sec (N.m/s)", "N m/s"},
      {"BTU per hour (BTU/h)", "btu/hr"},
      {"ton of refrigeration (TR)", "tonrefrigeration"},
      {"foot-pound-force per second (ft·lbf/s)", "ft lbf/s"}}},
    {"Energy",
     "J",
     {{"[UK] British thermal unit (BTU)", "btu"},
      {"[UK] therm", "100000 btu"},
      {"calorie (cal)", "calorie_IT"},
      {"kilocalorie (kcal)", "kilo calorie_IT"},
      {"food kilocalorie (food kcal)", "Calorie"},
      {"foot-pound-force (ft·lbf)", "ft lbf"},
      {"[US] therm (thm)", "UStherm"}}},
    {"Pressure",
     "Pa",
     {{"tons/square inch (t/sq in)", "longton force/inch^2"},
      {"torr (mmHg)", "torr"},
      {"N/m²", "N/m^2"},
      {"kg/cm²", "kgf/cm^2"},
      {"kg/m²", "kgf/m^2"},
      {"millimeter of water (mmH₂O)", "mmH2O"},
      {"inch of water (inH₂O)", "inH2O"}}},
    {"Speed", "km/hr", {{"kilometers/hour (km/h)", "kph"}, {"speed of light", "c"}}},
    // The categories of the first version, row by row. GNU units' barleycorn, nail, span and pole
    // take the imperial inch of before 1959, and its parsec au/tan(1"); the rows here follow the
    // international inch (1959) and the IAU's parsec of 648000/pi au (2015), so those are compared
    // in these terms.
    {"Length",
     "m",
     {{"foot and inch (ft. in.)", "ft"},
      {"barleycorn", "1|3 inch"},
      {"cubit", "18 inch"},
      {"ell [clothes]", "45 inch"},
      {"furlong [fur]", "furlong"},
      {"hand [horses]", "hand"},
      {"link, engineers", "ft"},
      {"nail [clothes]", "1|16 yard"},
      {"pica [typography]", "1|6 inch"},
      {"point [typography]", "point"},
      {"quarter [clothes]", "1|4 yard"},
      {"span", "9 inch"},
      {"fathom (fthm)", "fathom"},
      {"pole", "16.5 ft"},
      {"link, Gunter's or surveyor's", "link"},
      {"chain, nautical", "15 ft"},
      {"rood", "rod"},
      {"mile (US: mi, UK: ml)", "mile"},
      {"[UK] ruby [typography]", "5.5|72 inch"},
      {"[UK] cable", "brcable"},
      {"[UK] nautical mile (n.m.)", "brnauticalmile"},
      {"[UK] bolt [clothes]", "40 yard"},
      {"[US] agate [typography]", "1|14 inch"},
      {"[US] cable", "120 fathom"},
      {"[US] nautical mile (n.m.)", "1853.248 m"},
      {"[US] bolt [clothes]", "40 yard"},
      {"[JP] shi", "1|100000 shaku"},
      {"[JP] mô", "1|10000 shaku"},
      {"[JP] rin", "rin"},
      {"[JP] bu", "1|100 shaku"},
      {"[JP] sun", "sun"},
      {"[JP] shaku", "shaku"},
      {"[JP] kujira shaku", "kujirajaku"},
      {"[JP] hiro", "5 shaku"},
      {"[JP] ken", "ken"},
      {"[JP] jô", "jou"},
      {"[JP] tan", "28 kujirajaku"},
      {"[JP] chô", "chou"},
      {"[JP] ri", "ri"},
      {"[JP] hiki (cloth)", "56 kujirajaku"},
      {"[JP] hiro (water depth)", "6 shaku"},
      {"[FR] lieue", "4 km"},
      {"[FR] pouce", "pouce"},
      {"astronomical unit (AU)", "au"},
      {"light-year", "lightyear"},
      {"parsec (pc)", "648000 au / pi"},
      {"degree (geographical)", "60 nauticalmile"},
      {"degree of latitude at equator", "(pi/180) 6378137 m (1-(1/298.257223563)(2-1/298.257223563))"},
      {"degree of latitude at poles", "(pi/180) 6378137 m / sqrt(1-(1/298.257223563)(2-1/298.257223563))"},
      {"degree of longitude at equator", "(pi/180) 6378137 m"},
      {"light-second", "lightsecond"}}},
    {"Weight",
     "g",
     {{"pound and ounce (lb. oz.)", "lb"},
      {"grain troy", "grain"},
      {"ounce troy", "troyounce"},
      {"pound troy", "troypound"},
      {"scruple apothecary (s ap)", "apscruple"},
      {"dram apothecary (dr ap)", "apdram"},
      {"ounce apothecary (oz ap)", "apounce"},
      {"pound apothecary (lb ap)", "appound"},
      {"[UK] stone [food] (st)", "8 lb"},
      {"[UK] stone [body] (st)", "stone"},
      {"[UK] quarter (qr)", "28 lb"},
      {"[UK] short ton (tn sh)", "shortton"},
      {"[UK] long ton (tn l)", "longton"},
      {"[UK] hundredweight (cwt)", "brhundredweight"},
      {"[UK] cental [cereals]", "cental"},
      {"[US] quarter (qr)", "25 lb"},
      {"[US] quintal", "100 lb"},
      {"[US] ton (sh tn)", "shortton"},
      {"[US] bale [cotton]", "500 lb"},
      {"[US] keg", "100 lb"},
      {"[JP] mô", "1|1000 monme"},
      {"[JP] rin", "1|100 monme"},
      {"[JP] fun", "fun"},
      {"[JP] monme", "monme"},
      {"[JP] kin", "kin"},
      {"[JP] kan", "kan"},
      {"[JP] ryô", "10 monme"},
      {"[DE] Pfund (Pfd)", "pfund"},
      {"[DE] Zentner (Ztr)", "zentner"},
      {"[DE] Doppelzentner (dz)", "doppelzentner"},
      {"grain", "1|4 carat"},
      {"point", "1|100 carat"},
      {"hectogram (hg)", "hectogram"},
      {"quintal (q)", "quintal"}}},
    {"Area",
     "m^2",
     {{"square inch (sq in)", "inch^2"},
      {"square foot (sq ft)", "ft^2"},
      {"square yard (sq yd)", "yard^2"},
      {"square mile (US: sq mi, UK: sq ml)", "mile^2"},
      {"square [construction]", "100 ft^2"},
      {"square rod (sq rd)", "rod^2"},
      {"[US] section", "section"},
      {"[US] township", "township"},
      {"[JP] shaku", "1|100 tsubo"},
      {"[JP] gô", "1|10 tsubo"},
      {"[JP] bu/tsubo", "tsubo"},
      {"[JP] se", "se"},
      {"[JP] tan", "300 tsubo"},
      {"[JP] chô", "3000 tsubo"},
      {"[JP] ri", "ri^2"},
      {"[JP] tatami", "1|2 tsubo"},
      {"square millimeter (mm²)", "mm^2"},
      {"square centimeter (cm²)", "cm^2"},
      {"square decimeter (dm²)", "dm^2"},
      {"square meter (m²)", "m^2"},
      {"square decameter (dam²)", "dam^2"},
      {"square hectometer (hm²)", "hm^2"},
      {"square kilometer (km²)", "km^2"}}},
    {"Capacity",
     "liter",
     {{"cubic inch (cu in)", "inch^3"},
      {"cubic foot (cu ft)", "ft^3"},
      {"cubic yard (cu yd)", "yard^3"},
      {"[UK] gill (gi)", "brgill"},
      {"[UK] pint (pt)", "brpint"},
      {"[UK] quart (qt)", "brquart"},
      {"[UK] gallon (gal)", "brgallon"},
      {"[UK] peck (pk)", "brpeck"},
      {"[UK] bushel (bu)", "brbushel"},
      {"[UK] quarter (qr)", "brquarter"},
      {"[UK] barrel (bl)", "brbarrel"},
      {"[UK] keg", "11 brgallon"},
      {"[UK] nip", "1|4 brgill"},
      {"[US] dry pint (pt)", "drypint"},
      {"[US] dry quart (qt)", "dryquart"},
      {"[US] dry gallon (gal)", "drygallon"},
      {"[US] fluid ounce", "usfluidounce"},
      {"[US] minim", "1|480 usfluidounce"},
      {"[US] fluid dram (fl dr)", "fluiddram"},
      {"[US] tablespoonful (T)", "ustablespoon"},
      {"[US] teaspoonful (t)", "usteaspoon"},
      {"[US] liquid gill (gi)", "usgill"},
      {"[US] barrel petroleum", "petroleumbarrel"},
      {"[US] hogshead (hhd)", "ushogshead"},
      {"[US] cord", "cord"},
      {"[US] cord foot", "cordfoot"},
      {"[US] cup", "uscup"},
      {"[US] keg", "15.5 usgallon"},
      {"[US] magnum", "magnum"},
      {"[US] pipe", "126 usgallon"},
      {"[US] freight ton", "freightton"},
      {"[US] shipping ton", "shippington"},
      {"[US] tun", "252 usgallon"},
      {"[JP] sun", "1|1000 shaku^3"},
      {"[JP] shaku", "1|100 shou"},
      {"[JP] gô", "1|10 shou"},
      {"[JP] shô", "shou"},
      {"[JP] to", "to"},
      {"[JP] sai (freight, lumber)", "shaku^3"},
      {"[JP] cubic shaku", "shaku^3"},
      {"[JP] koku (lumber)", "10 shaku^3"},
      {"[JP] koku (rice stipends)", "koku"},
      {"[JP] tsubo (earth)", "216 shaku^3"},
      {"cubic millimeter (mm³)", "mm^3"},
      {"cubic centimeter (cm³)", "cm^3"},
      {"cubic decimeter (dm³)", "dm^3"},
      {"cubic meter (m³)", "m^3"}}},
};

// Units GNU units does not define, with the definition used and its source.
struct SourcedValue {
    const char* category;
    const char* unit;
    double value; // in the data file's base unit
    const char* source;
};

inline const std::vector<SourcedValue> kNotInGnuUnits = {
    {"Energy", "ton of TNT (t TNT)", 4.184e9,
     "NIST SP 811 (2008) B.8: 1 ton of TNT = 4.184 GJ, by convention"},
};

// How GNU units names the row `unit` of `c`: its listed expression and base, else its symbol in
// the category's base; nothing for a unit GNU units does not define.
struct GnuUnitsQuery {
    std::string expression;
    std::string base;
};
inline std::optional<GnuUnitsQuery> GnuUnitsName(const ReferenceCategory& c, const std::string& unit)
{
    for (const auto& v : kNotInGnuUnits)
        if (c.category == std::string(v.category) && unit == v.unit)
            return std::nullopt;
    for (const auto& row : c.rows)
        if (unit == row.unit)
            return GnuUnitsQuery{row.expression, row.base ? row.base : c.base};
    const auto open = unit.rfind(" (");
    if (unit.back() == ')' && open != std::string::npos)
        return GnuUnitsQuery{unit.substr(open + 2, unit.size() - open - 3), c.base};
    return GnuUnitsQuery{unit, c.base};
}

// Whether the reference checks a row: every row of a category it has a table for is checked.
inline bool InGnuUnitsReference(const std::string& category, const std::string& /*unit*/)
{
    for (const auto& c : kGnuUnitsReference)
        if (category == c.category)
            return true;
    return false;
}

} // namespace kelvara::test
