#pragma once

#include "platform/profilestore.h"

#include <cstdio>
#include <memory>

namespace kelvara::cli {

// The program's stored settings, read-only, loaded on the first read: the store over QSettings
// lives in a module of its own (kelvara-settings.so), so commands that never read a setting start
// without Qt and its libraries. When the module cannot be loaded, one line on `err` says so and
// every read gives the default, as with no settings file at all.
class StoredSettings : public ProfileStore {
public:
    explicit StoredSettings(std::FILE* err);
    ~StoredSettings() override;
    StoredSettings(const StoredSettings&) = delete;
    StoredSettings& operator=(const StoredSettings&) = delete;

    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    bool GetProfileString(const std::string& section, const std::string& entry,
                          std::string& value) const override;
    // The tool never writes the settings.
    bool WriteProfileInt(const std::string&, const std::string&, int) override { return false; }
    bool WriteProfileString(const std::string&, const std::string&, const std::string&) override
    {
        return false;
    }
    using ProfileStore::GetProfileString;

    // Whether the module has been loaded (for tests and benchmarks of the start-up).
    bool IsLoaded() const { return m_store != nullptr; }

private:
    const ProfileStore* Store() const;

    std::FILE* m_err;
    mutable bool m_tried = false;
    mutable std::unique_ptr<ProfileStore> m_store;
};

} // namespace kelvara::cli
