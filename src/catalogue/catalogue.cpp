#include "catalogue/catalogue.h"

#include "catalogue/currencycategory.h"
#include "catalogue/dataarchive.h"
#include "catalogue/datalookup.h"
#include "platform/messages.h"
#include "text/strings.h"

#include <cerrno>

namespace kelvara {

Catalogue::Catalogue() : m_archive(std::make_unique<CDataArchive>())
{
    CreateCatalogue(m_categories);
}

Catalogue::Catalogue(std::span<const std::uint8_t> archive)
    : m_archive(std::make_unique<CDataArchive>(archive))
{
    CreateCatalogue(m_categories);
}

Catalogue::Catalogue(Preparer prepare) : m_prepare(std::move(prepare))
{
    CreateCatalogue(m_categories);
}

Catalogue::~Catalogue() = default;

bool Catalogue::Prepare()
{
    if (m_state == State::NotYet) {
        bool ok = false;
        if (m_prepare) {
            ok = m_prepare();
        } else if (m_archive) {
            ok = m_archive->Prepare();
        } else {
            errno = ENOENT;
        }
        m_state = ok ? State::Ready : State::Failed;
        if (!ok)
            ShowErrorMessage(IDS_INIT_FAILED, MB_ICONERROR, -1);
    }
    return m_state == State::Ready;
}

bool Catalogue::PrepareFor(const CCategory& category)
{
    const std::string file = category.GetDataFileName();
    if (category.IsLoaded() || file.empty() || !FindBesideProgram(file).empty())
        return true;
    return Prepare();
}

bool Catalogue::Load(CCategory& category)
{
    return PrepareFor(category) && category.EnsureLoaded();
}

CCurrencyCategory* Catalogue::LoadedCurrencies()
{
    for (const auto& category : m_categories)
        if (auto* currencies = dynamic_cast<CCurrencyCategory*>(category.get()))
            return Load(*currencies) ? currencies : nullptr;
    return nullptr;
}

void Catalogue::ReleaseArchive()
{
    m_archive.reset();
}

} // namespace kelvara
