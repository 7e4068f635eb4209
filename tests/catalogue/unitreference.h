#pragma once

// The factor of every unit added since the first fourteen categories, and of every row of the
// categories that gained units (but Length's), as GNU units (Debian package "units") defines it: a test asks
// `units` itself, so that our numbers are checked against a reference we did not write. The few units it does
// not define are listed apart, each with the definition and where it comes from.

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

// A fuel-economy row marked reciprocal is checked by the distance per volume that one of it is the
// reciprocal of: x L/100 km are 100/x km/L, so its factor is 1/(L/100 km) in km/L.
inline const std::vector<ReferenceCategory> kGnuUnitsReference = {
    {"Time",
     "s",
     {{"nanosecond (ns)", "ns"},
      {"microsecond (µs)", "microsecond"},
      {"millisecond (ms)", "ms"},
      {"second (s)", "s"},
      {"minute (min)", "min"},
      {"hour (h)", "hr"},
      {"day (d)", "day"},
      {"week (wk)", "week"},
      {"fortnight", "fortnight"},
      // GNU units' own month, year, decade and century take the tropical year; ours the Gregorian.
      {"month (mo)", "gregorianyear/12"},
      {"year (yr)", "gregorianyear"},
      {"Julian year (a)", "julianyear"},
      {"decade", "10 gregorianyear"},
      {"century", "100 gregorianyear"},
      {"millennium", "1000 gregorianyear"}}},
    {"Data Size",
     "byte",
     {{"bit", "bit"},
      {"byte (B)", "B"},
      {"kilobit (kbit)", "kbit"},
      {"megabit (Mbit)", "Mbit"},
      {"gigabit (Gbit)", "Gbit"},
      {"terabit (Tbit)", "Tbit"},
      {"kibibit (Kibit)", "Kibit"},
      {"mebibit (Mibit)", "Mibit"},
      {"gibibit (Gibit)", "Gibit"},
      {"kilobyte (kB)", "kB"},
      {"megabyte (MB)", "MB"},
      {"gigabyte (GB)", "GB"},
      {"terabyte (TB)", "TB"},
      {"petabyte (PB)", "PB"},
      {"exabyte (EB)", "EB"},
      {"kibibyte (KiB)", "KiB"},
      {"mebibyte (MiB)", "MiB"},
      {"gibibyte (GiB)", "GiB"},
      {"tebibyte (TiB)", "TiB"},
      {"pebibyte (PiB)", "PiB"},
      {"exbibyte (EiB)", "EiB"}}},
    {"Data Rate",
     "bit/s",
     {{"bit per second (bit/s)", "bit/s"},
      {"kilobit per second (kbit/s)", "kbit/s"},
      {"megabit per second (Mbit/s)", "Mbit/s"},
      {"gigabit per second (Gbit/s)", "Gbit/s"},
      {"terabit per second (Tbit/s)", "Tbit/s"},
      {"byte per second (B/s)", "B/s"},
      {"kilobyte per second (kB/s)", "kB/s"},
      {"megabyte per second (MB/s)", "MB/s"},
      {"gigabyte per second (GB/s)", "GB/s"},
      {"kibibyte per second (KiB/s)", "KiB/s"},
      {"mebibyte per second (MiB/s)", "MiB/s"},
      {"gibibyte per second (GiB/s)", "GiB/s"}}},
    {"Fuel Economy",
     "km/L",
     {{"liters per 100 kilometers (L/100 km)", "1/(L/(100 km))"},
      {"kilometers per liter (km/L)", "km/L"},
      {"[US] miles per gallon (mpg)", "mpg"},
      {"[UK] miles per gallon (mpg imp)", "brmpg"},
      {"miles per liter (mi/L)", "mile/L"},
      {"[US] gallons per 100 miles (gal/100 mi)", "1/(usgallon/(100 mile))"}}},
    {"Angle",
     "degree",
     {{"degree (°)", "degree"},
      {"radian (rad)", "radian"},
      {"milliradian (mrad)", "milliradian"},
      {"gradian (gon)", "gon"},
      {"turn (tr)", "turn"},
      {"right angle", "rightangle"},
      {"arcminute (′)", "arcmin"},
      {"arcsecond (″)", "arcsec"},
      {"NATO mil (mil)", "milangle"}}},
    // GNU units counts a hertz as one radian per second; here a hertz is one cycle, and a turn is
    // one cycle, so turning speeds are compared in turns per second.
    {"Frequency",
     "Hz",
     {{"hertz (Hz)", "Hz"},
      {"kilohertz (kHz)", "kHz"},
      {"megahertz (MHz)", "MHz"},
      {"gigahertz (GHz)", "GHz"},
      {"terahertz (THz)", "THz"},
      {"revolutions per minute (rpm)", "rpm", "rev/s"},
      {"revolutions per second (rps)", "rps", "rev/s"},
      {"radians per second (rad/s)", "radian/s", "rev/s"},
      {"degrees per second (°/s)", "degree/s", "rev/s"}}},
    {"Force",
     "N",
     {{"newton (N)", "N"},
      {"kilonewton (kN)", "kN"},
      {"meganewton (MN)", "MN"},
      {"dyne (dyn)", "dyne"},
      {"kilogram-force (kgf)", "kgf"},
      {"tonne-force (tf)", "tonne force"},
      {"pound-force (lbf)", "lbf"},
      {"ounce-force (ozf)", "ounce force"},
      {"poundal (pdl)", "poundal"},
      {"kip", "kip"},
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
      {"gram per liter (g/L)", "g/L"},
      {"kilogram per liter (kg/L)", "kg/L"},
      {"gram per cubic meter (g/m³)", "g/m^3"},
      {"milligram per liter (mg/L)", "mg/L"},
      {"tonne per cubic meter (t/m³)", "tonne/m^3"},
      {"pound per cubic foot (lb/ft³)", "lb/ft^3"},
      {"pound per cubic inch (lb/in³)", "lb/inch^3"},
      {"ounce per cubic inch (oz/in³)", "oz/inch^3"},
      {"[US] pound per gallon (lb/gal)", "lb/usgallon"},
      {"[UK] pound per gallon (lb/gal)", "lb/brgallon"}}},
    {"Acceleration",
     "m/s^2",
     {{"meter per second squared (m/s²)", "m/s^2"},
      {"centimeter per second squared (cm/s²)", "cm/s^2"},
      {"gal (Gal)", "Gal"},
      {"foot per second squared (ft/s²)", "ft/s^2"},
      {"inch per second squared (in/s²)", "inch/s^2"},
      {"standard gravity (g₀)", "gravity"},
      {"kilometer per hour per second (km/h/s)", "kph/s"},
      {"mile per hour per second (mph/s)", "mph/s"}}},
    // The earlier rows of the categories that gained units are checked here too.
    {"Power",
     "W",
     {{"PS/pk/CV", "metrichorsepower"},
      {"electrical horsepower", "electrichorsepower"},
      {"boiler horsepower", "boilerhorsepower"},
      {"[UK] horsepower (HP)", "brhorsepower"},
      {"[US] horsepower (HP)", "horsepower"},
      {"watt (W)", "W"},
      {"newton meter/sec (N.m/s)", "N m/s"},
      {"milliwatt (mW)", "mW"},
      {"kilowatt (kW)", "kW"},
      {"megawatt (MW)", "MW"},
      {"gigawatt (GW)", "GW"},
      {"BTU per hour (BTU/h)", "btu/hr"},
      {"ton of refrigeration (TR)", "tonrefrigeration"},
      {"foot-pound-force per second (ft·lbf/s)", "ft lbf/s"}}},
    {"Energy",
     "J",
     {{"[UK] British thermal unit (BTU)", "btu"},
      {"[UK] therm", "100000 btu"},
      {"joule (J)", "J"},
      {"watt hour (Wh)", "Wh"},
      {"kilowatt hour (kWh)", "kWh"},
      {"calorie (cal)", "calorie_IT"},
      {"electron volt (eV)", "eV"},
      {"kilojoule (kJ)", "kJ"},
      {"megajoule (MJ)", "MJ"},
      {"gigajoule (GJ)", "GJ"},
      {"kilocalorie (kcal)", "kilo calorie_IT"},
      {"food kilocalorie (food kcal)", "Calorie"},
      {"megawatt hour (MWh)", "MWh"},
      {"gigawatt hour (GWh)", "GWh"},
      {"erg", "erg"},
      {"foot-pound-force (ft·lbf)", "ft lbf"},
      {"[US] therm (thm)", "UStherm"}}},
    {"Pressure",
     "Pa",
     {{"lbf/sq in (psi)", "psi"},
      {"kip/sq in (ksi)", "ksi"},
      {"tons/square inch (t/sq in)", "longton force/inch^2"},
      {"pascal (Pa)", "Pa"},
      {"torr (mmHg)", "torr"},
      {"N/m²", "N/m^2"},
      {"kg/cm²", "kgf/cm^2"},
      {"kg/m²", "kgf/m^2"},
      {"bar", "bar"},
      {"atmosphere (atm)", "atm"},
      {"hectopascal (hPa)", "hPa"},
      {"kilopascal (kPa)", "kPa"},
      {"megapascal (MPa)", "MPa"},
      {"gigapascal (GPa)", "GPa"},
      {"millibar (mbar)", "mbar"},
      {"inch of mercury (inHg)", "inHg"},
      {"millimeter of water (mmH₂O)", "mmH2O"},
      {"inch of water (inH₂O)", "inH2O"},
      {"technical atmosphere (at)", "technicalatmosphere"}}},
    {"Speed",
     "km/hr",
     {{"miles per hour (mph)", "mph"},
      {"feet/second (ft/s)", "ft/s"},
      {"miles per second (mi/s)", "mile/s"},
      {"meters/second (m/s)", "m/s"},
      {"kilometers/second (km/s)", "km/s"},
      {"kilometers/hour (km/h)", "kph"},
      {"knot", "knot"},
      {"speed of light", "c"}}},
    {"Length", "m", {{"nautical mile (nmi)", "nmi"}, {"light-second", "lightsecond"}}},
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

// Whether the reference above covers a row.
inline bool InGnuUnitsReference(const std::string& category, const std::string& unit)
{
    for (const auto& c : kGnuUnitsReference)
        if (category == c.category)
            for (const auto& row : c.rows)
                if (unit == row.unit)
                    return true;
    for (const auto& v : kNotInGnuUnits)
        if (category == v.category && unit == v.unit)
            return true;
    return false;
}

} // namespace kelvara::test
