#pragma once

#include <cstddef>
#include <string>

namespace kelvara {

// Reads a whole small regular file into `bytes`. False when it cannot be opened, is not a regular
// file (a FIFO or a device is never read: opening one does not wait, and it is refused), or is
// larger than `limit` bytes.
bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t limit = 1 << 20);

// Writes all `size` bytes of `data` to `fd`, resuming after interruptions and short writes; 0, or
// the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size);

} // namespace kelvara
