#include "catalogue/posixtz.h"

#include "catalogue/civiltime.h"

namespace kelvara {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAlpha(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

class PosixReader {
public:
    explicit PosixReader(std::string_view text) : m_text(text) {}
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    bool Accept(char c)
    {
        if (Peek() != c || AtEnd())
            return false;
        ++m_pos;
        return true;
    }

    bool Name(std::string& name)
    {
        const std::size_t start = m_pos;
        if (Accept('<')) {
            while (!AtEnd() && Peek() != '>') {
                const char c = Peek();
                if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-')
                    return false;
                ++m_pos;
            }
            if (!Accept('>'))
                return false;
            name.assign(m_text.substr(start + 1, m_pos - start - 2));
        } else {
            while (IsAlpha(Peek()))
                ++m_pos;
            name.assign(m_text.substr(start, m_pos - start));
        }
        return name.size() >= 3;
    }

    bool Number(int maximum, int& value)
    {
        if (!IsDigit(Peek()))
            return false;
        value = 0;
        while (IsDigit(Peek())) {
            value = value * 10 + (m_text[m_pos++] - '0');
            if (value > maximum)
                return false;
        }
        return true;
    }

    // [+-]hh[:mm[:ss]], hours up to `maxHours`; seconds.
    bool Time(int maxHours, std::int32_t& seconds)
    {
        bool negative = false;
        if (Accept('-'))
            negative = true;
        else
            Accept('+');
        int hours = 0, minutes = 0, secs = 0;
        if (!Number(maxHours, hours))
            return false;
        if (Accept(':')) {
            if (!Number(59, minutes))
                return false;
            if (Accept(':') && !Number(59, secs))
                return false;
        }
        seconds = hours * 3600 + minutes * 60 + secs;
        if (negative)
            seconds = -seconds;
        return true;
    }

    bool Date(PosixTzRule::Date& date)
    {
        if (Accept('J')) {
            date.kind = PosixTzRule::Date::JulianNoLeap;
            if (!Number(365, date.day) || date.day < 1)
                return false;
        } else if (Accept('M')) {
            date.kind = PosixTzRule::Date::MonthWeekDay;
            if (!Number(12, date.month) || date.month < 1 || !Accept('.') || !Number(5, date.week) ||
                date.week < 1 || !Accept('.') || !Number(6, date.weekday))
                return false;
        } else {
            date.kind = PosixTzRule::Date::ZeroBasedDay;
            if (!Number(365, date.day))
                return false;
        }
        date.time = 7200;
        if (Accept('/'))
            return Time(167, date.time);
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};
} // namespace

bool ParsePosixTz(std::string_view text, PosixTzRule& rule)
{
    rule = PosixTzRule{};
    PosixReader in(text);
    std::int32_t westOffset = 0;
    if (!in.Name(rule.standardName) || !in.Time(24, westOffset))
        return false;
    rule.standardOffset = -westOffset;
    if (in.AtEnd())
        return true;
    if (!in.Name(rule.daylightName))
        return false;
    rule.hasDaylight = true;
    rule.daylightOffset = rule.standardOffset + 3600;
    if (!in.AtEnd() && in.Peek() != ',') {
        if (!in.Time(24, westOffset))
            return false;
        rule.daylightOffset = -westOffset;
    }
    if (in.AtEnd()) {
        // No rule given: the customary United States one.
        rule.start = {PosixTzRule::Date::MonthWeekDay, 0, 3, 2, 0, 7200};
        rule.end = {PosixTzRule::Date::MonthWeekDay, 0, 11, 1, 0, 7200};
        return true;
    }
    if (!in.Accept(',') || !in.Date(rule.start) || !in.Accept(',') || !in.Date(rule.end))
        return false;
    return in.AtEnd();
}

std::int64_t LocalDayStart(const PosixTzRule::Date& date, std::int64_t year)
{
    std::int64_t days = 0;
    switch (date.kind) {
    case PosixTzRule::Date::JulianNoLeap:
        // Jn never counts 29 February.
        days = DaysFromCivil(year, 1, 1) + date.day - 1 + (IsLeapYear(year) && date.day >= 60 ? 1 : 0);
        break;
    case PosixTzRule::Date::ZeroBasedDay:
        days = DaysFromCivil(year, 1, 1) + date.day;
        break;
    case PosixTzRule::Date::MonthWeekDay: {
        const std::int64_t first = DaysFromCivil(year, date.month, 1);
        const std::int64_t firstWeekday = ((first + 4) % 7 + 7) % 7;
        std::int64_t day = (date.weekday - firstWeekday + 7) % 7 + 7 * (date.week - 1);
        // Week 5 means the last such weekday of the month.
        while (day >= DaysInMonth(year, date.month))
            day -= 7;
        days = first + day;
        break;
    }
    }
    return days * kSecondsPerDay;
}

} // namespace kelvara
