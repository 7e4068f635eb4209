#pragma once

#include <string>

namespace kelvara {

// Well-known entries of the string table.
enum StringId : unsigned {
    IDS_APP_TITLE = 57344,
};

// The text of string-table entry `id`; the empty string for an unknown id.
const std::string& LoadString(unsigned id);

} // namespace kelvara
