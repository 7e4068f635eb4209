#include "text/formattext.h"

#include "text/formatting.h"
#include "text/strings.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string.h>

namespace kelvara {

namespace {

std::string PrintInteger(const std::string& directive, char conv,
                         const std::variant<std::int64_t, std::uint64_t, double, std::string>& v)
{
    char buffer[128];
    const std::string fmt = directive + "ll" + conv;
    const bool isSigned = conv == 'd' || conv == 'i';
    long long s = 0;
    unsigned long long u = 0;
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        s = *i;
        u = static_cast<unsigned long long>(*i);
    } else if (const auto* n = std::get_if<std::uint64_t>(&v)) {
        s = static_cast<long long>(*n);
        u = *n;
    } else if (const auto* d = std::get_if<double>(&v)) {
        // Converting a double outside the range of the integer is undefined; saturate instead.
        if (std::isnan(*d))
            s = 0;
        else if (*d >= 9223372036854775807.0)
            s = std::numeric_limits<long long>::max();
        else if (*d <= -9223372036854775808.0)
            s = std::numeric_limits<long long>::min();
        else
            s = static_cast<long long>(*d);
        u = static_cast<unsigned long long>(s);
    } else {
        return std::get<std::string>(v);
    }
    if (isSigned)
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), s);
    else
        std::snprintf(buffer, sizeof buffer, fmt.c_str(), u);
    return buffer;
}

std::string PrintFloating(const std::string& directive, char conv,
                          const std::variant<std::int64_t, std::uint64_t, double, std::string>& v)
{
    double d = 0;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        d = static_cast<double>(*i);
    else if (const auto* n = std::get_if<std::uint64_t>(&v))
        d = static_cast<double>(*n);
    else if (const auto* f = std::get_if<double>(&v))
        d = *f;
    else
        return std::get<std::string>(v);
    if (conv == 'f' && directive == "%")
        return FormatFixed(d, 6);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, (directive + conv).c_str(), d);
    // The C library follows the process locale; messages always use ".".
    std::string text = buffer;
    const char* point = localeconv()->decimal_point;
    if (point && std::strcmp(point, ".") != 0) {
        const auto at = text.find(point);
        // Built anew rather than replaced in place: GCC 12 warns falsely about replace() here.
        if (at != std::string::npos)
            text = text.substr(0, at) + '.' + text.substr(at + std::strlen(point));
    }
    return text;
}

// A character code as UTF-8; a text argument prints as it is. Codes that are not characters print
// nothing rather than a NUL or a broken sequence.
std::string PrintCharacter(const std::variant<std::int64_t, std::uint64_t, double, std::string>& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    std::uint64_t code = 0;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        code = *i > 0 ? static_cast<std::uint64_t>(*i) : 0;
    else if (const auto* n = std::get_if<std::uint64_t>(&v))
        code = *n;
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

std::string PrintText(const std::string& directive,
                      const std::variant<std::int64_t, std::uint64_t, double, std::string>& v)
{
    std::string text;
    if (const auto* s = std::get_if<std::string>(&v))
        text = *s;
    else if (const auto* i = std::get_if<std::int64_t>(&v))
        text = std::to_string(*i);
    else if (const auto* n = std::get_if<std::uint64_t>(&v))
        text = std::to_string(*n);
    else
        text = FormatDouble(std::get<double>(v));
    if (directive == "%")
        return text;
    // Width and precision of %s apply to bytes, as printf does.
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, (directive + 's').c_str(), text.c_str());
    return buffer;
}
} // namespace

std::string FormatText(const std::string& format, const std::vector<FormatArg>& args)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        std::size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        // "%2$s": the second argument, wherever the directive stands (a translation may need
        // another order of the arguments than the English text).
        std::size_t position = 0;
        for (std::size_t k = j; k < format.size() && k - j < 3 && format[k] >= '0' && format[k] <= '9'; ++k) {
            if (k + 1 < format.size() && format[k + 1] == '$' && format[j] != '0') {
                position = static_cast<std::size_t>(std::stoul(format.substr(j, k + 1 - j)));
                j = k + 2;
                break;
            }
        }
        // Flags, width, precision; length modifiers are accepted and ignored (the kind of the
        // argument decides).
        std::string directive = "%";
        while (j < format.size() && std::strchr("-+ #0", format[j]))
            directive += format[j++];
        int digits = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9' && digits++ < 3)
            directive += format[j++];
        if (j < format.size() && format[j] == '.') {
            directive += format[j++];
            digits = 0;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9' && digits++ < 3)
                directive += format[j++];
        }
        while (j < format.size() && std::strchr("hlLqjzt", format[j]))
            ++j;
        if (j >= format.size()) {
            out += format.substr(i);
            break;
        }
        const char conv = format[j];
        if (!std::strchr("diuxXocsfFeEgG", conv)) {
            out += format.substr(i, j - i + 1);
            i = j;
            continue;
        }
        i = j;
        const std::size_t index = position > 0 ? position - 1 : next++;
        if (index >= args.size())
            continue;
        const auto& value = args[index].Value();
        switch (conv) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            out += PrintInteger(directive, conv, value);
            break;
        case 'c':
            out += PrintCharacter(value);
            break;
        case 's':
            out += PrintText(directive, value);
            break;
        default:
            out += PrintFloating(directive, conv, value);
            break;
        }
    }
    return out;
}

std::string FormatString(unsigned id, const std::vector<FormatArg>& args)
{
    return FormatText(LoadString(id), args);
}

} // namespace kelvara
