#pragma once

#include <string>

namespace kelvara::test {

// Makes the locale `name` ("de_DE.UTF-8") loadable: the system's own when it has it, else one
// compiled with localedef into a private folder that LOCPATH names (child processes inherit it).
// Returns empty on success, else why it failed.
std::string ProvideLocale(const std::string& name);

} // namespace kelvara::test
