#include "catalogue/dataarchive.h"

#include "catalogue/cabinet.h"
#include "catalogue/category.h"
#include "platform/privatetemp.h"
#include "platform/programpath.h"
#include "platform/resource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// What a damaged archive reports as the system's reason.
constexpr int kDamagedArchive = EBADMSG;

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Closes `fd` and keeps the first failure's errno.
bool CloseKeepingError(int fd, bool ok)
{
    const int saved = errno;
    const bool closed = ::close(fd) == 0;
    if (!ok)
        errno = saved;
    return ok && closed;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bytes.clear();
    std::uint8_t buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return CloseKeepingError(fd, false);
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return CloseKeepingError(fd, true);
}

// A member may only be written as a plain name inside our folder.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

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
    if (!m_temporaryDirectory.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_temporaryDirectory, ec);
    }
}

bool CDataArchive::Prepare()
{
    if (!m_archivePath.empty())
        return true;
    if (m_temporaryDirectory.empty()) {
        // A folder of the archive's own, gone with it (the CLI lets the archive go early).
        const std::string folder = kelvara::MakePrivateFolder();
        if (folder.empty())
            return false;
        m_temporaryDirectory = folder + "/";
    }
    std::string path = m_temporaryDirectory + "TavXXXXXX.tmp";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        return false;

    const std::span<const std::uint8_t> bytes = m_builtIn ? kelvara::FindResource("CNVDATA", 128) : m_archive;
    bool ok = !bytes.empty();
    if (!ok) {
        errno = ENOENT;
    } else {
        // The copy is a standard cabinet, which any cabinet tool can open.
        static constexpr std::uint8_t kStandardSignature[4] = {'M', 'S', 'C', 'F'};
        const std::size_t rest = bytes.size() > 4 ? bytes.size() - 4 : 0;
        ok = WriteAll(fd, kStandardSignature, 4) && WriteAll(fd, bytes.data() + 4, rest);
    }
    ok = CloseKeepingError(fd, ok);
    if (!ok) {
        // Report the real reason (a full disk is not a lack of memory); leave no partial copy.
        const int saved = errno;
        ::unlink(path.c_str());
        errno = saved;
        return false;
    }
    m_archivePath = path;
    return true;
}

bool CDataArchive::LoadCategory(CCategory& category)
{
    m_requestedName = category.GetDataFileName();
    if (kelvara::ProgramDirectory().empty()) {
        errno = ENOENT;
        return false;
    }
    const std::string beside = kelvara::FindBesideProgram(m_requestedName);
    if (!beside.empty())
        return category.LoadDataFile(beside);

    std::string path;
    if (!ExtractRequested(path))
        return false;
    const bool result = category.LoadDataFile(path);
    const int saved = errno;
    ::unlink(path.c_str());
    errno = saved;
    return result;
}

bool CDataArchive::ExtractRequested(std::string& path)
{
    struct stat st {};
    if (m_archivePath.empty() || ::stat(m_archivePath.c_str(), &st) != 0) {
        errno = ENOENT;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(m_archivePath, bytes))
        return false;
    kelvara::Cabinet cabinet;
    if (!cabinet.Open(bytes)) {
        errno = kDamagedArchive;
        return false;
    }
    const int index = cabinet.FindMember(m_requestedName);
    if (index < 0 || !IsPlainName(m_requestedName)) {
        errno = ENOENT;
        return false;
    }
    std::vector<std::uint8_t> member;
    if (!cabinet.Extract(static_cast<std::size_t>(index), member)) {
        errno = kDamagedArchive;
        return false;
    }
    // Written under the name asked for, which the member's matches but for case: the lookup that
    // follows must find it on a file system that tells case apart.
    path = m_temporaryDirectory + m_requestedName;
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (!CloseKeepingError(fd, WriteAll(fd, member.data(), member.size()))) {
        const int saved = errno;
        ::unlink(path.c_str());
        errno = saved;
        return false;
    }
    return true;
}
