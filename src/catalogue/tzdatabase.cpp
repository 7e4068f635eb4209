#include "catalogue/tzdatabase.h"

#include "catalogue/civiltime.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvara {

namespace {

// Offsets beyond these bounds are not local times of this planet (RFC 8536 suggests them).
constexpr std::int32_t kMinOffset = -89999;
constexpr std::int32_t kMaxOffset = 93599;
// Transitions further than this from 1970 (about 8700 years) are out of any calendar we show and
// would overflow tick counts.
constexpr std::int64_t kTimeLimit = std::int64_t{1} << 38;

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}
    bool Has(std::uint64_t count) const { return count <= m_bytes.size() - m_pos; }
    std::size_t Pos() const { return m_pos; }
    void Skip(std::size_t count) { m_pos += count; }
    std::uint8_t U8() { return static_cast<std::uint8_t>(m_bytes[m_pos++]); }
    std::uint32_t U32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | U8();
        return v;
    }
    std::int64_t I64()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | U8();
        return static_cast<std::int64_t>(v);
    }
    std::string_view Rest() const { return m_bytes.substr(m_pos); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

struct Header {
    char version = 0;
    std::uint32_t isUtCount = 0, isStdCount = 0, leapCount = 0, timeCount = 0, typeCount = 0, charCount = 0;

    std::uint64_t DataSize(std::uint64_t timeSize) const
    {
        return std::uint64_t{timeCount} * timeSize + timeCount + std::uint64_t{typeCount} * 6 + charCount +
               std::uint64_t{leapCount} * (timeSize + 4) + isStdCount + isUtCount;
    }
};

bool ReadHeader(ByteReader& in, Header& h)
{
    if (!in.Has(44))
        return false;
    const std::string_view magic = in.Rest().substr(0, 4);
    if (magic != "TZif")
        return false;
    in.Skip(4);
    h.version = static_cast<char>(in.U8());
    in.Skip(15);
    h.isUtCount = in.U32();
    h.isStdCount = in.U32();
    h.leapCount = in.U32();
    h.timeCount = in.U32();
    h.typeCount = in.U32();
    h.charCount = in.U32();
    // One byte indexes the types, so more than 256 of them cannot be told apart.
    if (h.typeCount == 0 || h.typeCount > 256)
        return false;
    if ((h.isUtCount != 0 && h.isUtCount != h.typeCount) ||
        (h.isStdCount != 0 && h.isStdCount != h.typeCount))
        return false;
    return true;
}

bool ReadData(ByteReader& in, const Header& h, int timeSize, TzifData& data)
{
    if (!in.Has(h.DataSize(static_cast<std::uint64_t>(timeSize))))
        return false;
    data.times.resize(h.timeCount);
    data.typeIndexes.resize(h.timeCount);
    data.types.resize(h.typeCount);
    for (auto& t : data.times) {
        t = timeSize == 8 ? in.I64() : static_cast<std::int32_t>(in.U32());
    }
    for (std::size_t i = 0; i < data.times.size(); ++i) {
        if (i > 0 && data.times[i] <= data.times[i - 1])
            return false;
    }
    for (auto& index : data.typeIndexes) {
        index = in.U8();
        if (index >= h.typeCount)
            return false;
    }
    for (auto& type : data.types) {
        type.offset = static_cast<std::int32_t>(in.U32());
        const std::uint8_t isDst = in.U8();
        const std::uint8_t designation = in.U8();
        if (type.offset < kMinOffset || type.offset > kMaxOffset || isDst > 1 ||
            (h.charCount != 0 && designation >= h.charCount))
            return false;
        type.isDst = isDst != 0;
    }
    // Designations, leap seconds and the standard/UT indicators are of no use here.
    in.Skip(static_cast<std::size_t>(h.charCount) +
            std::size_t{h.leapCount} * static_cast<std::size_t>(timeSize + 4) + h.isStdCount + h.isUtCount);
    return true;
}

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

std::int64_t RuleChangeAt(const PosixTzRule::Date& date, std::int64_t year, std::int32_t offset)
{
    return LocalDayStart(date, year) + date.time - offset;
}

} // namespace

