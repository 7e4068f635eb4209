#include "cli/storedsettings.h"

#include "platform/module.h"
#include "platform/programpath.h"
#include "platform/settingsmodule.h"
#include "text/formattext.h"
#include "text/strings.h"

namespace kelvara::cli {

StoredSettings::StoredSettings(std::FILE* err) : m_err(err)
{
}

StoredSettings::~StoredSettings()
{
    // The store's code lives in the module: it goes first. The module itself stays mapped.
    m_store.reset();
}

const ProfileStore* StoredSettings::Store() const
{
    if (m_tried)
        return m_store.get();
    m_tried = true;
    const std::string path = ProgramDirectory() + "/" + KELVARA_SETTINGS_MODULE;
    std::string problem;
    if (auto create =
            reinterpret_cast<KelvaraSettingsStoreFactory>(ModuleEntry(path, kSettingsModuleEntry, problem))) {
        m_store.reset(create(1));
        if (!m_store)
            problem = LoadString(IDS_CLI_SETTINGS_NO_MEMORY);
    }
    if (!m_store && m_err)
        std::fprintf(m_err, "kelvara-cli: %s\n",
                     FormatText(LoadString(IDS_CLI_SETTINGS_UNREADABLE), {problem}).c_str());
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
