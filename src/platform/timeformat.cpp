#include "platform/timeformat.h"

#include <clocale>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace kelvara {

namespace {
struct TimeFormat {
    locale_t locale = nullptr;
    std::string format;

    ~TimeFormat() { Reset(); }
    void Reset()
    {
        if (locale)
            ::freelocale(locale);
        locale = nullptr;
        format.clear();
    }
};

TimeFormat& Current()
{
    static TimeFormat current;
    return current;
}

std::string g_override;

// The user's locale, without touching the process-wide one that other code may have set.
void LoadUserFormat(TimeFormat& tf)
{
    for (const int mask : {LC_ALL_MASK, LC_TIME_MASK}) {
        tf.locale = ::newlocale(mask, "", nullptr);
        if (tf.locale)
            break;
    }
    if (!tf.locale)
        tf.locale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    const char* format = tf.locale ? ::nl_langinfo_l(T_FMT, tf.locale) : nullptr;
    tf.format = WithSeconds(format ? format : "");
}
} // namespace

std::string WithSeconds(const std::string& format)
{
    if (format.empty())
        return "%H:%M:%S";
    bool hasSeconds = false;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        std::size_t k = i + 1;
        if (format[k] == 'E' || format[k] == 'O')
            ++k;
        if (k < format.size() &&
            (format[k] == 'S' || format[k] == 'T' || format[k] == 'r' || format[k] == 'X'))
            hasSeconds = true;
        i = k;
    }
    if (hasSeconds)
        return format;
    std::string out = format;
    if (const auto r = out.find("%R"); r != std::string::npos)
        return out.replace(r, 2, "%T");
    for (const char* minutes : {"%OM", "%M"}) {
        if (const auto m = out.find(minutes); m != std::string::npos)
            return out.insert(m + std::char_traits<char>::length(minutes), ":%S");
    }
    return out + " %S";
}

std::string FormatTimeOfDay(int hour, int minute, int second)
{
    TimeFormat& tf = Current();
    if (!tf.locale) {
        if (g_override.empty()) {
            LoadUserFormat(tf);
        } else {
            tf.locale = ::newlocale(LC_ALL_MASK, "C", nullptr);
            tf.format = g_override;
        }
    }
    std::tm tm{};
    tm.tm_year = 100;
    tm.tm_mday = 1;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    char buffer[128];
    const std::size_t length =
        tf.locale ? ::strftime_l(buffer, sizeof buffer, tf.format.c_str(), &tm, tf.locale) : 0;
    return std::string(buffer, length);
}

void SetTimeFormatOverride(const std::string& format)
{
    g_override = format;
    Current().Reset();
}

} // namespace kelvara
