#include "catalogue/defaultunit.h"

#include "catalogue/splitrow.h"
#include "text/formatting.h"
#include "text/leadingnumber.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {
// Relative size of the error the conversion's few multiplications and divisions can leave.
constexpr double kRoundingNoise = 1e-12;
// Typed compound values reach the conversion with six decimals of the first unit.
constexpr double kCarriedPrecision = 1e-6;

// Truncation toward zero to a 32-bit integer, saturating instead of overflowing.
int TruncateToInt(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}
} // namespace

bool CDefaultUnit::Parse(const std::string& line)
{
    // Reused from row to row: a category loads hundreds of them.
    thread_local std::vector<std::string> fields;
    if (!SplitRow(line, 2, fields))
        return false;
    m_name = fields[0];
    if (fields[1] == "*") {
        if (fields.size() < 6)
            return false;
        m_compound = true;
        m_factor = kelvara::ReadLeadingDouble(fields[2]);
        m_firstUnitName = fields[3];
        m_ratio = kelvara::ReadLeadingDouble(fields[4]);
        m_secondUnitName = fields[5];
        return m_ratio != 0 && m_factor != 0;
    }
    m_factor = kelvara::ReadLeadingDouble(fields[1]);
    return m_factor != 0;
}

std::string CDefaultUnit::Convert(const std::string& source, const CConversionUnit& target) const
{
    std::string s = source;
    if (m_compound && !s.empty()) {
        const auto point = s.find('.');
        if (point != std::string::npos && point > 0) {
            const double v = kelvara::ReadLeadingDouble(std::string_view(s).substr(0, point)) +
                             kelvara::ReadLeadingDouble(std::string_view(s).substr(point + 1)) / m_ratio;
            // The value passes through six-decimal text, so that results match those already
            // stored and copied ("5.10" ft in is 5.833333 ft, not 5.8333...).
            s = kelvara::FormatFixed(v, 6);
        }
    }
    const double p = kelvara::ReadLeadingDouble(s) * m_factor;
    const double r = p / target.GetValue();
    return target.FormatValue(r);
}

std::string CDefaultUnit::FormatValue(double value) const
{
    if (!m_compound)
        return CConversionUnit::FormatValue(value);
    int i = TruncateToInt(value);
    // The whole first units are counted, not measured: only the second part is rounded to the
    // significant digits asked for.
    double rest = kelvara::RoundSignificant((value - i) * m_ratio, kelvara::GetResultDigits());
    // Both parts are truncated, so a result a hair short of a whole second unit would lose it: the
    // conversion's rounding (12 in arrive as 0.9999999999999998 ft) and the six decimals a typed
    // compound value is carried with (5 ft 1 in as 5.083333 ft) leave such results. They show as
    // the whole number they stand for, carried into the first unit when they make one.
    const double nearest = std::round(rest);
    const double tolerance =
        std::max(kCarriedPrecision * std::fabs(m_ratio), kRoundingNoise * std::fabs(value * m_ratio));
    if (std::fabs(rest - nearest) <= tolerance)
        rest = nearest;
    if (std::fabs(rest) >= std::fabs(m_ratio) && std::fabs(value) < 2147483647.0) {
        const int carry = (rest < 0) == (m_ratio < 0) ? 1 : -1;
        i += carry;
        rest -= carry * m_ratio;
    }
    const int j = TruncateToInt(rest);
    return std::to_string(i) + " " + m_firstUnitName + " " + std::to_string(j) + " " + m_secondUnitName;
}
