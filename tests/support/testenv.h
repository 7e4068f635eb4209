#pragma once

#include <string>

namespace kelvara::test {

// Points HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR, XDG_CACHE_HOME, XDG_DATA_HOME and TMPDIR into a
// fresh private folder, so that no test reads or writes the real user's files. Returns the folder;
// it is removed at exit.
const std::string& IsolateEnvironment();

// The private folder made by IsolateEnvironment.
const std::string& TestRoot();

} // namespace kelvara::test
