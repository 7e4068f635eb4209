#pragma once

// The categories that differ from CCategory only by how they are constructed (and, for
// Temperature, Numbers and Fuel Economy, by the unit class they create).

#include "catalogue/category.h"
#include "catalogue/number.h"
#include "catalogue/reciprocalunit.h"
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

class CTimeCategory : public CCategory {
public:
    CTimeCategory() : CCategory(Numeric, kelvara::IDS_TIME, "time") {}
};

class CDataSizeCategory : public CCategory {
public:
    CDataSizeCategory() : CCategory(Numeric, kelvara::IDS_DATA_SIZE, "datasize") {}
};

class CDataRateCategory : public CCategory {
public:
    CDataRateCategory() : CCategory(Numeric, kelvara::IDS_DATA_RATE, "datarate") {}
};

class CFuelEconomyCategory : public CCategory {
public:
    CFuelEconomyCategory() : CCategory(Numeric, kelvara::IDS_FUEL_ECONOMY, "fueleconomy") {}
    std::unique_ptr<CBaseUnit> CreateUnit() override { return std::make_unique<CReciprocalUnit>(); }
};

class CAngleCategory : public CCategory {
public:
    CAngleCategory() : CCategory(Numeric, kelvara::IDS_ANGLE, "angle") {}
};

class CFrequencyCategory : public CCategory {
public:
    CFrequencyCategory() : CCategory(Numeric, kelvara::IDS_FREQUENCY, "frequency") {}
};

class CForceCategory : public CCategory {
public:
    CForceCategory() : CCategory(Numeric, kelvara::IDS_FORCE, "force") {}
};

class CTorqueCategory : public CCategory {
public:
    CTorqueCategory() : CCategory(Numeric, kelvara::IDS_TORQUE, "torque") {}
};

class CDensityCategory : public CCategory {
public:
    CDensityCategory() : CCategory(Numeric, kelvara::IDS_DENSITY, "density") {}
};

class CAccelerationCategory : public CCategory {
public:
    CAccelerationCategory() : CCategory(Numeric, kelvara::IDS_ACCELERATION, "acceleration") {}
};
