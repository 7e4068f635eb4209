#pragma once

#include "catalogue/conversionunit.h"

// A currency and its rate: units of it per one euro. A floating currency prefers a rate the user
// stored under "Settings\Rates" (by code) over the data file's.
class CCurrency : public CConversionUnit {
public:
    std::string GetName() const override { return m_name; }
    bool Parse(const std::string& line) override;
    std::string Convert(const std::string& source, const CConversionUnit& target) const override;
    double GetValue() const override { return m_rate; }

    const std::string& GetCode() const { return m_code; }
    bool IsFixed() const { return m_fixed; }
    void SetRate(double rate) { m_rate = rate; }

private:
    std::string m_name;
    std::string m_code;
    bool m_fixed = false;
    double m_rate = 0;
};

namespace kelvara {
// The settings section that holds the rates the user typed or fetched.
inline constexpr const char* kRatesSection = "Settings\\Rates";
} // namespace kelvara