bool ParseTzif(std::string_view bytes, TzifData& data)
{
    ByteReader in(bytes);
    Header h;
    if (!ReadHeader(in, h))
        return false;
    data = TzifData{};
    if (h.version == '\0')
        return ReadData(in, h, 4, data);
    // Version 2 and later repeat everything with 64-bit times, followed by the footer.
    const std::uint64_t v1Size = h.DataSize(4);
    if (!in.Has(v1Size))
        return false;
    in.Skip(static_cast<std::size_t>(v1Size));
    Header h2;
    if (!ReadHeader(in, h2) || h2.version == '\0' || !ReadData(in, h2, 8, data))
        return false;
    const std::string_view rest = in.Rest();
    if (rest.size() >= 2 && rest[0] == '\n') {
        const std::size_t end = rest.find('\n', 1);
        if (end != std::string_view::npos)
            data.footer.assign(rest.substr(1, end - 1));
    }
    return true;
}

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

ZoneTimeline::ZoneTimeline(const TzifData& data)
{
    if (!data.types.empty())
        m_initial = data.types.front();
    std::int32_t current = m_initial.offset;
    for (std::size_t i = 0; i < data.times.size() && i < data.typeIndexes.size(); ++i) {
        const LocalTimeType& type = data.types.at(data.typeIndexes[i]);
        const std::int64_t at = data.times[i];
        // Far-off sentinels ("since the big bang") only say what applied before the real history.
        if (at < -kTimeLimit) {
            m_initial = type;
            current = type.offset;
            continue;
        }
        if (at > kTimeLimit)
            break;
        if (type.offset == current)
            continue;
        m_listed.push_back({at, type.offset, type.isDst});
        current = type.offset;
    }
    PosixTzRule rule;
    if (!data.footer.empty() && ParsePosixTz(data.footer, rule))
        m_rule = rule;
    // The footer governs from the last transition on; where the two disagree, follow the footer.
    if (m_rule && !m_listed.empty()) {
        const LocalTimeType ruled = RuleAt(m_listed.back().at);
        m_listed.back().offset = ruled.offset;
        m_listed.back().isDst = ruled.isDst;
        const std::int32_t before =
            m_listed.size() > 1 ? m_listed[m_listed.size() - 2].offset : m_initial.offset;
        if (ruled.offset == before)
            m_listed.pop_back();
    }
    // A footer alone stands for the whole timeline.
    if (m_rule && data.times.empty())
        m_initial = {m_rule->standardOffset, false};
}

ZoneTimeline::ZoneTimeline(const PosixTzRule& rule) : m_initial{rule.standardOffset, false}, m_rule(rule)
{
}

std::optional<std::int64_t> ZoneTimeline::GetLastListed() const
{
    if (m_listed.empty())
        return std::nullopt;
    return m_listed.back().at;
}

LocalTimeType ZoneTimeline::At(std::int64_t t) const
{
    if (m_rule && (m_listed.empty() || t >= m_listed.back().at))
        return RuleAt(t);
    const auto it = std::upper_bound(m_listed.begin(), m_listed.end(), t,
                                     [](std::int64_t value, const OffsetChange& c) { return value < c.at; });
    if (it == m_listed.begin())
        return m_initial;
    return {std::prev(it)->offset, std::prev(it)->isDst};
}

LocalTimeType ZoneTimeline::RuleAt(std::int64_t t) const
{
    const PosixTzRule& rule = *m_rule;
    if (!rule.hasDaylight)
        return {rule.standardOffset, false};
    std::vector<OffsetChange> changes;
    const std::int64_t year = YearOfSeconds(t);
    AppendRuleChanges(DaysFromCivil(year - 1, 1, 1) * kSecondsPerDay, t + 1, changes);
    if (changes.empty())
        return {rule.standardOffset, false};
    return {changes.back().offset, changes.back().isDst};
}

void ZoneTimeline::AppendRuleChanges(std::int64_t from, std::int64_t to, std::vector<OffsetChange>& out) const
{
    if (!m_rule || !m_rule->hasDaylight || from >= to)
        return;
    const PosixTzRule& rule = *m_rule;
    std::vector<OffsetChange> changes;
    const std::int64_t first = YearOfSeconds(from) - 1;
    const std::int64_t last = std::min(YearOfSeconds(to) + 1, first + 1000);
    for (std::int64_t year = first; year <= last; ++year) {
        changes.push_back({RuleChangeAt(rule.start, year, rule.standardOffset), rule.daylightOffset, true});
        changes.push_back({RuleChangeAt(rule.end, year, rule.daylightOffset), rule.standardOffset, false});
    }
    // Stable: when one year's end meets the next year's start (daylight time all year), the start
    // comes last and wins.
    std::stable_sort(changes.begin(), changes.end(),
                     [](const OffsetChange& a, const OffsetChange& b) { return a.at < b.at; });
    for (const OffsetChange& c : changes) {
        if (c.at >= from && c.at < to)
            out.push_back(c);
    }
}

