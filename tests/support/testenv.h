#pragma once

#include <optional>
#include <string>

namespace kelvara::test {

// Points HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR, XDG_CACHE_HOME, XDG_DATA_HOME and TMPDIR into a
// fresh private folder, so that no test reads or writes the real user's files. Returns the folder;
// it is removed at exit.
const std::string& IsolateEnvironment();

// The private folder made by IsolateEnvironment.
const std::string& TestRoot();

// Remembers an environment variable and puts it back as it was when it goes.
class ScopedEnv {
public:
    explicit ScopedEnv(const char* name);
    // Also sets the variable to `value` for the scope (null: unset).
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv() { Restore(); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // Puts the variable back now (again at destruction, in case it changed since).
    void Restore();

private:
    std::string m_name;
    std::optional<std::string> m_value;
};

} // namespace kelvara::test
