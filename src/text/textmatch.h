#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// What a user types to find list entries: every word must occur somewhere in an entry's text, in
// any order, without regard to case or accents as the lists sort them ("us gal" finds
// "[US] gallon (gal)", "reaumur" finds "° Réaumur (°R)"). Words are separated by blanks; a query
// without words matches everything.
class TextQuery {
public:
    explicit TextQuery(std::string_view query);

    bool IsEmpty() const { return m_words.empty(); }
    bool Matches(std::string_view text) const;
    // Whether `text` may match once more text, made only of the (folded) characters of `alphabet`,
    // is put before it with a blank between: a word that does not occur in `text` may still lie
    // wholly in that prefix, as no word spans a blank. Lets a caller skip working out the prefix
    // ("(UTC+09:00) " before a zone id) for entries that cannot match anyway.
    bool MayMatchAfterPrefix(std::string_view text, std::string_view alphabet) const;

private:
    std::vector<std::string> m_words; // folded
};

// TextQuery(query).Matches(text), for a single test.
bool MatchesQuery(std::string_view text, std::string_view query);

} // namespace kelvara
