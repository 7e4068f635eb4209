#pragma once

#include "catalogue/baseunit.h"

// A unit that converts a typed number (neutral notation) into another unit of its category.
class CConversionUnit : public CBaseUnit {
public:
    // Converts `source` from this unit into `target`; returns the result text.
    virtual std::string Convert(const std::string& source, const CConversionUnit& target) const = 0;
    // The string-table entry that tells why `source` has no result in `target` (0 into a reciprocal
    // unit); 0 when it has one.
    virtual unsigned NoResultReason(const std::string& /*source*/, const CConversionUnit& /*target*/) const
    {
        return 0;
    }
    // The number that defines the unit (factor, degree code, base, rate).
    virtual double GetValue() const = 0;
    // How a result in this unit is written: FormatDouble, or rounded to the significant digits
    // asked for (SetResultDigits).
    virtual std::string FormatValue(double value) const;
};

namespace kelvara {

class ProfileStore;

// How many significant digits measured results are written with: 1 to kMaxResultDigits, or
// kAllResultDigits for every digit FormatDouble writes. One choice for the whole program (the
// option, or kelvara-cli's --digits); numbers of other bases, Roman numerals, times, telephone data
// and film speeds are not measured values and ignore it. Anything out of range means all.
inline constexpr int kAllResultDigits = 0;
inline constexpr int kMaxResultDigits = 17;
// Until the user chooses: a double carries any decimal of fifteen digits unchanged, while its 16th
// and 17th digits are binary noise for every value typed or defined in decimal (655.957, not
// 655.95699999999999).
inline constexpr int kDefaultResultDigits = 15;
void SetResultDigits(int digits);
int GetResultDigits();

// The option as `store` keeps it (kSignificantDigitsOption); read and written only here. False when
// the store refused the write.
int ReadResultDigitsOption(const ProfileStore& store);
bool WriteResultDigitsOption(ProfileStore& store, int digits);

} // namespace kelvara
