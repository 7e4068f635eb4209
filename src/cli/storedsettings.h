#pragma once

#include "platform/profilestore.h"

#include <cstdio>
#include <memory>

namespace kelvara::cli {

// The program's stored settings, loaded on first use: the store over QSettings lives in a module of
// its own (kelvara-settings.so), so commands that never read a setting start without Qt and its
// libraries. Read-only unless `writable` (only `rates --update` writes). When the module cannot be
// loaded, one line on `err` says so, every read gives the default, as with no settings file at
// all, and every write fails.
class StoredSettings : public ProfileStore {
public:
    explicit StoredSettings(std::FILE* err, bool writable = false);
    ~StoredSettings() override;
    StoredSettings(const StoredSettings&) = delete;
    StoredSettings& operator=(const StoredSettings&) = delete;

    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    bool GetProfileString(const std::string& section, const std::string& entry,
                          std::string& value) const override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) override;
    using ProfileStore::GetProfileString;

    // Whether the module has been loaded (for tests and benchmarks of the start-up).
    bool IsLoaded() const { return m_store != nullptr; }
    // Loads the module now; false (the reason said on `err`) when it cannot be.
    bool Load() const { return Store() != nullptr; }

private:
    const ProfileStore* Store() const;

    std::FILE* m_err;
    bool m_writable;
    mutable bool m_tried = false;
    mutable void* m_module = nullptr;
    mutable std::unique_ptr<ProfileStore> m_store;
};

} // namespace kelvara::cli
