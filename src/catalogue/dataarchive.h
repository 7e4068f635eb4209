#pragma once

#include "catalogue/datalookup.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

class CCategory;

namespace kelvara {
class Cabinet;
}

// The data files built into the program, and the lookup every file-based category loads through:
// a data file beside the program first, else the member of the built-in archive, compared without
// regard to case. One object lives for the whole run and installs itself as the data-file source.
//
// Members are inflated from the archive's bytes straight into memory and read from there: nothing
// is written to disk, so there is no temporary file for another user to plant or watch.
class CDataArchive : public kelvara::DataFileSource {
public:
    // The archive the build linked into the program ("CNVDATA" 128).
    CDataArchive();
    // Another archive (tests); the bytes are not copied and must outlive the object.
    explicit CDataArchive(std::span<const std::uint8_t> archive);
    ~CDataArchive() override;
    CDataArchive(const CDataArchive&) = delete;
    CDataArchive& operator=(const CDataArchive&) = delete;

    // Finds the archive and reads its table of contents. False, with errno ENOENT, when there is
    // no archive. A damaged table is not fatal here: files beside the program still load, and each
    // category that needs the archive then fails on its own (errno EBADMSG).
    bool Prepare();
    // Finds the category's data file and ends in its LoadDataFile or LoadDataBytes; false (errno
    // set) when the file is neither beside the program nor in the archive, or the archive is
    // damaged.
    bool LoadCategory(CCategory& category) override;

private:
    std::span<const std::uint8_t> m_archive;
    bool m_builtIn;
    bool m_prepared = false;
    std::unique_ptr<kelvara::Cabinet> m_cabinet; // null when the archive could not be read
    kelvara::DataFileSource* m_previousSource;
};
