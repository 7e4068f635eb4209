#include "catalogue/conversionunit.h"

#include "page/formatting.h"

std::string CConversionUnit::FormatValue(double value) const
{
    return FormatDouble(value);
}
