#include "catalogue/temperature.h"

#include "catalogue/splitrow.h"
#include "text/leadingnumber.h"

#include <cmath>
#include <vector>

namespace {
// The ninths are multipliers with these exact double values, not divisions; results depend on it.
constexpr double kFiveNinths = 0.5555555555555556;
constexpr double kFourNinths = 0.4444444444444444;

double ConvertDegrees(double x, int from, int to)
{
    switch (from * 10 + to) {
    case 12:
        return x * 1.8 + 32;
    case 13:
        return x * 1.8 + 491.67;
    case 14:
        return x * 0.8;
    case 15:
        return x + 273.15;
    case 21:
        return (x - 32) * kFiveNinths;
    case 23:
        return x + 459.67;
    case 24:
        return (x - 32) * kFourNinths;
    case 25:
        return (x - 32) * kFiveNinths + 273.15;
    case 31:
        return (x - 491.67) / 1.8;
    case 32:
        return x - 459.67;
    case 34:
        return (x - 491.67) * kFourNinths;
    case 35:
        return x * kFiveNinths;
    case 41:
        return x * 1.25;
    case 42:
        return x * 2.25 + 32;
    case 43:
        return x * 2.25 + 491.67;
    case 45:
        return x * 1.25 + 273.15;
    case 51:
        return x - 273.15;
    case 52:
        return (x - 273.15) * 1.8 + 32;
    case 53:
        return x * 1.8;
    case 54:
        return (x - 273.15) * 0.8;
    default:
        return x;
    }
}
} // namespace

bool CTemperature::Parse(const std::string& line)
{
    std::vector<std::string> fields;
    if (!SplitRow(line, 2, fields))
        return false;
    m_name = fields[0];
    m_degree = kelvara::ReadLeadingInt32(fields[1]);
    return true;
}

std::string CTemperature::Convert(const std::string& source, const CConversionUnit& target) const
{
    const double x = kelvara::ReadLeadingDouble(source);
    const double targetValue = target.GetValue();
    // Codes outside 1..5 pass values through; so does anything that does not fit an int.
    const int to =
        (std::isfinite(targetValue) && std::fabs(targetValue) < 100) ? static_cast<int>(targetValue) : 0;
    const int from = (m_degree >= 1 && m_degree <= 5) ? m_degree : 0;
    const double result = (from == 0 || to < 1 || to > 5) ? x : ConvertDegrees(x, from, to);
    return FormatValue(result);
}
