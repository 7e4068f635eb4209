#include "catalogue/civiltime.h"

#include <cctype>

namespace kelvara {

namespace {
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The civil date of a day count since 1970-01-01 (H. Hinnant's algorithm, era of 400 years).
void CivilFromDays(std::int64_t z, std::int64_t& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}
} // namespace

bool IsLeapYear(std::int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(std::int64_t year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    // Carry months outside 1..12 into the year first.
    const std::int64_t m0 = month - 1;
    year += FloorDiv(m0, 12);
    const std::int64_t m = m0 - FloorDiv(m0, 12) * 12 + 1;
    year -= m <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + (day - 1);
}

std::int64_t SecondsFromTicks(UtcTicks ticks)
{
    return FloorDiv(ticks, kTicksPerSecond);
}

std::int64_t DaysFromTicks(UtcTicks ticks)
{
    return FloorDiv(SecondsFromTicks(ticks), kSecondsPerDay);
}

std::int64_t YearOfSeconds(std::int64_t seconds)
{
    std::int64_t year;
    int month, day;
    CivilFromDays(FloorDiv(seconds, kSecondsPerDay), year, month, day);
    return year;
}

CivilTime CivilFromTicks(UtcTicks ticks)
{
    CivilTime t;
    const std::int64_t seconds = SecondsFromTicks(ticks);
    t.fraction = ticks - seconds * kTicksPerSecond;
    const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t secondOfDay = seconds - days * kSecondsPerDay;
    CivilFromDays(days, t.year, t.month, t.day);
    t.dayOfWeek = static_cast<int>(days - FloorDiv(days + 4, 7) * 7 + 4); // 1970-01-01 was a Thursday
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

UtcTicks TicksFromCivil(const CivilTime& time)
{
    const std::int64_t seconds = DaysFromCivil(time.year, time.month, time.day) * kSecondsPerDay +
                                 time.hour * 3600LL + time.minute * 60LL + time.second;
    return seconds * kTicksPerSecond + time.fraction;
}

bool ParseUtcTimestamp(std::string_view text, UtcTicks& ticks)
{
    std::size_t i = 0;
    auto number = [&](std::size_t digits, int& value) {
        value = 0;
        for (std::size_t k = 0; k < digits; ++k, ++i) {
            if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
                return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    auto expect = [&](char c) { return i < text.size() && text[i++] == c; };
    CivilTime t;
    int year = 0;
    if (!number(4, year) || !expect('-') || !number(2, t.month) || !expect('-') || !number(2, t.day))
        return false;
    t.year = year;
    if (i >= text.size() || (text[i] != 'T' && text[i] != 't' && text[i] != ' '))
        return false;
    ++i;
    if (!number(2, t.hour) || !expect(':') || !number(2, t.minute))
        return false;
    if (i < text.size() && text[i] == ':') {
        ++i;
        if (!number(2, t.second))
            return false;
        if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
            ++i;
            std::int64_t scale = kTicksPerSecond;
            const std::size_t first = i;
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
                scale /= 10;
                t.fraction += (text[i] - '0') * scale;
                ++i;
            }
            if (i == first)
                return false;
        }
    }
    if (i < text.size() && (text[i] == 'Z' || text[i] == 'z'))
        ++i;
    if (i != text.size())
        return false;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return false;
    ticks = TicksFromCivil(t);
    return true;
}

} // namespace kelvara
