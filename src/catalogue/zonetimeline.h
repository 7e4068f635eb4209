#pragma once

#include "catalogue/posixtz.h"
#include "catalogue/tzif.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kelvara {

// A change of offset: from universal second `at` on, `offset` seconds east applies.
struct OffsetChange {
    std::int64_t at = 0;
    std::int32_t offset = 0;
    bool isDst = false;
    bool operator==(const OffsetChange&) const = default;
};

// A zone's whole history and future: the listed transitions, continued by the footer rule after
// the last of them.
class ZoneTimeline {
public:
    ZoneTimeline() = default;
    explicit ZoneTimeline(const TzifData& data);
    // Only the footer rule (a zone with no listed transitions).
    explicit ZoneTimeline(const PosixTzRule& rule);

    // The offset in effect at universal second `t` (a change at exactly `t` already applies).
    LocalTimeType At(std::int64_t t) const;
    // The changes with `from` <= at < `to`, in order; changes that keep the offset are left out.
    std::vector<OffsetChange> ChangesBetween(std::int64_t from, std::int64_t to) const;
    // Like ChangesBetween, but from the footer rule alone (empty when there is none).
    std::vector<OffsetChange> RuleChangesBetween(std::int64_t from, std::int64_t to) const;

    const std::optional<PosixTzRule>& GetRule() const { return m_rule; }
    LocalTimeType GetInitial() const { return m_initial; }
    // The last listed transition (the footer rule governs after it); nullopt when none is listed.
    std::optional<std::int64_t> GetLastListed() const;

private:
    LocalTimeType RuleAt(std::int64_t t) const;
    void AppendRuleChanges(std::int64_t from, std::int64_t to, std::vector<OffsetChange>& out) const;

    LocalTimeType m_initial;
    std::vector<OffsetChange> m_listed;
    std::optional<PosixTzRule> m_rule;
};

} // namespace kelvara
