#pragma once

#include "catalogue/category.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class CCurrencyCategory;
class CDataArchive;

namespace kelvara {

// The categories and the data they load from, for the window, kelvara-cli and the background
// update alike. A category's data file beside the program comes first, else the member of the
// built-in archive; the archive's table is read only when some category needs it, once: a failure
// is reported once (IDS_INIT_FAILED with the system's reason) and not retried.
class Catalogue {
public:
    // Data readied by `prepare` instead of the built-in archive (tests: files beside the program
    // only); false fails the preparation with errno set.
    using Preparer = std::function<bool()>;

    // The built-in archive.
    Catalogue();
    // Another archive; the bytes are not copied and must outlive the catalogue.
    explicit Catalogue(std::span<const std::uint8_t> archive);
    explicit Catalogue(Preparer prepare);
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    CCategoryArray& Categories() { return m_categories; }

    // Readies the data every category may need. False after a failure (reported).
    bool Prepare();
    // Readies what `category` needs: nothing when it is loaded, has no data file or finds its file
    // beside the program; else Prepare().
    bool PrepareFor(const CCategory& category);
    // PrepareFor and then the category's own load (which reports its failures).
    bool Load(CCategory& category);
    // The currency category, loaded; null when it cannot be (reported).
    CCurrencyCategory* LoadedCurrencies();
    // Drops the archive with the data it inflated, for a caller that has loaded all it needs;
    // categories not loaded yet then find only files beside the program.
    void ReleaseArchive();

private:
    enum class State { NotYet, Ready, Failed };

    std::unique_ptr<CDataArchive> m_archive; // null: readied by m_prepare, or released
    Preparer m_prepare;
    State m_state = State::NotYet;
    CCategoryArray m_categories; // last: goes before the archive it may have loaded from
};

} // namespace kelvara
