#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace kelvara {

// One argument of a message's format string. Integers, floating-point numbers and texts are
// carried with their kind, so a placeholder of another kind prints the value sensibly instead of
// reading memory it was not given.
class FormatArg {
public:
    template <typename T>
    requires std::is_integral_v<T> FormatArg(T v) // NOLINT(google-explicit-constructor)
    {
        if constexpr (std::is_signed_v<T>)
            m_value = static_cast<std::int64_t>(v);
        else
            m_value = static_cast<std::uint64_t>(v);
    }
    FormatArg(double v) : m_value(v) {}                            // NOLINT(google-explicit-constructor)
    FormatArg(const char* v) : m_value(std::string(v ? v : "")) {} // NOLINT(google-explicit-constructor)
    FormatArg(std::string v) : m_value(std::move(v)) {}            // NOLINT(google-explicit-constructor)

    const std::variant<std::int64_t, std::uint64_t, double, std::string>& Value() const { return m_value; }

private:
    std::variant<std::int64_t, std::uint64_t, double, std::string> m_value;
};

// printf-style formatting of `format` (%d %i %u %x %X %o %c %s %f %e %g %%, with flags, width and
// precision, and "%2$s" for an argument by its position, as translations reorder them) with typed
// arguments; "." is always the decimal point. Missing arguments print nothing; surplus ones are
// ignored.
std::string FormatText(const std::string& format, const std::vector<FormatArg>& args);
// FormatText of string-table entry `id` (LoadString).
std::string FormatString(unsigned id, const std::vector<FormatArg>& args = {});

} // namespace kelvara
