#include "shell/moduleversion.h"

#include <kelvara/version.h>

bool CModuleVersion::LoadFromModule(const char* module)
{
    if (module)
        return false;
    dwFileVersionMS =
        (static_cast<std::uint32_t>(KELVARA_VERSION_MAJOR) << 16) | (KELVARA_VERSION_MINOR & 0xFFFFu);
    dwFileVersionLS =
        (static_cast<std::uint32_t>(KELVARA_VERSION_PATCH) << 16) | (KELVARA_VERSION_TWEAK & 0xFFFFu);
    return true;
}
