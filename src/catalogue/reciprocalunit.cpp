#include "catalogue/reciprocalunit.h"

#include "catalogue/splitrow.h"
#include "text/leadingnumber.h"
#include "text/strings.h"

#include <cmath>
#include <vector>

bool CReciprocalUnit::Parse(const std::string& line)
{
    std::vector<std::string> fields;
    if (!SplitRow(line, 2, fields))
        return false;
    m_name = fields[0];
    m_factor = kelvara::ReadLeadingDouble(fields[1]);
    m_reciprocal = fields.size() > 2 && (fields[2] == "r" || fields[2] == "R");
    // A factor of 0, a negative one or one that overflowed would turn every value into nonsense.
    return m_factor > 0 && std::isfinite(m_factor);
}

bool CReciprocalUnit::Crosses(const CConversionUnit& target) const
{
    const auto* other = dynamic_cast<const CReciprocalUnit*>(&target);
    return other && other->m_reciprocal != m_reciprocal;
}

unsigned CReciprocalUnit::NoResultReason(const std::string& source, const CConversionUnit& target) const
{
    // 0 L/100 km is no distance per volume at all, and a negative consumption means nothing.
    if (Crosses(target) && !(kelvara::ReadLeadingDouble(source) > 0))
        return kelvara::IDS_NO_RECIPROCAL;
    return 0;
}

std::string CReciprocalUnit::Convert(const std::string& source, const CConversionUnit& target) const
{
    const double x = kelvara::ReadLeadingDouble(source);
    const double to = target.GetValue();
    if (!Crosses(target)) {
        // Within one kind the factors relate as they do in any linear category, the other way
        // round for two reciprocal units (2 L/100 km are twice the consumption of 1).
        const bool reciprocal = m_reciprocal && dynamic_cast<const CReciprocalUnit*>(&target);
        return target.FormatValue(reciprocal ? x * to / m_factor : x * m_factor / to);
    }
    // x L/100 km are factor/x km/L; y km/L are factor/y L/100 km.
    const double result = m_reciprocal ? m_factor / (x * to) : to / (x * m_factor);
    return target.FormatValue(result);
}
