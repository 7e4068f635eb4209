#include "catalogue/number.h"

#include "catalogue/splitrow.h"
#include "text/leadingnumber.h"
#include "text/textcase.h"

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace {
constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kMaxPositionalBase = 36;
const std::string kFailure = "####";

struct RomanSymbol {
    std::string_view symbol;
    int value;
    int largestNext;
};

constexpr RomanSymbol kRoman[] = {
    {"M", 1000, 1000}, {"CM", 900, 90}, {"D", 500, 100}, {"CD", 400, 90}, {"C", 100, 100},
    {"XC", 90, 9},     {"L", 50, 10},   {"XL", 40, 9},   {"X", 10, 10},   {"IX", 9, 0},
    {"V", 5, 1},       {"IV", 4, 0},    {"I", 1, 1},
};

std::optional<std::int64_t> ParsePositional(std::string_view text, int base)
{
    constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t value = 0;
    for (char c : text) {
        c = kelvara::AsciiUpper(c);
        const auto digit = kDigits.substr(0, static_cast<std::size_t>(base)).find(c);
        if (digit == std::string_view::npos)
            return std::nullopt;
        // Values above 2^63 - 1 are refused rather than wrapped.
        if (value > (kMax - digit) / static_cast<std::uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + digit;
    }
    return static_cast<std::int64_t>(value);
}

std::optional<std::int64_t> ParseRoman(std::string_view text)
{
    std::int64_t sum = 0;
    int limit = 9999;
    std::size_t pos = 0;
    for (const auto& sym : kRoman) {
        if (pos == text.size())
            return sum;
        const std::string_view rest = text.substr(pos);
        if (rest.size() < sym.symbol.size())
            continue;
        if (sym.symbol.size() == 1) {
            int run = 0;
            while (pos < text.size() && text[pos] == sym.symbol[0]) {
                if (sym.value > limit || ++run == 4)
                    return std::nullopt;
                sum += sym.value;
                limit = sym.largestNext;
                ++pos;
            }
        } else if (rest.substr(0, 2) == sym.symbol) {
            if (sym.value > limit)
                return std::nullopt;
            sum += sym.value;
            limit = sym.largestNext;
            pos += 2;
        }
    }
    if (pos != text.size())
        return std::nullopt;
    return sum;
}
} // namespace

bool CNumber::Parse(const std::string& line)
{
    std::vector<std::string> fields;
    if (!SplitRow(line, 2, fields))
        return false;
    m_name = fields[0];
    m_base = kelvara::ReadLeadingInt32(fields[1]);
    return m_base >= 2;
}

std::string CNumber::GetInputChars() const
{
    switch (m_base) {
    case 2:
    case 8:
    case 10:
    case 16:
    case 36:
        return std::string(kDigits.substr(0, static_cast<std::size_t>(m_base)));
    case 100:
        return "MDCLXVI";
    default:
        return {};
    }
}

std::optional<std::int64_t> CNumber::ParseValue(const std::string& text, int base)
{
    if (base < 2)
        return std::nullopt;
    return base <= kMaxPositionalBase ? ParsePositional(text, base) : ParseRoman(text);
}

std::string CNumber::PrintValue(std::int64_t value, int base)
{
    if (value < 0 || base < 2)
        return kFailure;
    if (base > kMaxPositionalBase) {
        if (value < 1 || value > 3999)
            return kFailure;
        std::string out;
        for (const auto& sym : kRoman) {
            for (std::int64_t n = value / sym.value; n > 0; --n)
                out += sym.symbol;
            value %= sym.value;
        }
        return out;
    }
    // 0 is written as one digit: an empty result would read as a failure to the user.
    if (value == 0)
        return "0";
    std::string out;
    while (value > 0) {
        const auto digit = static_cast<std::size_t>(value % base);
        out.insert(out.begin(), kDigits[digit]);
        value /= base;
    }
    return out;
}

std::string CNumber::Convert(const std::string& source, const CConversionUnit& target) const
{
    const auto value = ParseValue(source, m_base);
    if (!value)
        return kFailure;
    const double t = target.GetValue();
    if (!std::isfinite(t) || t < 2)
        return kFailure;
    const int targetBase = t > 1000 ? 1000 : static_cast<int>(t);
    return PrintValue(*value, targetBase);
}
