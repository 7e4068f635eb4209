#pragma once

#include <cstddef>
#include <string>

// Why a file operation failed.
class CFileException {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        sharingViolation,
        hardIO,
        endOfFile,
    };

    CFileException(Cause cause, int osError, std::string fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName))
    {
    }

    // Maps an errno value onto a cause.
    static Cause CauseFromErrno(int error);

    Cause m_cause;
    int m_lOsError;
    std::string m_strFileName;
};

// An open file and its path: the little of a file class the readers need.
class CFile {
public:
    CFile() = default;
    // Opens `path` for reading; throws CFileException when it cannot.
    explicit CFile(const std::string& path);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    void Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Reads up to `count` bytes; 0 at the end. Throws CFileException on a read error.
    std::size_t Read(void* buffer, std::size_t count);
    void Close();
    const std::string& GetFilePath() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};
