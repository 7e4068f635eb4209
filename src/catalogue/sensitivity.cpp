#include "catalogue/sensitivity.h"

#include "catalogue/leadingnumber.h"
#include "catalogue/splitrow.h"
#include "platform/strings.h"

#include <vector>

namespace {
constexpr unsigned IDS_NOT_AVAILABLE = 23;
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
    return value == -1 ? kelvara::LoadString(IDS_NOT_AVAILABLE) : std::to_string(value);
}
