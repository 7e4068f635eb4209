#pragma once

#include <cstdint>

// The running program's version record (file version words as the version resource packs them).
class CModuleVersion {
public:
    // None: the running program; the build's version record.
    bool LoadFromModule(const char* module = nullptr);

    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
};
