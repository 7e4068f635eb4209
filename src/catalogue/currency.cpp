#include "catalogue/currency.h"

#include "catalogue/splitrow.h"
#include "platform/profilestore.h"
#include "text/leadingnumber.h"

#include <cmath>
#include <vector>

bool CCurrency::Parse(const std::string& line)
{
    // Reused from row to row: a category loads hundreds of them.
    thread_local std::vector<std::string> fields;
    if (!SplitRow(line, 4, fields))
        return false;
    m_code = fields[1];
    m_name = fields[0] + " (" + m_code + ")";
    // Fields come trimmed from the splitter; only "t" in either case marks a fixed rate.
    m_fixed = fields[2] == "t" || fields[2] == "T";
    m_rate = kelvara::ReadLeadingDouble(fields[3]);
    // A rate that is not a positive number (0, negative, text, overflow) cannot convert anything;
    // such a row counts as one without a rate, even when a usable rate is stored for its code.
    if (!(m_rate > 0) || !std::isfinite(m_rate))
        return false;
    if (!m_fixed && !m_code.empty()) {
        std::string stored;
        if (kelvara::Profile().GetProfileString(kelvara::kRatesSection, m_code, stored) && !stored.empty()) {
            // Only a usable rate replaces the file's: a stored 0, a negative number or text that is
            // not a number would make every conversion from this currency meaningless.
            const double rate = kelvara::ReadLeadingDouble(stored);
            if (rate > 0 && std::isfinite(rate))
                m_rate = rate;
        }
    }
    return true;
}

std::string CCurrency::Convert(const std::string& source, const CConversionUnit& target) const
{
    const double amount = kelvara::ReadLeadingDouble(source);
    const double result = (target.GetValue() * amount) / m_rate;
    return FormatValue(result);
}
