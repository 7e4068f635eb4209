#include "catalogue/dataarchive.h"

#include "catalogue/cabinet.h"
#include "catalogue/category.h"
#include "platform/programpath.h"
#include "platform/resource.h"

#include <cerrno>
#include <vector>

namespace {
// What a damaged archive reports as the system's reason.
constexpr int kDamagedArchive = EBADMSG;
} // namespace

CDataArchive::CDataArchive() : m_builtIn(true), m_previousSource(kelvara::GetDataFileSource())
{
    kelvara::SetDataFileSource(this);
}

CDataArchive::CDataArchive(std::span<const std::uint8_t> archive)
    : m_archive(archive), m_builtIn(false), m_previousSource(kelvara::GetDataFileSource())
{
    kelvara::SetDataFileSource(this);
}

CDataArchive::~CDataArchive()
{
    if (kelvara::GetDataFileSource() == this)
        kelvara::SetDataFileSource(m_previousSource);
}

bool CDataArchive::Prepare()
{
    if (m_prepared)
        return true;
    if (m_builtIn)
        m_archive = kelvara::FindResource("CNVDATA", 128);
    if (m_archive.empty()) {
        errno = ENOENT;
        return false;
    }
    auto cabinet = std::make_unique<kelvara::Cabinet>();
    if (cabinet->Open(m_archive))
        m_cabinet = std::move(cabinet);
    m_prepared = true;
    return true;
}

bool CDataArchive::LoadCategory(CCategory& category)
{
    const std::string name = category.GetDataFileName();
    if (kelvara::ProgramDirectory().empty()) {
        errno = ENOENT;
        return false;
    }
    const std::string beside = kelvara::FindBesideProgram(name);
    if (!beside.empty())
        return category.LoadDataFile(beside);

    if (!m_prepared) {
        errno = ENOENT;
        return false;
    }
    if (!m_cabinet) {
        errno = kDamagedArchive;
        return false;
    }
    const int index = m_cabinet->FindMember(name);
    if (index < 0) {
        errno = ENOENT;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!m_cabinet->Extract(static_cast<std::size_t>(index), bytes)) {
        errno = kDamagedArchive;
        return false;
    }
    return category.LoadDataBytes(bytes);
}
