#include "cli/namematch.h"

#include "text/textcase.h"

#include <algorithm>

namespace kelvara::cli {

std::string_view SymbolOf(std::string_view name)
{
    const auto open = name.rfind('(');
    if (open == std::string_view::npos)
        return {};
    const auto close = name.find(')', open + 1);
    if (close == std::string_view::npos)
        return {};
    return name.substr(open + 1, close - open - 1);
}

namespace {
struct Respelling {
    std::string_view category;
    std::string_view earlier;
    std::string_view current;
};
// Names corrected since; a currency row's name is also matched before its " (CODE)".
constexpr Respelling kRespellings[] = {
    {"Currency", "Lithania *Litai", "Lithuania *Litai"},
    {"Currency", "Azerbeijan *Manat", "Azerbaijan *Manat"},
    {"Currency", "Argentino Peso", "Argentina Peso"},
    {"Currency", "Chirstmas Island Australian Dollar", "Christmas Island Australian Dollar"},
    {"Currency", "Quatar Riyal", "Qatar Riyal"},
    {"Currency", "Honduras Lepira", "Honduras Lempira"},
    {"Currency", "Western Sahara Morocco Dirrham", "Western Sahara Morocco Dirham"},
    {"Currency", "Ukraine Hryvna", "Ukraine Hryvnia"},
    {"Currency", "Transnistria Moldava Leu", "Transnistria Moldova Leu"},
    {"Currency", "Johnson United States Dollar", "Johnston Atoll United States Dollar"},
    {"Currency", "Niue New Zealand", "Niue New Zealand Dollar"},
    {"Currency", "Solomon Islands", "Solomon Islands Dollar"},
    // Rankine and Réaumur once shared "°R"; it meant Rankine wherever it was not ambiguous.
    {"Temperature", "° Rankin (°R)", "° Rankine (°Ra)"},
    {"Temperature", "° Réaumur (°R)", "° Réaumur (°Ré)"},
    {"Temperature", "°R", "°Ra"},
    {"Weight", "ton (T)", "tonne (t)"},
    {"Weight", "[US] ton (t)", "[US] ton (sh tn)"},
};

// Settles one step of the match: nothing, one name, or several that may still be one.
bool Settle(const std::vector<int>& fits, const std::function<bool(int, int)>& equivalent, NameMatch& match)
{
    if (fits.empty())
        return false;
    bool same = fits.size() == 1;
    if (!same && equivalent) {
        same = true;
        for (std::size_t i = 1; i < fits.size() && same; ++i)
            same = equivalent(fits.front(), fits[i]);
    }
    if (same) {
        match.kind = NameMatch::Found;
        match.index = fits.front();
    } else {
        match.kind = NameMatch::Ambiguous;
        match.candidates = fits;
    }
    return true;
}
} // namespace

std::string CurrentSpelling(std::string_view category, std::string_view name)
{
    const std::string folded = FoldCase(name);
    for (const Respelling& r : kRespellings) {
        if (r.category != category)
            continue;
        const std::string earlier = FoldCase(r.earlier);
        if (folded == earlier)
            return std::string(r.current);
        // The case of what was typed does not matter, so the rest may stay as it came.
        if (r.category == "Currency" && folded.starts_with(earlier + " ("))
            return std::string(r.current) + std::string(name.substr(r.earlier.size()));
    }
    return std::string(name);
}

NameMatch MatchName(const std::vector<std::string>& names, std::string_view query,
                    const std::function<bool(int, int)>& equivalent)
{
    NameMatch match;
    const std::string wanted = FoldCase(query);
    if (wanted.empty())
        return match;
    std::vector<std::string> folded;
    folded.reserve(names.size());
    for (const auto& name : names)
        folded.push_back(FoldCase(name));

    std::vector<int> exact, symbol, prefix;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const int index = static_cast<int>(i);
        if (folded[i] == wanted)
            exact.push_back(index);
        if (SymbolOf(folded[i]) == wanted)
            symbol.push_back(index);
        if (folded[i].compare(0, wanted.size(), wanted) == 0)
            prefix.push_back(index);
    }
    // The same text twice in a list is still one choice for whoever typed it.
    if (!exact.empty()) {
        match.kind = NameMatch::Found;
        match.index = exact.front();
        return match;
    }
    if (Settle(symbol, equivalent, match) || Settle(prefix, equivalent, match))
        return match;
    return match;
}

NameMatch MatchName(const std::vector<std::string>& names, const std::vector<std::string>& otherNames,
                    std::string_view query, const std::function<bool(int, int)>& equivalent)
{
    std::vector<std::string> all = names;
    std::vector<int> owners;
    for (std::size_t i = 0; i < names.size(); ++i)
        owners.push_back(static_cast<int>(i));
    for (std::size_t i = 0; i < names.size() && i < otherNames.size(); ++i) {
        if (!otherNames[i].empty() && otherNames[i] != names[i]) {
            all.push_back(otherNames[i]);
            owners.push_back(static_cast<int>(i));
        }
    }
    const auto owner = [&owners](int index) { return owners[static_cast<std::size_t>(index)]; };
    NameMatch match = MatchName(all, query, [&](int a, int b) {
        return owner(a) == owner(b) || (equivalent && equivalent(owner(a), owner(b)));
    });
    if (match.kind == NameMatch::Found)
        match.index = owner(match.index);
    std::vector<int> candidates;
    for (const int candidate : match.candidates) {
        const int index = owner(candidate);
        if (std::find(candidates.begin(), candidates.end(), index) == candidates.end())
            candidates.push_back(index);
    }
    match.candidates = candidates;
    return match;
}

} // namespace kelvara::cli
