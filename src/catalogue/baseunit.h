#pragma once

#include <string>

// Any unit of a category: one thing the user can pick in a unit list, built from a data-file row.
class CBaseUnit {
public:
    virtual ~CBaseUnit() = default;
    CBaseUnit(const CBaseUnit&) = delete;
    CBaseUnit& operator=(const CBaseUnit&) = delete;

    // The text shown for the unit in the page's lists.
    virtual std::string GetName() const = 0;
    // Fills the unit from one data-file line; false rejects the line.
    virtual bool Parse(const std::string& line) = 0;
    // The characters the source-value field admits for this unit; empty: the default numeric ones.
    virtual std::string GetInputChars() const { return {}; }

protected:
    CBaseUnit() = default;
};
