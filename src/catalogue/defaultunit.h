#pragma once

#include "catalogue/conversionunit.h"

// A linear unit: a factor of the category's base unit. A compound unit stands for a pair such as
// feet and inches: typed as "5.9" (five feet nine inches) and shown as "5 ft 9 in".
class CDefaultUnit : public CConversionUnit {
public:
    std::string GetName() const override { return m_name; }
    bool Parse(const std::string& line) override;
    std::string Convert(const std::string& source, const CConversionUnit& target) const override;
    double GetValue() const override { return m_factor; }
    std::string FormatValue(double value) const override;

    bool IsCompound() const { return m_compound; }

private:
    std::string m_name;
    double m_factor = 0;
    bool m_compound = false;
    double m_ratio = 0;
    std::string m_firstUnitName;
    std::string m_secondUnitName;
};
