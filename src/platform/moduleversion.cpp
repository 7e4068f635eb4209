#include "platform/moduleversion.h"

#include <cstdio>
#include <cstring>
#include <link.h>

namespace {

struct ModuleSearch {
    const char* name;
    std::string path;
};

// Matches a loaded object by its full path or by the file name part of it.
int MatchModule(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<ModuleSearch*>(data);
    if (!info->dlpi_name || !*info->dlpi_name)
        return 0;
    const char* base = std::strrchr(info->dlpi_name, '/');
    base = base ? base + 1 : info->dlpi_name;
    if (std::strcmp(info->dlpi_name, search->name) == 0 || std::strcmp(base, search->name) == 0) {
        search->path = info->dlpi_name;
        return 1;
    }
    return 0;
}

} // namespace

bool CModuleVersion::LoadFromModule(const char* moduleName)
{
    if (!moduleName || !*moduleName) {
        auto record = kelvara::ProgramVersionRecord();
        return Load({record.begin(), record.end()});
    }
    ModuleSearch search{moduleName, {}};
    if (dl_iterate_phdr(MatchModule, &search) == 0 || search.path.empty())
        return false;
    return LoadFromFile(search.path);
}

bool CModuleVersion::LoadFromFile(const std::string& path)
{
    return Load(kelvara::FindVersionRecordInFile(path));
}

bool CModuleVersion::Load(std::vector<unsigned char> block)
{
    // A record without a translation list is read as U.S. English in the Western code page; nothing
    // of a previously loaded record carries over.
    m_language = 0x0409;
    m_codePage = 1252;
    static_cast<kelvara::FixedFileInfo&>(*this) = {};
    m_block = std::move(block);
    std::span<const unsigned char> value;
    if (m_block.empty() || !kelvara::QueryVersionValue(m_block, "\\", value) ||
        !kelvara::ReadFixedFileInfo(value, *this))
        return false;
    if (kelvara::QueryVersionValue(m_block, "\\VarFileInfo\\Translation", value) && value.size() >= 4) {
        m_language = static_cast<std::uint16_t>(value[0] | (value[1] << 8));
        m_codePage = static_cast<std::uint16_t>(value[2] | (value[3] << 8));
    }
    return dwSignature == kelvara::kFixedFileInfoSignature;
}

std::string CModuleVersion::GetStringValue(const std::string& name) const
{
    if (m_block.empty())
        return {};
    char key[32];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\", static_cast<unsigned>(m_language),
                  static_cast<unsigned>(m_codePage));
    std::span<const unsigned char> value;
    if (!kelvara::QueryVersionValue(m_block, key + name, value))
        return {};
    return {reinterpret_cast<const char*>(value.data()), value.size()};
}
