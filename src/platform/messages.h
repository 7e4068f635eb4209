#pragma once

#include "platform/messagepresenter.h"
#include "text/formattext.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvara {

// The system's one-line text for a result code: system errors (facility 7) read with the C
// library's text for the errno in the low word. "<unavailable error>" for other codes.
std::string GetErrorText(std::int32_t code);

// The result code of an errno value: 0x80070000 | (errno & 0xFFFF), or errno itself when not
// positive.
std::int32_t ResultFromErrno(int error);

int ShowMessageText(unsigned id, unsigned type, const std::vector<FormatArg>& args);
int ShowErrorMessageText(unsigned id, unsigned type, std::int32_t code, const std::vector<FormatArg>& args);
// ShowErrorMessage of entry `id` with `errorText` as the code's text, for codes whose words belong
// to one failure (a transfer's names its address and the server's answer). Line ends are folded
// as in the system's texts; an empty text reads as "<unavailable error>".
int ShowFailureMessage(unsigned id, unsigned type, std::int32_t code, const std::string& errorText);

} // namespace kelvara

// Shows string-table entry `id`, filled with `args`, in a message box of `type`; returns the
// button pressed.
template <typename... Args> int ShowMessage(unsigned id, unsigned type, const Args&... args)
{
    return kelvara::ShowMessageText(id, type, {kelvara::FormatArg(args)...});
}

// Like ShowMessage, with the text of result `code` appended (-1: the last system error) and the
// icon chosen by the code: error for a failure code, warning for another non-zero code,
// information for 0.
template <typename... Args>
int ShowErrorMessage(unsigned id, unsigned type, std::int32_t code, const Args&... args)
{
    // The last error is taken before the arguments are copied: copying may allocate, and an
    // allocation is allowed to change errno.
    if (code == -1)
        code = kelvara::ResultFromErrno(errno);
    return kelvara::ShowErrorMessageText(id, type, code, {kelvara::FormatArg(args)...});
}
