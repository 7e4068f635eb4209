#pragma once

#include <map>
#include <string>

namespace kelvara {

// The per-user settings store. Sections use "\" between levels ("Settings\Categories\3"), as the
// settings have always been named; an implementation maps them onto its own hierarchy.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    virtual int GetProfileInt(const std::string& section, const std::string& entry,
                              int defaultValue) const = 0;
    // Returns false when the value does not exist; `value` is then left untouched.
    virtual bool GetProfileString(const std::string& section, const std::string& entry,
                                  std::string& value) const = 0;
    // Writes take effect at once; false when the store could not save the value.
    virtual bool WriteProfileInt(const std::string& section, const std::string& entry, int value) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& value) = 0;

    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& defaultValue = {}) const
    {
        std::string value;
        return GetProfileString(section, entry, value) ? value : defaultValue;
    }

    // Reads between BeginReads and EndReads may share one look at the store, as when a category
    // reads a rate for each of hundreds of rows; writes still take effect at once and are seen by
    // the reads after them. Pairs nest; ProfileReads makes one.
    virtual void BeginReads() const {}
    virtual void EndReads() const {}
};

// BeginReads for as long as it lives.
class ProfileReads {
public:
    explicit ProfileReads(const ProfileStore& store) : m_store(store) { m_store.BeginReads(); }
    ~ProfileReads() { m_store.EndReads(); }
    ProfileReads(const ProfileReads&) = delete;
    ProfileReads& operator=(const ProfileReads&) = delete;

private:
    const ProfileStore& m_store;
};

// A store that lives in memory only: the default until the program installs its own, and the
// store tests use.
class MemoryProfileStore : public ProfileStore {
public:
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    bool GetProfileString(const std::string& section, const std::string& entry,
                          std::string& value) const override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;
    using ProfileStore::GetProfileString;

    void Clear() { m_values.clear(); }
    bool Contains(const std::string& section, const std::string& entry) const;

private:
    struct Value {
        bool isInt = false;
        int number = 0;
        std::string text;
    };
    std::map<std::pair<std::string, std::string>, Value> m_values;
};

// The store the program reads and writes. Never null: a memory store stands in until SetProfile.
ProfileStore& Profile();
// Installs `store` (not owned; null restores the built-in memory store).
void SetProfile(ProfileStore* store);

} // namespace kelvara
