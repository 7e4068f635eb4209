#include "cli/storedsettings.h"

#include "platform/programpath.h"
#include "platform/settingsmodule.h"

#include <dlfcn.h>

namespace kelvara::cli {

StoredSettings::StoredSettings(std::FILE* err) : m_err(err)
{
}

StoredSettings::~StoredSettings()
{
    // The store's code lives in the module: it goes first. The module itself stays mapped until
    // the process ends, since Qt registers exit handlers of its own.
    m_store.reset();
}

const ProfileStore* StoredSettings::Store() const
{
    if (m_tried)
        return m_store.get();
    m_tried = true;
    // By its full path, never a search: a module of that name elsewhere must not stand in.
    const std::string path = ProgramDirectory() + "/" + KELVARA_SETTINGS_MODULE;
    m_module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* problem = nullptr;
    if (!m_module) {
        problem = ::dlerror();
    } else if (auto create =
                   reinterpret_cast<KelvaraSettingsStoreFactory>(::dlsym(m_module, kSettingsModuleEntry))) {
        m_store.reset(create(1));
        if (!m_store)
            problem = "out of memory";
    } else {
        problem = ::dlerror();
    }
    if (problem && m_err)
        std::fprintf(m_err,
                     "kelvara-cli: the stored settings cannot be read (%s); using the built-in values\n",
                     problem);
    return m_store.get();
}

int StoredSettings::GetProfileInt(const std::string& section, const std::string& entry,
                                  int defaultValue) const
{
    const ProfileStore* store = Store();
    return store ? store->GetProfileInt(section, entry, defaultValue) : defaultValue;
}

bool StoredSettings::GetProfileString(const std::string& section, const std::string& entry,
                                      std::string& value) const
{
    const ProfileStore* store = Store();
    return store && store->GetProfileString(section, entry, value);
}

} // namespace kelvara::cli
