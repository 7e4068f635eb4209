#include "catalogue/zonetimeline.h"

#include "catalogue/civiltime.h"

#include <algorithm>

namespace kelvara {

namespace {

// Transitions further than this from 1970 (about 8700 years) are out of any calendar we show and
// would overflow tick counts.
constexpr std::int64_t kTimeLimit = std::int64_t{1} << 38;

std::int64_t RuleChangeAt(const PosixTzRule::Date& date, std::int64_t year, std::int32_t offset)
{
    return LocalDayStart(date, year) + date.time - offset;
}
// The changes of `candidates` (in time order) that really change the offset, starting from
// `current`: of several changes at one instant only the last counts.
std::vector<OffsetChange> RealChanges(const std::vector<OffsetChange>& candidates, std::int32_t current)
{
    std::vector<OffsetChange> out;
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

} // namespace

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
    return RealChanges(candidates, m_rule ? RuleAt(from - 1).offset : 0);
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
    return RealChanges(candidates, At(from - 1).offset);
}

} // namespace kelvara
