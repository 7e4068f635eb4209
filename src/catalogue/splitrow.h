#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Cuts one data-file line into trimmed fields. Fields are separated by ","; a field may be quoted
// with double quotes (no escapes); a ";" where a field would begin starts a comment. Clears
// `fields`, appends every field found and returns whether at least `minFields` were found.
bool SplitRow(std::string_view line, std::size_t minFields, std::vector<std::string>& fields);
