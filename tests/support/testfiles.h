#pragma once

#include <string>

namespace kelvara::test {

// Writes `content` to `path` as given (bytes).
void WriteFile(const std::string& path, const std::string& content);
// UTF-8 text as UTF-16LE with a byte-order mark, the shipped form of the data files.
std::string Utf16LE(const std::string& utf8, bool bom = true);

} // namespace kelvara::test
