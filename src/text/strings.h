#pragma once

#include <string>

namespace kelvara {

// The entries of the string table, by name.
enum StringId : unsigned {
#define KELVARA_STRING(name, id, text) name = id,
#include "strings.inc"
#undef KELVARA_STRING
};

// The text of string-table entry `id`; the empty string for an unknown id.
const std::string& LoadString(unsigned id);

} // namespace kelvara
