#include "catalogue/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CFileException::Cause CFileException::CauseFromErrno(int error)
{
    switch (error) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
        return accessDenied;
    case EWOULDBLOCK:
        return sharingViolation;
    case EIO:
        return hardIO;
    default:
        return genericException;
    }
}

CFile::CFile(const std::string& path)
{
    Open(path);
}

CFile::~CFile()
{
    Close();
}

void CFile::Open(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        throw CFileException(CFileException::CauseFromErrno(error), error, path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Directories, pipes and devices are not data files (a FIFO would block the reader).
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        throw CFileException(CFileException::CauseFromErrno(error), error, path);
    }
    // Other openers are kept out with an advisory lock while we read: the nearest thing this
    // platform has to a share mode. Files we cannot lock (some network file systems) still read.
    ::flock(fd, LOCK_SH | LOCK_NB);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_fd = fd;
    m_path = path;
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    if (m_fd < 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno == EINTR)
            continue;
        const int error = errno;
        throw CFileException(CFileException::CauseFromErrno(error), error, m_path);
    }
}

void CFile::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
