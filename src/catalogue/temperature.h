#pragma once

#include "catalogue/conversionunit.h"

#include <cstdint>

// A temperature scale, named by its degree code: 1 Celsius, 2 Fahrenheit, 3 Rankine, 4 Réaumur,
// 5 Kelvin. Any other code converts values unchanged.
class CTemperature : public CConversionUnit {
public:
    std::string GetName() const override { return m_name; }
    bool Parse(const std::string& line) override;
    std::string Convert(const std::string& source, const CConversionUnit& target) const override;
    double GetValue() const override { return m_degree; }

private:
    std::string m_name;
    std::int32_t m_degree = 0;
};
