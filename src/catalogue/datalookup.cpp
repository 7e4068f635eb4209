#include "catalogue/datalookup.h"

#include "catalogue/category.h"
#include "platform/programpath.h"

#include <cerrno>
#include <filesystem>

namespace kelvara {

namespace {
DataFileSource* g_source = nullptr;
}

void SetDataFileSource(DataFileSource* source)
{
    g_source = source;
}

DataFileSource* GetDataFileSource()
{
    return g_source;
}

std::string FindBesideProgram(const std::string& fileName)
{
    const std::string dir = ProgramDirectory();
    if (dir.empty() || fileName.empty())
        return {};
    std::error_code ec;
    const auto path = std::filesystem::path(dir) / fileName;
    // Anything of that name counts: a file that cannot be read is reported when it is opened.
    if (std::filesystem::exists(path, ec))
        return path.string();
    return {};
}

bool LoadCategoryData(CCategory& category)
{
    if (g_source)
        return g_source->LoadCategory(category);
    const std::string path = FindBesideProgram(category.GetDataFileName());
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    return category.LoadDataFile(path);
}

} // namespace kelvara
