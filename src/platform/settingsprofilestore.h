#pragma once

#include "platform/profilestore.h"

#include <string>

namespace kelvara {

// The program's settings store: QSettings of organisation "Brask", application "Kelvara"
// (~/.config/Brask/Kelvara.conf here, the registry key on Windows). Section "Settings\Categories\3"
// is group "Settings/Categories/3".
//
// Every call opens the store afresh, so a write is on disk when it returns, the status of one call
// never sticks to the next, and changes made by another running copy are seen. A damaged file
// yields what can still be read; an unreadable one reads as empty and refuses writes rather than
// being replaced.
class SettingsProfileStore : public ProfileStore {
public:
    // The user's store of the organisation and application named.
    SettingsProfileStore(std::string organisation = "Brask", std::string application = "Kelvara");
    // A store in the INI file at `path` (tests, tools).
    static SettingsProfileStore AtPath(std::string path);

    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    bool GetProfileString(const std::string& section, const std::string& entry,
                          std::string& value) const override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;
    using ProfileStore::GetProfileString;

    // Removes a value; true when it is gone afterwards.
    bool DeleteProfileValue(const std::string& section, const std::string& entry);
    // The file the store lives in.
    std::string FileName() const;

private:
    SettingsProfileStore(std::string organisation, std::string application, std::string path);

    std::string m_organisation;
    std::string m_application;
    std::string m_path; // non-empty: an INI file of our choosing
};

} // namespace kelvara
