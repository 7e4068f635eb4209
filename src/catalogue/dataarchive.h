#pragma once

#include "catalogue/datalookup.h"

#include <cstdint>
#include <span>
#include <string>

class CCategory;

// The data files built into the program, and the lookup every file-based category loads through:
// a data file beside the program first, else the member of the built-in archive, compared without
// regard to case. One object lives for the whole run and installs itself as the data-file source.
//
// The archive copy (a standard cabinet, signature "MSCF") and the member being read live in a
// folder private to this process ($TMPDIR/TavXXXXXX, mode 0700), never under a fixed name in the
// shared temporary folder, where another user could plant a file or a link; the folder goes when
// the object does.
class CDataArchive : public kelvara::DataFileSource {
public:
    // The archive the build linked into the program ("CNVDATA" 128).
    CDataArchive();
    // Another archive (tests); the bytes are not copied and must outlive Prepare.
    explicit CDataArchive(std::span<const std::uint8_t> archive);
    ~CDataArchive() override;
    CDataArchive(const CDataArchive&) = delete;
    CDataArchive& operator=(const CDataArchive&) = delete;

    // Writes the copy of the archive into a new private folder. False, with errno telling why,
    // when there is no archive or the copy cannot be written.
    bool Prepare();
    // Finds the category's data file and ends in its LoadDataFile; false (errno set) when the file
    // is neither beside the program nor in the archive, or the archive is damaged.
    bool LoadCategory(CCategory& category) override;

    // The copy of the archive; empty until prepared.
    const std::string& GetArchivePath() const { return m_archivePath; }
    // The private folder with a trailing "/"; empty until prepared.
    const std::string& GetTemporaryDirectory() const { return m_temporaryDirectory; }

private:
    bool ExtractRequested(std::string& path);

    std::string m_requestedName;
    std::string m_archivePath;
    std::string m_temporaryDirectory;
    std::span<const std::uint8_t> m_archive;
    bool m_builtIn;
    kelvara::DataFileSource* m_previousSource;
};
