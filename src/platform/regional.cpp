#include "platform/regional.h"

#include "platform/localeitems.h"
#include "platform/numberformat.h"
#include "text/textcase.h"

#include <string_view>

namespace {

// The text cut at its first "." into integer part and fraction, trailing zeros dropped from the
// fraction.
struct Split {
    std::string integer;
    std::string fraction;
};

Split SplitNeutral(const std::string& text)
{
    Split s{text, {}};
    const auto point = text.find('.');
    if (text.empty() || point == std::string::npos || point == 0)
        return s;
    std::string trimmed = text;
    while (!trimmed.empty() && (trimmed.back() == '0' || trimmed.back() == ' '))
        trimmed.pop_back();
    s.integer = trimmed.substr(0, point);
    s.fraction = trimmed.size() > point + 1 ? trimmed.substr(point + 1) : std::string();
    return s;
}

// The number to lay out: the fraction goes inside the layout, so that a trailing sign or a closing
// parenthesis follows the whole number ("(1,234.5)", "1,234.5-") and the text reads back as it
// was written. A text without digits before its "." is not neutral notation and yields nothing,
// which leaves it unchanged (".5" laid out with no fractional digits would be rounded to 1).
std::string Rejoin(const Split& s)
{
    if (s.integer.find('.') != std::string::npos ||
        s.integer.find_first_of("0123456789") == std::string::npos)
        return {};
    return s.fraction.empty() ? s.integer : s.integer + "." + s.fraction;
}

void RemoveAll(std::string& text, std::string_view what)
{
    if (what.empty())
        return;
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        from = at + what.size();
    }
    out.append(text, from);
    text.swap(out);
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with)
{
    if (what.empty())
        return;
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        out.append(with);
        from = at + what.size();
    }
    out.append(text, from);
    text.swap(out);
}

void StripEnds(std::string& text, std::string_view characters)
{
    const auto begin = text.find_first_not_of(characters);
    if (begin == std::string::npos) {
        text.clear();
        return;
    }
    const auto end = text.find_last_not_of(characters);
    text = text.substr(begin, end - begin + 1);
}

// Reads regional text back into neutral notation: spaces and thousands separators out, the
// decimal separator to ".", the negative marks at the ends to a leading "-".
std::string FromRegional(const std::string& text, const std::string& thousand, const std::string& decimal,
                         bool parentheses)
{
    std::string result = text;
    RemoveAll(result, " ");
    RemoveAll(result, thousand);
    ReplaceAll(result, decimal, ".");
    bool negative;
    if (parentheses) {
        negative = result.find('(') != std::string::npos;
        StripEnds(result, " ()");
    } else {
        negative = result.find('-') != std::string::npos;
        StripEnds(result, " -");
    }
    return negative ? "-" + result : result;
}

bool ParenthesisedCurrency(int pattern)
{
    return pattern == 0 || pattern == 4 || pattern == 14 || pattern == 15;
}

unsigned NonNegative(int value, unsigned fallback)
{
    return value >= 0 ? static_cast<unsigned>(value) : fallback;
}

} // namespace

std::string ToRegionalNumber(const std::string& text)
{
    const Split split = SplitNeutral(text);
    const kelvara::LocaleItems items = kelvara::ReadLocaleItems();
    kelvara::NumberFormat format;
    format.digits = static_cast<unsigned>(split.fraction.size());
    format.leadingZero = NonNegative(items.leadingZero, 1);
    format.grouping = kelvara::GroupingNumber(items.grouping);
    format.decimal = items.decimal;
    format.thousand = items.thousand;
    format.negativeOrder = NonNegative(items.negativeNumber, 1);
    const auto formatted = kelvara::FormatNumber(Rejoin(split), format);
    return formatted ? std::string(kelvara::Trim(*formatted)) : text;
}

std::string ToRegionalCurrency(const std::string& text)
{
    const Split split = SplitNeutral(text);
    const kelvara::LocaleItems items = kelvara::ReadLocaleItems();
    kelvara::CurrencyFormat format;
    format.digits = static_cast<unsigned>(split.fraction.size());
    format.leadingZero = NonNegative(items.leadingZero, 1);
    format.grouping = kelvara::GroupingNumber(items.monGrouping);
    format.decimal = items.monDecimal;
    format.thousand = items.monThousand;
    format.negativeOrder = NonNegative(items.negativeCurrency, 0);
    format.positiveOrder = NonNegative(items.positiveCurrency, 0);
    const auto formatted = kelvara::FormatCurrency(Rejoin(split), format);
    return formatted ? std::string(kelvara::Trim(*formatted)) : text;
}

std::string FromRegionalNumber(const std::string& text)
{
    const kelvara::LocaleItems items = kelvara::ReadLocaleItems();
    return FromRegional(text, items.thousand, items.decimal, items.negativeNumber == 0);
}

std::string FromRegionalCurrency(const std::string& text)
{
    const kelvara::LocaleItems items = kelvara::ReadLocaleItems();
    return FromRegional(text, items.monThousand, items.monDecimal,
                        ParenthesisedCurrency(items.negativeCurrency));
}

std::string GetRegionalNumberChars()
{
    const kelvara::LocaleItems items = kelvara::ReadLocaleItems();
    std::string chars = items.decimal + items.thousand;
    if (items.negativeNumber >= 0)
        chars += items.negativeNumber != 0 ? "-" : "()";
    return chars;
}

std::string GetRegionalCurrencyChars()
{
    const kelvara::LocaleItems items = kelvara::ReadLocaleItems();
    return items.monDecimal + items.monThousand +
           (ParenthesisedCurrency(items.negativeCurrency) ? "()" : "-");
}
