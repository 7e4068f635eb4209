#pragma once

#include <string>

namespace kelvara {

// Makes a new folder under $TMPDIR (else /tmp) named "Tav" + a unique part, with mode 0700, so that
// no other user can read or plant files in it. Returns its path without a trailing separator;
// empty with errno set on failure. The caller removes it.
std::string MakePrivateFolder();

// The program's own temporary folder: made with mkdtemp under $TMPDIR (else /tmp), mode 0700, so
// that no other user can read or plant our temporary files, and made again (under a new name)
// whenever it is no longer there as we made it (a cleaning of /tmp while the program stays
// resident). It is removed with what is left in it when the process exits. Empty when it cannot
// be made now (errno tells why); the next call tries again.
const std::string& PrivateTempFolder();

// Creates a new empty file in the private folder, named `prefix` + a unique part + ".tmp", open
// for writing (mode 0600, close-on-exec). Returns the descriptor and sets `path`; -1 with errno
// set on failure.
int CreatePrivateTempFile(const std::string& prefix, std::string& path);

} // namespace kelvara
