#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::cli {

struct NameMatch {
    enum Kind { Found, Ambiguous, Unknown };
    Kind kind = Unknown;
    int index = -1;              // Found: the name chosen
    std::vector<int> candidates; // Ambiguous: the names that fit
};

// Finds `query` among `names`, without regard to case: the exact text first, else the symbol in a
// name's last parentheses ("m" for "meter (m)"), else a prefix. A step that fits several names
// picks the first of them when `equivalent` says they all give the same result (the many rows of
// one currency), and is ambiguous otherwise. Without `equivalent`, several names are ambiguous.
NameMatch MatchName(const std::vector<std::string>& names, std::string_view query,
                    const std::function<bool(int, int)>& equivalent = {});

// The same over entries that may each have a second name, `otherNames[i]` beside `names[i]` (the
// English name beside the one in the user's language; empty: none): an entry fits when either of
// its names does, and two names of one entry are one choice. The indexes are those of `names`.
NameMatch MatchName(const std::vector<std::string>& names, const std::vector<std::string>& otherNames,
                    std::string_view query, const std::function<bool(int, int)>& equivalent = {});

// `name` as today's data spells it, where `category` (its English name) once spelled it otherwise:
// scripts written against an earlier version keep working. Anything else comes back unchanged.
std::string CurrentSpelling(std::string_view category, std::string_view name);

// The text inside a name's last pair of parentheses; empty when there is none.
std::string_view SymbolOf(std::string_view name);

} // namespace kelvara::cli
