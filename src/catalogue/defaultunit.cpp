#include "catalogue/defaultunit.h"

#include "catalogue/splitrow.h"
#include "text/formatting.h"
#include "text/leadingnumber.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {
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
            // The value passes through six-decimal text, as it always has ("5.10" ft in is
            // 5.833333 ft, not 5.8333...).
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
        return FormatDouble(value);
    const int i = TruncateToInt(value);
    const int j = TruncateToInt((value - i) * m_ratio);
    return std::to_string(i) + " " + m_firstUnitName + " " + std::to_string(j) + " " + m_secondUnitName;
}
