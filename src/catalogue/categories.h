#pragma once

// The categories that differ from CCategory only by how they are constructed (and, for
// Temperature and Numbers, by the unit class they create).

#include "catalogue/category.h"
#include "catalogue/number.h"
#include "catalogue/temperature.h"
#include "text/strings.h"

class CWeightCategory : public CCategory {
public:
    CWeightCategory() : CCategory(Numeric, kelvara::IDS_WEIGHT, "weight") {}
};

class CLengthCategory : public CCategory {
public:
    CLengthCategory() : CCategory(Numeric, kelvara::IDS_LENGTH, "length") {}
};

class CAreaCategory : public CCategory {
public:
    CAreaCategory() : CCategory(Numeric, kelvara::IDS_AREA, "area") {}
};

class CCapacityCategory : public CCategory {
public:
    CCapacityCategory() : CCategory(Numeric, kelvara::IDS_CAPACITY, "capacity") {}
};

class CSpeedCategory : public CCategory {
public:
    CSpeedCategory() : CCategory(Numeric, kelvara::IDS_SPEED, "speed") {}
};

class CPressureCategory : public CCategory {
public:
    CPressureCategory() : CCategory(Numeric, kelvara::IDS_PRESSURE, "pressure") {}
};

class CPowerCategory : public CCategory {
public:
    CPowerCategory() : CCategory(Numeric, kelvara::IDS_POWER, "power") {}
};

class CEnergyCategory : public CCategory {
public:
    CEnergyCategory() : CCategory(Numeric, kelvara::IDS_ENERGY, "energy") {}
};

class CTemperatureCategory : public CCategory {
public:
    CTemperatureCategory() : CCategory(Numeric, kelvara::IDS_TEMPERATURE, "temperature") {}
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CTemperature>(); }
};

class CNumberCategory : public CCategory {
public:
    CNumberCategory() : CCategory(Numeric, kelvara::IDS_NUMBERS, "number") {}
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CNumber>(); }
};
