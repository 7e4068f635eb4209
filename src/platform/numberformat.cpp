#include "platform/numberformat.h"

#include <vector>

namespace kelvara {

namespace {

struct Parsed {
    bool negative = false;
    std::string integer; // without leading zeros; empty for zero
    std::string fraction;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<Parsed> Parse(std::string_view value)
{
    Parsed p;
    std::size_t i = 0;
    if (i < value.size() && value[i] == '-') {
        p.negative = true;
        ++i;
    }
    const std::size_t intStart = i;
    while (i < value.size() && IsDigit(value[i]))
        ++i;
    std::string_view integer = value.substr(intStart, i - intStart);
    std::string_view fraction;
    if (i < value.size() && value[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < value.size() && IsDigit(value[i]))
            ++i;
        fraction = value.substr(fracStart, i - fracStart);
    }
    if (i != value.size() || (integer.empty() && fraction.empty()))
        return std::nullopt;
    while (!integer.empty() && integer.front() == '0')
        integer.remove_prefix(1);
    p.integer = integer;
    p.fraction = fraction;
    return p;
}

// Rounds (half away from zero) or pads the fraction to `digits`.
void Fit(Parsed& p, unsigned digits)
{
    if (p.fraction.size() <= digits) {
        p.fraction.append(digits - p.fraction.size(), '0');
        return;
    }
    const bool up = p.fraction[digits] >= '5';
    p.fraction.resize(digits);
    if (!up)
        return;
    for (auto it = p.fraction.rbegin(); it != p.fraction.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    for (auto it = p.integer.rbegin(); it != p.integer.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    p.integer.insert(p.integer.begin(), '1');
}

std::string Group(const std::string& integer, unsigned grouping, const std::string& thousand)
{
    std::vector<unsigned> sizes;
    for (unsigned g = grouping; g > 0; g /= 10)
        sizes.insert(sizes.begin(), g % 10);
    bool repeat = !sizes.empty() && sizes.back() != 0;
    while (!sizes.empty() && sizes.back() == 0)
        sizes.pop_back();
    if (sizes.empty() || thousand.empty())
        return integer;
    // Cut groups from the right.
    std::vector<std::string_view> groups;
    std::string_view rest = integer;
    std::size_t index = 0;
    while (!rest.empty()) {
        unsigned size = 0;
        if (index < sizes.size())
            size = sizes[index++];
        else if (repeat)
            size = sizes.back();
        if (size == 0 || size >= rest.size()) {
            groups.push_back(rest);
            break;
        }
        groups.push_back(rest.substr(rest.size() - size));
        rest.remove_suffix(size);
    }
    std::string out;
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        if (!out.empty())
            out += thousand;
        out += *it;
    }
    return out;
}

// The unsigned number: grouped integer part, decimal separator and fraction.
std::string Body(Parsed p, unsigned digits, unsigned leadingZero, unsigned grouping,
                 const std::string& decimal, const std::string& thousand)
{
    Fit(p, digits);
    while (!p.integer.empty() && p.integer.front() == '0')
        p.integer.erase(p.integer.begin());
    std::string out;
    if (!p.integer.empty())
        out = Group(p.integer, grouping, thousand);
    else if (leadingZero || digits == 0)
        out = "0";
    if (digits > 0)
        out += decimal + p.fraction;
    return out;
}

} // namespace

unsigned GroupingNumber(std::string_view item)
{
    unsigned grouping = 0;
    while (true) {
        const auto end = item.find(';');
        std::string_view piece = item.substr(0, end);
        while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t'))
            piece.remove_prefix(1);
        unsigned value = 0;
        for (std::size_t i = 0; i < piece.size() && IsDigit(piece[i]) && value < 1000; ++i)
            value = value * 10 + static_cast<unsigned>(piece[i] - '0');
        // Beyond nine pieces the number would overflow; no locale has that many.
        if (value > 0 && grouping < 100000000)
            grouping = grouping * 10 + value;
        if (end == std::string_view::npos)
            break;
        item.remove_prefix(end + 1);
    }
    return grouping;
}

std::optional<std::string> FormatNumber(std::string_view value, const NumberFormat& f)
{
    const auto parsed = Parse(value);
    if (!parsed || f.negativeOrder > 4)
        return std::nullopt;
    const std::string body = Body(*parsed, f.digits, f.leadingZero, f.grouping, f.decimal, f.thousand);
    if (!parsed->negative)
        return body;
    switch (f.negativeOrder) {
    case 0:
        return "(" + body + ")";
    case 1:
        return "-" + body;
    case 2:
        return "- " + body;
    case 3:
        return body + "-";
    default:
        return body + " -";
    }
}

std::optional<std::string> FormatCurrency(std::string_view value, const CurrencyFormat& f)
{
    const auto parsed = Parse(value);
    if (!parsed || f.negativeOrder > 15 || f.positiveOrder > 3)
        return std::nullopt;
    const std::string n = Body(*parsed, f.digits, f.leadingZero, f.grouping, f.decimal, f.thousand);
    const std::string& s = f.symbol;
    if (!parsed->negative) {
        switch (f.positiveOrder) {
        case 0:
            return s + n;
        case 1:
            return n + s;
        case 2:
            return s + " " + n;
        default:
            return n + " " + s;
        }
    }
    switch (f.negativeOrder) {
    case 0:
        return "(" + s + n + ")";
    case 1:
        return "-" + s + n;
    case 2:
        return s + "-" + n;
    case 3:
        return s + n + "-";
    case 4:
        return "(" + n + s + ")";
    case 5:
        return "-" + n + s;
    case 6:
        return n + "-" + s;
    case 7:
        return n + s + "-";
    case 8:
        return "-" + n + " " + s;
    case 9:
        return "-" + s + " " + n;
    case 10:
        return n + " " + s + "-";
    case 11:
        return s + " " + n + "-";
    case 12:
        return s + " -" + n;
    case 13:
        return n + "- " + s;
    case 14:
        return "(" + s + " " + n + ")";
    default:
        return "(" + n + " " + s + ")";
    }
}

} // namespace kelvara
