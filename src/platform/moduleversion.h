#pragma once

#include "platform/versionrecord.h"

#include <cstdint>
#include <string>
#include <vector>

// Reads a version record: the running program's own, or one embedded in another build of the
// program. The fixed part is this object's base; string values are looked up for the record's
// translation.
class CModuleVersion : public kelvara::FixedFileInfo {
public:
    CModuleVersion() = default;

    // No name (or an empty one): the running program, read from the record compiled into it rather
    // than from its file, which a package upgrade may have replaced since the start. A name: a
    // shared object loaded into this process, by file name or full path, read from its file.
    // False when no such module is loaded or it has no valid record.
    bool LoadFromModule(const char* moduleName = nullptr);
    // Finds the record among the file's bytes. False when there is none or its signature is wrong.
    bool LoadFromFile(const std::string& path);

    // The string value `name` ("LegalCopyright", ...) for the stored translation; empty when there
    // is none or nothing was loaded.
    std::string GetStringValue(const std::string& name) const;

    std::uint16_t Language() const { return m_language; }
    std::uint16_t CodePage() const { return m_codePage; }

private:
    bool Load(std::vector<unsigned char> block);

    std::vector<unsigned char> m_block;
    std::uint16_t m_language = 0x0409;
    std::uint16_t m_codePage = 1252;
};
