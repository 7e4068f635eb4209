#pragma once

#include "catalogue/baseunit.h"

// A unit that converts a typed number (neutral notation) into another unit of its category.
class CConversionUnit : public CBaseUnit {
public:
    // Converts `source` from this unit into `target`; returns the result text.
    virtual std::string Convert(const std::string& source, const CConversionUnit& target) const = 0;
    // The number that defines the unit (factor, degree code, base, rate).
    virtual double GetValue() const = 0;
    // How a result in this unit is written; FormatDouble by default.
    virtual std::string FormatValue(double value) const;
};
