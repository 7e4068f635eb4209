#include "platform/module.h"

#include "text/formattext.h"
#include "text/strings.h"

#include <dlfcn.h>

namespace kelvara {

void* ModuleEntry(const std::string& path, const char* entry, std::string& why)
{
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = ::dlerror();
        why = error ? error : FormatText(LoadString(IDS_MODULE_NOT_LOADED), {path});
        return nullptr;
    }
    if (void* function = ::dlsym(module, entry))
        return function;
    const char* error = ::dlerror();
    why = error ? error : FormatText(LoadString(IDS_MODULE_NO_ENTRY), {path, entry});
    return nullptr;
}

} // namespace kelvara
