#include "platform/privatetemp.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvara {

namespace {
std::mutex g_mutex;
std::string g_folder;

void RemoveFolder()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_folder.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(g_folder, ec);
    }
}

// Still the folder we made: a folder of ours that no one else can enter. A program that stays
// resident for days sees /tmp cleaned under it, and anyone may then create a folder of that name.
bool IsStillOurs(const std::string& folder)
{
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
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
    static std::once_flag cleanup;
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_folder.empty() && IsStillOurs(g_folder))
        return g_folder;
    // Made (again) now; a failure is not kept, the next call tries anew.
    g_folder = MakePrivateFolder();
    if (!g_folder.empty())
        std::call_once(cleanup, [] { std::atexit(RemoveFolder); });
    return g_folder;
}

int CreatePrivateTempFile(const std::string& prefix, std::string& path)
{
    // A second try when the folder went away between the check and the file.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::string folder = PrivateTempFolder();
        if (folder.empty())
            return -1;
        std::string name = folder + "/" + prefix + "XXXXXX.tmp";
        const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
        if (fd >= 0) {
            path = name;
            return fd;
        }
        if (errno != ENOENT)
            return -1;
    }
    return -1;
}

} // namespace kelvara
