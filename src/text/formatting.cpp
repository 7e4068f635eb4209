#include "text/formatting.h"

#include <charconv>
#include <cmath>

namespace kelvara {

std::string FormatFixed(double value, int decimals)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // The largest double has 309 integer digits.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return {};
    return std::string(buffer, end);
}

} // namespace kelvara

std::string FormatDouble(double value)
{
    std::string text = kelvara::FormatFixed(value, 15);
    const auto point = text.find('.');
    if (!text.empty() && point != std::string::npos && point > 0) {
        while (!text.empty() && (text.back() == '0' || text.back() == ' '))
            text.pop_back();
    }
    while (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}
