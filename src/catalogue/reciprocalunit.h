#pragma once

#include "catalogue/conversionunit.h"

// A unit of a category whose units are either a quantity per something or its reciprocal, as fuel
// economy is a distance per volume (km/L, mpg) or a volume per distance (L/100 km). The factor says
// how many base units one unit is worth; for a reciprocal unit, x of it are factor/x base units.
// Between the two kinds a value converts through 1/x, so only values above 0 have a result there;
// within one kind it converts linearly, as any factor does.
class CReciprocalUnit : public CConversionUnit {
public:
    std::string GetName() const override { return m_name; }
    // "name,factor[,r[,comment]]": "r" marks the reciprocal kind.
    bool Parse(const std::string& line) override;
    std::string Convert(const std::string& source, const CConversionUnit& target) const override;
    unsigned NoResultReason(const std::string& source, const CConversionUnit& target) const override;
    double GetValue() const override { return m_factor; }

    bool IsReciprocal() const { return m_reciprocal; }

private:
    // Whether converting into `target` goes through 1/x.
    bool Crosses(const CConversionUnit& target) const;

    std::string m_name;
    double m_factor = 0;
    bool m_reciprocal = false;
};
