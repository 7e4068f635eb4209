#include "text/textmatch.h"

#include "text/collate.h"
#include "text/textcase.h"

namespace kelvara {

TextQuery::TextQuery(std::string_view query)
{
    std::size_t i = 0;
    while (i < query.size()) {
        while (i < query.size() && IsBlank(query[i]))
            ++i;
        const std::size_t start = i;
        while (i < query.size() && !IsBlank(query[i]))
            ++i;
        if (i > start)
            m_words.push_back(FoldListText(query.substr(start, i - start)));
    }
}

bool TextQuery::Matches(std::string_view text) const
{
    if (m_words.empty())
        return true;
    const std::string folded = FoldListText(text);
    for (const auto& word : m_words)
        if (folded.find(word) == std::string::npos)
            return false;
    return true;
}

bool TextQuery::MayMatchAfterPrefix(std::string_view text, std::string_view alphabet) const
{
    const std::string folded = FoldListText(text);
    for (const auto& word : m_words)
        if (folded.find(word) == std::string::npos && word.find_first_not_of(alphabet) != std::string::npos)
            return false;
    return true;
}

bool MatchesQuery(std::string_view text, std::string_view query)
{
    return TextQuery(query).Matches(text);
}

} // namespace kelvara
