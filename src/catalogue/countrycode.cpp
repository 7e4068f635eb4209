#include "catalogue/countrycode.h"

#include "catalogue/splitrow.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <vector>

bool CCountryCode::Parse(const std::string& line)
{
    std::vector<std::string> fields;
    if (!SplitRow(line, 6, fields))
        return false;
    m_code = fields[0];
    m_prefix = fields[1];
    m_fire = fields[2];
    m_rescue = fields[3];
    m_police = fields[4];
    m_name = fields[5];
    return true;
}

std::string CCountryCode::GetColumnText(int column) const
{
    switch (column) {
    case ColumnCodeAndPrefix: {
        std::string text = kelvara::AsciiUppered(m_code);
        if (!m_prefix.empty()) {
            if (!m_code.empty())
                text += " / ";
            text += "+" + m_prefix;
        }
        return text;
    }
    case ColumnName:
        return m_name;
    case ColumnPrefix:
        return m_prefix;
    case ColumnFire:
        return m_fire;
    case ColumnRescue:
        return m_rescue;
    case ColumnPolice:
        return m_police;
    default:
        return kelvara::LoadString(kelvara::IDS_NOT_AVAILABLE);
    }
}
