#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kelvara {

// The per-user settings store. Sections use "\" between levels ("Settings\Categories\3"): the names
// stored settings files already hold; an implementation maps them onto its own hierarchy.
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

    // One string value of a batch.
    struct Value {
        std::string section;
        std::string entry;
        std::string text;
    };
    // Writes every value of `values` as one write: after it the store holds all of them, or (false)
    // none, whatever happens meanwhile. An update of many values (a rate, its date and its source;
    // every rate of a document) never leaves the store half-written.
    // (Defined here: the settings module links nothing of this layer but its headers.)
    virtual bool WriteProfileStrings(const std::vector<Value>& values)
    {
        bool ok = true;
        for (const Value& value : values)
            ok = WriteProfileString(value.section, value.entry, value.text) && ok;
        return ok;
    }
    // Where the values live, for messages (a file path); empty when nowhere in particular.
    virtual std::string GetLocation() const { return {}; }

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

    // Between BeginUpdate and EndUpdate no other update of the same settings runs, in this process
    // or another: an update that reads, decides and writes is never rolled back by one that read
    // before it wrote. A lock left by a process that died holds nothing. Pairs nest; ProfileUpdate
    // makes one.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}

    // Why the store refuses every write, when it does for a reason of its own (the file belongs to
    // another user); empty otherwise.
    virtual std::string GetWriteProblem() const { return {}; }
};

// BeginUpdate for as long as it lives.
class ProfileUpdate {
public:
    explicit ProfileUpdate(ProfileStore& store) : m_store(store) { m_store.BeginUpdate(); }
    ~ProfileUpdate() { m_store.EndUpdate(); }
    ProfileUpdate(const ProfileUpdate&) = delete;
    ProfileUpdate& operator=(const ProfileUpdate&) = delete;

private:
    ProfileStore& m_store;
};

// The message for a write the store refused: why, where.
std::string SettingsWriteFailure(const ProfileStore& store);

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
    bool WriteProfileStrings(const std::vector<Value>& values) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    using ProfileStore::GetProfileString;

    // Tests: called when an update has to wait for another one to end, before it waits.
    void SetUpdateWaitHook(std::function<void()> hook) { m_waitHook = std::move(hook); }

    // Tests: every write from now on fails (and changes nothing) while set.
    void SetFailWrites(bool fail) { m_failWrites = fail; }
    void Clear() { m_values.clear(); }
    bool Contains(const std::string& section, const std::string& entry) const;

private:
    struct Stored {
        bool isInt = false;
        int number = 0;
        std::string text;
    };
    std::map<std::pair<std::string, std::string>, Stored> m_values;
    bool m_failWrites = false;
    std::recursive_mutex m_update;
    std::function<void()> m_waitHook;
};

// The store the program reads and writes. Never null: a memory store stands in until SetProfile.
ProfileStore& Profile();
// Installs `store` (not owned; null restores the built-in memory store).
void SetProfile(ProfileStore* store);

} // namespace kelvara
