#include "platform/module.h"

#include <dlfcn.h>

namespace kelvara {

void* ModuleEntry(const std::string& path, const char* entry, std::string& why)
{
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = ::dlerror();
        why = error ? error : "cannot load " + path;
        return nullptr;
    }
    if (void* function = ::dlsym(module, entry))
        return function;
    const char* error = ::dlerror();
    why = error ? error : path + " has no " + entry;
    return nullptr;
}

} // namespace kelvara
