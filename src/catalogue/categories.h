#pragma once

// The categories that differ from CCategory only by how they are constructed (and, for
// Temperature and Numbers, by the unit class they create).

#include "catalogue/category.h"
#include "catalogue/number.h"
#include "catalogue/temperature.h"

#define KELVARA_LINEAR_CATEGORY(ClassName, nameId, baseName)                                            \
    class ClassName : public CCategory {                                                                \
    public:                                                                                             \
        ClassName() : CCategory(Numeric, nameId, baseName) {}                                           \
    };

KELVARA_LINEAR_CATEGORY(CWeightCategory, 1, "weight")
KELVARA_LINEAR_CATEGORY(CLengthCategory, 2, "length")
KELVARA_LINEAR_CATEGORY(CAreaCategory, 3, "area")
KELVARA_LINEAR_CATEGORY(CCapacityCategory, 4, "capacity")
KELVARA_LINEAR_CATEGORY(CSpeedCategory, 9, "speed")
KELVARA_LINEAR_CATEGORY(CPressureCategory, 10, "pressure")
KELVARA_LINEAR_CATEGORY(CPowerCategory, 13, "power")
KELVARA_LINEAR_CATEGORY(CEnergyCategory, 14, "energy")

#undef KELVARA_LINEAR_CATEGORY

class CTemperatureCategory : public CCategory {
public:
    CTemperatureCategory() : CCategory(Numeric, 5, "temperature") {}
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CTemperature>(); }
};

class CNumberCategory : public CCategory {
public:
    CNumberCategory() : CCategory(Numeric, 37, "number") {}
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CNumber>(); }
};
