#pragma once

#include "catalogue/lookupunit.h"

#include <cstdint>

// One row of the film-speed table: column 0 is ASA/ISO, column 1 is DIN.
class CSensitivity : public CLookupUnit {
public:
    enum Column { ColumnAsa = 0, ColumnDin = 1 };

    std::string GetName() const override { return {}; }
    bool Parse(const std::string& line) override;
    std::string GetColumnText(int column) const override;

private:
    std::int32_t m_din = -1;
    std::int32_t m_asa = -1;
};
