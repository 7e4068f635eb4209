#include "platform/profilestore.h"

#include "text/leadingnumber.h"

namespace kelvara {

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
