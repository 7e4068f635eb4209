#include "platform/programpath.h"

#include <filesystem>
#include <system_error>

namespace kelvara {

namespace {
std::string& Override()
{
    static std::string path;
    return path;
}
} // namespace

std::string ProgramDirectory()
{
    if (!Override().empty())
        return Override();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path().string();
}

void SetProgramDirectoryOverride(const std::string& path)
{
    Override() = path;
}

} // namespace kelvara
