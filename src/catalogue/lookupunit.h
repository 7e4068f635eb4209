#pragma once

#include "catalogue/baseunit.h"

// A row of a reference table whose columns are looked up.
class CLookupUnit : public CBaseUnit {
public:
    virtual std::string GetColumnText(int column) const = 0;
};
