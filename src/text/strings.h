#pragma once

#include <string>

namespace kelvara {

// The entries of the string table, by name.
enum StringId : unsigned {
#define KELVARA_STRING(name, id, text) name = id,
#include "strings.inc"
#undef KELVARA_STRING
};

// The text of string-table entry `id` in the user's language (English where the catalogue has no
// translation); the empty string for an unknown id.
const std::string& LoadString(unsigned id);
// The entry's English text, whatever the language: what scripts and logs rely on.
const char* EnglishString(unsigned id);

} // namespace kelvara
