#pragma once

#include "catalogue/conversionunit.h"

#include <cstdint>
#include <optional>

// A notation for whole numbers: a positional base from 2 to 36, or Roman numerals (base 37 and up;
// the data use 100). Converts exactly on 64-bit integers; any failure reads "####".
class CNumber : public CConversionUnit {
public:
    std::string GetName() const override { return m_name; }
    // Rows with a base below 2 are rejected: such a base cannot be printed.
    bool Parse(const std::string& line) override;
    std::string GetInputChars() const override;
    std::string Convert(const std::string& source, const CConversionUnit& target) const override;
    double GetValue() const override { return m_base; }

    // Reads `text` in `base`; nothing for invalid text or a value above 2^63 - 1.
    static std::optional<std::int64_t> ParseValue(const std::string& text, int base);
    // Writes a non-negative `value` in `base`; "####" for Roman values outside 1..3999.
    static std::string PrintValue(std::int64_t value, int base);

private:
    std::string m_name;
    std::int32_t m_base = 10;
};
