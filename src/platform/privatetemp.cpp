#include "platform/privatetemp.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <unistd.h>

namespace kelvara {

namespace {
std::string g_folder;

void RemoveFolder()
{
    if (!g_folder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(g_folder, ec);
    }
}
} // namespace

std::string MakePrivateFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp");
    while (pattern.size() > 1 && pattern.back() == '/')
        pattern.pop_back();
    pattern += "/TavXXXXXX";
    // mkdtemp creates the folder with mode 0700.
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

const std::string& PrivateTempFolder()
{
    static std::once_flag once;
    static int error = 0;
    std::call_once(once, [] {
        g_folder = MakePrivateFolder();
        if (!g_folder.empty())
            std::atexit(RemoveFolder);
        else
            error = errno;
    });
    if (g_folder.empty())
        errno = error;
    return g_folder;
}

int CreatePrivateTempFile(const std::string& prefix, std::string& path)
{
    const std::string& folder = PrivateTempFolder();
    if (folder.empty())
        return -1;
    std::string name = folder + "/" + prefix + "XXXXXX.tmp";
    const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return -1;
    path = name;
    return fd;
}

} // namespace kelvara
