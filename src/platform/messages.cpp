#include "platform/messages.h"

#include "text/strings.h"

#include <cerrno>
#include <cstdio>
#include <string.h>

namespace kelvara {

namespace {

// One line: the system's texts may end in line breaks, and carry "\r\n" within.
std::string OneLine(const std::string& text)
{
    std::string cleaned;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            continue;
        }
        cleaned += text[i];
    }
    while (!cleaned.empty() && (cleaned.back() == '\r' || cleaned.back() == '\n'))
        cleaned.pop_back();
    return cleaned.empty() ? LoadString(IDS_UNAVAILABLE_ERROR) : cleaned;
}

int ShowWithErrorText(unsigned id, unsigned type, std::int32_t code, const std::vector<FormatArg>& args,
                      const std::string* errorText)
{
    std::string text = FormatText(LoadString(id), args);
    type &= ~static_cast<unsigned>(MB_ICONMASK);
    if (code != 0) {
        char hex[32];
        std::snprintf(hex, sizeof hex, " [0x%08X]", static_cast<unsigned>(code));
        text += "\n\n" + (errorText ? OneLine(*errorText) : GetErrorText(code)) + hex;
        type |= code < 0 ? MB_ICONERROR : MB_ICONWARNING;
    } else {
        type |= MB_ICONINFORMATION;
    }
    return PresentMessage(text, type);
}

} // namespace

std::int32_t ResultFromErrno(int error)
{
    if (error > 0)
        return static_cast<std::int32_t>(0x80070000u | (static_cast<unsigned>(error) & 0xFFFFu));
    return error;
}

std::string GetErrorText(std::int32_t code)
{
    const auto ucode = static_cast<std::uint32_t>(code);
    std::string text;
    if (((ucode >> 16) & 0x1FFF) == 7) {
        char buffer[256];
        const int error = static_cast<int>(ucode & 0xFFFF);
        // The GNU strerror_r returns the text, which may or may not be in the buffer.
        text = strerror_r(error, buffer, sizeof buffer);
        if (text.rfind("Unknown error", 0) == 0)
            text.clear();
    }
    return OneLine(text);
}

int ShowMessageText(unsigned id, unsigned type, const std::vector<FormatArg>& args)
{
    return PresentMessage(FormatText(LoadString(id), args), type);
}

int ShowErrorMessageText(unsigned id, unsigned type, std::int32_t code, const std::vector<FormatArg>& args)
{
    if (code == -1)
        code = ResultFromErrno(errno);
    return ShowWithErrorText(id, type, code, args, nullptr);
}

int ShowFailureMessage(unsigned id, unsigned type, std::int32_t code, const std::string& errorText)
{
    return ShowWithErrorText(id, type, code, {}, &errorText);
}

} // namespace kelvara
