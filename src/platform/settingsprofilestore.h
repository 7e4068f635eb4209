#pragma once

#include "platform/profilestore.h"

#include <memory>
#include <string>

namespace kelvara {

// The program's settings store over QSettings: organisation "Brask", application "Kelvara"
// (~/.config/Brask/Kelvara.conf here, the registry key on Windows). Section "Settings\Categories\3"
// is group "Settings/Categories/3". A read-only store (the command line) refuses writes and never
// touches the file.
//
// Every call of a read-write store opens the store afresh, so a write is on disk when it returns,
// the status of one call never sticks to the next, and changes made by another running copy are
// seen; only reads between BeginReads and EndReads share one opening (a write in between closes
// it, so that the reads after it see the write). A read-only store (a short run of the command line, which
// reads hundreds of rates) keeps the file it opened first. A damaged file yields what can still be read; an
// unreadable one reads as empty and refuses writes rather than being replaced.
class SettingsProfileStore : public ProfileStore {
public:
    enum class Access { ReadWrite, ReadOnly };

    explicit SettingsProfileStore(Access access = Access::ReadWrite);
    ~SettingsProfileStore() override;
    // A store in the INI file `path` (tests, or a portable setup).
    SettingsProfileStore(const std::string& path, Access access);
    SettingsProfileStore(const SettingsProfileStore&) = delete;
    SettingsProfileStore& operator=(const SettingsProfileStore&) = delete;

    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) const override;
    bool GetProfileString(const std::string& section, const std::string& entry,
                          std::string& value) const override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;
    // One sync for all: the file is replaced whole, so it holds every value or none of them.
    bool WriteProfileStrings(const std::vector<Value>& values) override;
    using ProfileStore::GetProfileString;
    void BeginReads() const override;
    void EndReads() const override;

    // Where the values live (a file path here).
    std::string GetLocation() const override;

    // An exclusive lock (flock) on a file beside the settings file, "<file>.update": the kernel
    // drops it with the process that held it, so a killed update never blocks the next one.
    void BeginUpdate() override;
    void EndUpdate() override;

    // A file that is not the user's own, or a link on the way to it that is not, is never written:
    // run with another user's HOME (sudo -E), the program would otherwise rewrite that user's file,
    // or any file a link planted there names. A user's own links (dotfile managers) are followed.
    std::string GetWriteProblem() const override;

private:
    struct Kept; // the settings a read-only store keeps open
    // Kept by a read-only store or between BeginReads and EndReads, else opened afresh into `fresh`.
    const Kept& Read(std::unique_ptr<Kept>& fresh) const;

    std::string m_path; // empty: the user's store of the organisation and application
    bool m_readOnly;
    mutable std::unique_ptr<Kept> m_kept;
    mutable int m_reads = 0; // BeginReads not yet ended
    int m_updateFd = -1;
    int m_updates = 0; // BeginUpdate not yet ended
};

} // namespace kelvara
