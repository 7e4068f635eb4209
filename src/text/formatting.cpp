#include "text/formatting.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

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

namespace {

constexpr int kDecimals = 15;
// Results carry 17 significant digits and zeros after them, so that stored and compared texts stay
// the same on every C runtime: 123.45 is "123.450000000000000", not "123.450000000000003".
constexpr int kSignificantDigits = 17;
// What a value too small for fifteen decimals is shown with.
constexpr int kSmallValueDigits = 15;

// Rounds the significant digits `digits` (the value is 0.d1d2... times 10^point) to their first
// `keep`, half away from zero, as that runtime does. No digits left means zero.
void RoundDigits(std::string& digits, int& point, int keep)
{
    if (keep >= static_cast<int>(digits.size()))
        return;
    const bool up = keep >= 0 && digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(std::max(keep, 0)));
    if (!up)
        return;
    auto at = digits.rbegin();
    for (; at != digits.rend() && *at == '9'; ++at)
        *at = '0';
    if (at != digits.rend()) {
        ++*at;
    } else {
        digits.insert(digits.begin(), '1');
        ++point;
    }
}

// "%.15f" as that runtime prints it: the value rounded to 17 significant digits, then that
// text rounded to fifteen decimals.
std::string FormatFifteenDecimals(double value)
{
    if (!std::isfinite(value))
        return kelvara::FormatFixed(value, kDecimals);
    std::string digits;
    int point = 0;
    if (value != 0) {
        // Every double's exact decimal expansion has at most 767 significant digits.
        char buffer[800];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                             std::chars_format::scientific, 780);
        if (ec != std::errc())
            return kelvara::FormatFixed(value, kDecimals);
        const std::string_view exact(buffer, static_cast<std::size_t>(end - buffer));
        const auto e = exact.find('e');
        digits.push_back(exact[0]);
        digits.append(exact.substr(2, e - 2));
        int exponent = 0;
        std::from_chars(exact.data() + e + (exact[e + 1] == '+' ? 2 : 1), exact.data() + exact.size(),
                        exponent);
        point = exponent + 1;
        RoundDigits(digits, point, kSignificantDigits);
        RoundDigits(digits, point, point + kDecimals);
    }
    const auto digitAt = [&](int position) {
        return position >= 0 && position < static_cast<int>(digits.size())
                   ? digits[static_cast<std::size_t>(position)]
                   : '0';
    };
    std::string text = std::signbit(value) ? "-" : "";
    if (digits.empty() || point <= 0)
        text += '0';
    for (int i = 0; i < point && !digits.empty(); ++i)
        text += digitAt(i);
    text += '.';
    for (int i = 0; i < kDecimals; ++i)
        text += digits.empty() ? '0' : digitAt(point + i);
    return text;
}

} // namespace

std::string FormatDouble(double value)
{
    std::string text = FormatFifteenDecimals(value);
    const auto point = text.find('.');
    if (!text.empty() && point != std::string::npos && point > 0) {
        while (!text.empty() && (text.back() == '0' || text.back() == ' '))
            text.pop_back();
    }
    while (!text.empty() && text.back() == '.')
        text.pop_back();
    // Fifteen decimals hide anything below 0.5e-15 (one electron volt in joules read 0): such a
    // value is written with as many decimals as its leading fifteen digits need, and a zero is
    // never signed.
    if (text == "0" || text == "-0")
        return value == 0 ? "0" : kelvara::FormatSignificant(value, kSmallValueDigits);
    return text;
}

namespace kelvara {

std::string FormatSignificant(double value, int digits)
{
    if (digits <= 0 || !std::isfinite(value))
        return FormatDouble(value);
    if (value == 0)
        return "0";
    digits = std::min(digits, kSignificantDigits);
    // to_chars rounds the exact value, as printf's "%.*e" does.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                         std::chars_format::scientific, digits - 1);
    if (ec != std::errc())
        return FormatDouble(value);
    const std::string_view rounded(buffer, static_cast<std::size_t>(end - buffer));
    const auto e = rounded.find('e');
    std::string mantissa(1, rounded[0]);
    if (e > 2)
        mantissa.append(rounded.substr(2, e - 2));
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    int exponent = 0;
    std::from_chars(rounded.data() + e + (rounded[e + 1] == '+' ? 2 : 1), rounded.data() + rounded.size(),
                    exponent);

    // Fixed notation: the digits, with zeros to fill either side of the point.
    const int point = exponent + 1; // digits before the point
    const int count = static_cast<int>(mantissa.size());
    std::string text = value < 0 ? "-" : "";
    if (point <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-point), '0');
        text += mantissa;
    } else if (point >= count) {
        text += mantissa;
        text.append(static_cast<std::size_t>(point - count), '0');
    } else {
        text.append(mantissa, 0, static_cast<std::size_t>(point));
        text += '.';
        text.append(mantissa, static_cast<std::size_t>(point));
    }
    return text;
}

double RoundSignificant(double value, int digits)
{
    if (digits <= 0 || !std::isfinite(value) || value == 0)
        return value;
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                         std::min(digits, kSignificantDigits) - 1);
    double rounded = value;
    if (ec == std::errc())
        std::from_chars(buffer, end, rounded, std::chars_format::scientific);
    return rounded;
}

} // namespace kelvara
