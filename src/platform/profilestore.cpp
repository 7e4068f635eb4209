#include "platform/profilestore.h"

#include "text/formattext.h"
#include "text/leadingnumber.h"
#include "text/strings.h"

namespace kelvara {

std::string SettingsWriteFailure(const ProfileStore& store)
{
    if (std::string problem = store.GetWriteProblem(); !problem.empty())
        return problem;
    const std::string location = store.GetLocation();
    return location.empty() ? LoadString(IDS_SETTINGS_NOT_WRITTEN)
                            : FormatText(LoadString(IDS_SETTINGS_NOT_WRITTEN_AT), {location});
}

void MemoryProfileStore::BeginUpdate()
{
    if (m_update.try_lock())
        return;
    if (m_waitHook)
        m_waitHook();
    m_update.lock();
}

void MemoryProfileStore::EndUpdate()
{
    m_update.unlock();
}

int MemoryProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                      int defaultValue) const
{
    auto it = m_values.find({section, entry});
    if (it == m_values.end())
        return defaultValue;
    // A string value read as an integer behaves like the registry: its leading number counts.
    return it->second.isInt ? it->second.number : static_cast<int>(ReadLeadingInteger(it->second.text));
}

bool MemoryProfileStore::GetProfileString(const std::string& section, const std::string& entry,
                                          std::string& value) const
{
    auto it = m_values.find({section, entry});
    if (it == m_values.end())
        return false;
    value = it->second.isInt ? std::to_string(it->second.number) : it->second.text;
    return true;
}

bool MemoryProfileStore::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    if (m_failWrites)
        return false;
    m_values[{section, entry}] = Stored{true, value, {}};
    return true;
}

bool MemoryProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                            const std::string& value)
{
    if (m_failWrites)
        return false;
    m_values[{section, entry}] = Stored{false, 0, value};
    return true;
}

bool MemoryProfileStore::WriteProfileStrings(const std::vector<Value>& values)
{
    if (m_failWrites)
        return false;
    for (const Value& value : values)
        m_values[{value.section, value.entry}] = Stored{false, 0, value.text};
    return true;
}

bool MemoryProfileStore::Contains(const std::string& section, const std::string& entry) const
{
    return m_values.count({section, entry}) != 0;
}

namespace {
ProfileStore* g_profile = nullptr;

MemoryProfileStore& FallbackStore()
{
    static MemoryProfileStore store;
    return store;
}
} // namespace

ProfileStore& Profile()
{
    return g_profile ? *g_profile : FallbackStore();
}

void SetProfile(ProfileStore* store)
{
    g_profile = store;
}

} // namespace kelvara
