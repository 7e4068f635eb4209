#include "support/testenv.h"

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace kelvara::test {

namespace {
std::string g_root;

void RemoveRoot()
{
    if (!g_root.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(g_root, ec);
    }
}
} // namespace

const std::string& IsolateEnvironment()
{
    if (!g_root.empty())
        return g_root;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kelvara-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        pattern = "/tmp/kelvara-test-" + std::to_string(::getpid());
    g_root = pattern;
    for (const char* sub : {"home", "config", "runtime", "cache", "data", "tmp"})
        std::filesystem::create_directories(g_root + "/" + sub);
    std::filesystem::permissions(g_root + "/runtime", std::filesystem::perms::owner_all);
    ::setenv("HOME", (g_root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_root + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (g_root + "/runtime").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (g_root + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_root + "/data").c_str(), 1);
    ::setenv("TMPDIR", (g_root + "/tmp").c_str(), 1);
    std::atexit(RemoveRoot);
    return g_root;
}

ScopedEnv::ScopedEnv(const char* name) : m_name(name)
{
    if (const char* value = std::getenv(name))
        m_value = value;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : ScopedEnv(name)
{
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

void ScopedEnv::Restore()
{
    if (m_value)
        ::setenv(m_name.c_str(), m_value->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

const std::string& TestRoot()
{
    return IsolateEnvironment();
}

} // namespace kelvara::test
