#pragma once

#include <string>

namespace kelvara {

// The folder the running program was started from, without a trailing separator; empty if it
// cannot be told.
std::string ProgramDirectory();
// Tests and tools point the "beside the program" lookups elsewhere; an empty path restores the
// real folder.
void SetProgramDirectoryOverride(const std::string& path);

} // namespace kelvara
