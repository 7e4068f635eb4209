#pragma once

#include "platform/profilestore.h"

#include <memory>
#include <string>

class QSettings;

namespace kelvara {

// The program's settings store over QSettings: organisation "Brask", application "Kelvara"
// (~/.config/Brask/Kelvara.conf here, the registry key on Windows). Section "Settings\Rates" is
// group "Settings/Rates". Every write is synced at once. A read-only store (the command line)
// refuses writes and never touches the file.
class SettingsProfileStore : public ProfileStore {
public:
    enum class Access { ReadWrite, ReadOnly };

    explicit SettingsProfileStore(Access access = Access::ReadWrite);
    // A store in the INI file `path` (tests, or a portable setup).
    SettingsProfileStore(const std::string& path, Access access);
    ~SettingsProfileStore() override;
    SettingsProfileStore(const SettingsProfileStore&) = delete;
    SettingsProfileStore& operator=(const SettingsProfileStore&) = delete;

    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    bool GetProfileString(const std::string& section, const std::string& entry,
                          std::string& value) const override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;
    using ProfileStore::GetProfileString;

    // Where the values live (a file path here).
    std::string GetLocation() const;

private:
    bool Sync();

    std::unique_ptr<QSettings> m_settings;
    bool m_readOnly;
};

} // namespace kelvara
