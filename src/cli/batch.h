#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace kelvara::cli {

// Converts one value; false, with `problem` saying why, when the value cannot be read.
using LineConversion =
    std::function<bool(const std::string& value, std::string& result, std::string& problem)>;

// The batch form of convert: reads values from `inputFd`, one a line, and writes one result a line
// to `out`, in order. A line that cannot be read gives an empty line, and a message with its
// number on `err`; the run goes on. Output is flushed at the end and whenever no more input is
// ready, so that the tool can serve as a coprocess. Lines may end with LF or CR LF; blanks around
// a value are ignored. Returns whether every line was read.
bool ConvertLines(int inputFd, std::FILE* out, std::FILE* err, const LineConversion& convert);

} // namespace kelvara::cli