std::vector<OffsetChange> ZoneTimeline::RuleChangesBetween(std::int64_t from, std::int64_t to) const
{
    std::vector<OffsetChange> candidates;
    AppendRuleChanges(from, to, candidates);
    std::vector<OffsetChange> out;
    std::int32_t current = m_rule ? RuleAt(from - 1).offset : 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        // Of several changes at one instant only the last counts.
        if (i + 1 < candidates.size() && candidates[i + 1].at == candidates[i].at)
            continue;
        if (candidates[i].offset == current)
            continue;
        current = candidates[i].offset;
        out.push_back(candidates[i]);
    }
    return out;
}

std::vector<OffsetChange> ZoneTimeline::ChangesBetween(std::int64_t from, std::int64_t to) const
{
    std::vector<OffsetChange> candidates;
    const auto begin =
        std::lower_bound(m_listed.begin(), m_listed.end(), from,
                         [](const OffsetChange& c, std::int64_t value) { return c.at < value; });
    for (auto it = begin; it != m_listed.end() && it->at < to; ++it)
        candidates.push_back(*it);
    if (m_rule) {
        const std::int64_t ruleFrom = m_listed.empty() ? from : std::max(from, m_listed.back().at + 1);
        AppendRuleChanges(ruleFrom, to, candidates);
    }
    std::vector<OffsetChange> out;
    std::int32_t current = At(from - 1).offset;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (i + 1 < candidates.size() && candidates[i + 1].at == candidates[i].at)
            continue;
        if (candidates[i].offset == current)
            continue;
        current = candidates[i].offset;
        out.push_back(candidates[i]);
    }
    return out;
}

namespace {
std::string g_databaseOverride;

bool IsSafeZoneId(std::string_view id)
{
    if (id.empty() || id.front() == '/' || id.size() > 255)
        return false;
    std::size_t start = 0;
    while (start <= id.size()) {
        std::size_t end = id.find('/', start);
        if (end == std::string_view::npos)
            end = id.size();
        const std::string_view part = id.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return id.find_first_of(" \t\r\n") == std::string_view::npos;
}

// Calls `row` with the fields (split at tabs or blanks) of every non-comment line.
template <typename Row> void ForEachRow(const std::string& text, char separator, Row row)
{
    std::size_t pos = 0;
    std::vector<std::string_view> fields;
    const std::string_view all(text);
    while (pos < all.size()) {
        std::size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        fields.clear();
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t stop = line.find(separator, start);
            if (stop == std::string_view::npos)
                stop = line.size();
            fields.push_back(line.substr(start, stop - start));
            start = stop + 1;
        }
        row(fields);
    }
}
} // namespace

std::string TimeZoneDatabaseDir()
{
    if (!g_databaseOverride.empty())
        return g_databaseOverride;
    if (const char* dir = std::getenv("TZDIR"); dir && *dir)
        return dir;
    return "/usr/share/zoneinfo";
}

void SetTimeZoneDatabaseDirOverride(const std::string& path)
{
    g_databaseOverride = path;
}

std::vector<std::string> ReadZoneIds(const std::string& dir)
{
    std::vector<std::string> ids;
    std::string text;
    for (const char* table : {"/zone.tab", "/zone1970.tab"}) {
        if (!ReadSmallFile(dir + table, text, 4 << 20))
            continue;
        ForEachRow(text, '\t', [&](const std::vector<std::string_view>& f) {
            if (f.size() >= 3 && IsSafeZoneId(f[2]))
                ids.emplace_back(f[2]);
        });
        if (!ids.empty())
            break;
    }
    if (ids.empty() && ReadSmallFile(dir + "/tzdata.zi", text, 16 << 20)) {
        ForEachRow(text, ' ', [&](const std::vector<std::string_view>& f) {
            if (f.size() >= 2 && f[0] == "Z" && f[1] != "Factory" && IsSafeZoneId(f[1]))
                ids.emplace_back(f[1]);
        });
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::map<std::string, std::string> ReadZoneLinks(const std::string& dir)
{
    std::map<std::string, std::string> links;
    std::string text;
    if (!ReadSmallFile(dir + "/tzdata.zi", text, 16 << 20))
        return links;
    ForEachRow(text, ' ', [&](const std::vector<std::string_view>& f) {
        if (f.size() >= 3 && f[0] == "L")
            links.emplace(std::string(f[2]), std::string(f[1]));
    });
    return links;
}

bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= limit;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

} // namespace kelvara
