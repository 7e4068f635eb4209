#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// ASCII case folding: names in files, archives, addresses and desktop names compare this way,
// whatever the process locale.
constexpr char AsciiLower(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string AsciiLowered(std::string_view text);
std::string AsciiUppered(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// `text` with ASCII and Latin-1 capitals lowered (UTF-8), for comparing what people type with the
// names in the lists.
std::string FoldCase(std::string_view text);

// Space, tab, line feed, carriage return, vertical tab and form feed.
constexpr bool IsBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// `text` without blanks at either end.
std::string_view Trim(std::string_view text);

} // namespace kelvara
