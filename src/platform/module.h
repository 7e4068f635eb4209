#pragma once

#include <string>

namespace kelvara {

// The function `entry` of the module at `path`. Loaded by its full path, never searched for (a
// module of that name elsewhere must not stand in), and never unloaded: the Qt libraries a module
// brings do not take being unloaded. Null, with the reason in `why`, when either cannot be had.
void* ModuleEntry(const std::string& path, const char* entry, std::string& why);

} // namespace kelvara
