#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// Turns UTF-8 text with LF or CR LF line ends into the form the program ships its data files in:
// UTF-16LE with the mark FF FE, every line (the last one too) ended by CR LF.
// A UTF-8 mark at the start of the input is dropped. Returns false and a message naming the line
// and column (both from 1) when the input is not valid UTF-8, holds a NUL character or a CR that
// is not followed by LF; out is then left empty.
bool EncodeDataFile(std::string_view in, std::string& out, std::string& error);

} // namespace kelvara
