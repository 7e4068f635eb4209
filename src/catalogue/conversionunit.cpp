#include "catalogue/conversionunit.h"

#include "text/formatting.h"

std::string CConversionUnit::FormatValue(double value) const
{
    return FormatDouble(value);
}
