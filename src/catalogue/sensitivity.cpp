#include "catalogue/sensitivity.h"

#include "catalogue/splitrow.h"
#include "text/leadingnumber.h"
#include "text/strings.h"

#include <vector>

namespace {
}

bool CSensitivity::Parse(const std::string& line)
{
    std::vector<std::string> fields;
    if (!SplitRow(line, 2, fields))
        return false;
    m_din = kelvara::ReadLeadingInt32(fields[0]);
    m_asa = kelvara::ReadLeadingInt32(fields[1]);
    return true;
}

std::string CSensitivity::GetColumnText(int column) const
{
    std::int32_t value = -1;
    if (column == ColumnAsa)
        value = m_asa;
    else if (column == ColumnDin)
        value = m_din;
    return value == -1 ? kelvara::LoadString(kelvara::IDS_NOT_AVAILABLE) : std::to_string(value);
}
