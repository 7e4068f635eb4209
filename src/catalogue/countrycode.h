#pragma once

#include "catalogue/lookupunit.h"

// One row of the country table: code, international prefix, the three emergency numbers and the
// country's name. All texts, kept as written (leading zeros matter).
class CCountryCode : public CLookupUnit {
public:
    enum Column {
        ColumnCodeAndPrefix = 0,
        ColumnName = 1,
        ColumnPrefix = 2,
        ColumnFire = 3,
        ColumnRescue = 4,
        ColumnPolice = 5,
    };

    std::string GetName() const override { return m_name; }
    // The Internet code as the file writes it ("de"); empty or "??" when there is none.
    const std::string& GetCode() const { return m_code; }
    bool Parse(const std::string& line) override;
    std::string GetColumnText(int column) const override;

private:
    std::string m_code;
    std::string m_prefix;
    std::string m_fire;
    std::string m_rescue;
    std::string m_police;
    std::string m_name;
};
