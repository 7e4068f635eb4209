#include "cli/commands.h"

#include "catalogue/conversionunit.h"
#include "catalogue/datalookup.h"
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "cli/batch.h"
#include "cli/namematch.h"
#include "platform/messages.h"
#include "text/formattext.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <functional>
#include <vector>

namespace kelvara::cli {

namespace {

// A label's text without its mnemonic and colon: "Source U&nit:" -> "Source Unit".
std::string Label(unsigned id)
{
    std::string text;
    for (const char c : LoadString(id))
        if (c != '&')
            text += c;
    // Also the no-break space French puts before a colon.
    static const std::string noBreakSpace = "\xC2\xA0";
    for (;;) {
        if (!text.empty() && (text.back() == ':' || text.back() == ' '))
            text.pop_back();
        else if (text.ends_with(noBreakSpace))
            text.erase(text.size() - noBreakSpace.size());
        else
            break;
    }
    return text;
}

// One message on standard error, after the tool's name.
void Complain(std::FILE* err, unsigned id, const std::vector<FormatArg>& args)
{
    std::fprintf(err, "kelvara-cli: %s\n", FormatText(LoadString(id), args).c_str());
}

} // namespace

Commands::Commands(Catalogue& catalogue, ProfileStore& store, std::FILE* out, std::FILE* err, bool regional)
    : m_catalogue(catalogue), m_core(catalogue.Categories(), store), m_out(out), m_err(err)
{
    m_core.SetRegional(regional);
}

int Commands::ConvertLines(const std::string& categoryName, const std::string& from, const std::string& to,
                           int inputFd)
{
    int exitCode = kExitOk;
    CCategory* category = FindLoadedCategory(categoryName, exitCode);
    if (!category)
        return exitCode;
    if (!category->TakesTypedNumber()) {
        Complain(m_err, IDS_CLI_NO_STANDARD_INPUT, {category->GetName()});
        return kExitUsage;
    }
    if (!ChooseUnits(*category, from, to))
        return kExitUsage;
    const std::string unitName = m_core.SourceUnits().GetText(m_core.SourceUnits().GetCurSel());
    const auto convert = [&](const std::string& value, std::string& result, std::string& problem) {
        if (!value.empty() && !m_core.IsReadableSource(value)) {
            problem = FormatText(LoadString(IDS_CLI_UNREADABLE_VALUE), {value, unitName});
            return false;
        }
        m_core.SetSourceText(value);
        const ConversionCore::Result converted = m_core.Convert();
        if (converted.form == ConversionCore::Result::Form::Problem) {
            problem = converted.target;
            return false;
        }
        result = converted.target;
        return true;
    };
    return kelvara::cli::ConvertLines(inputFd, m_out, m_err, convert) ? kExitOk : kExitLoadFailed;
}

void Commands::Print(const std::string& line)
{
    std::fputs(line.c_str(), m_out);
    std::fputc('\n', m_out);
}

namespace {
// The English text of each entry of `list` (empty where it has none other than its own).
std::vector<std::string> EnglishTexts(const SortedList& list,
                                      const std::function<std::string(const ListItem&)>& englishOf)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetCount(); ++i)
        texts.push_back(englishOf ? englishOf(list.GetItem(i)) : std::string());
    return texts;
}

// What a list holds: the categories, or one list (named by its label) of a category.
struct ListName {
    std::string label;    // empty: the list of categories
    std::string category; // the category whose list it is
};

// Matches `query` in `list`, by the names shown or their English ones (`english`, as
// EnglishTexts gives them), or tells the user why not and returns -1.
int Choose(const SortedList& list, const std::vector<std::string>& english, const std::string& query,
           const ListName& name, std::FILE* err)
{
    const auto texts = list.GetTexts();
    const NameMatch match = MatchName(texts, english, query, [&list](int a, int b) {
        return ConvertAlike(list.GetItem(a), list.GetItem(b));
    });
    if (match.kind == NameMatch::Found)
        return match.index;
    const bool categories = name.label.empty();
    if (match.kind == NameMatch::Ambiguous) {
        if (categories)
            Complain(err, IDS_CLI_AMBIGUOUS_CATEGORY, {query});
        else
            Complain(err, IDS_CLI_AMBIGUOUS_IN, {query, name.label, name.category});
        for (const int i : match.candidates)
            std::fprintf(err, "  %s\n", texts[static_cast<std::size_t>(i)].c_str());
    } else if (texts.empty()) {
        if (categories)
            Complain(err, IDS_CLI_NO_CATEGORY, {});
        else
            Complain(err, IDS_CLI_NOTHING_IN, {name.label, name.category});
    } else {
        if (categories)
            Complain(err, IDS_CLI_UNKNOWN_CATEGORY, {query});
        else
            Complain(err, IDS_CLI_UNKNOWN_IN, {name.label, query, name.category});
        for (const auto& text : texts)
            std::fprintf(err, "  %s\n", text.c_str());
    }
    return -1;
}
} // namespace

int Commands::ListCategories()
{
    for (const auto& name : m_core.Categories().GetTexts())
        Print(name);
    return kExitOk;
}

int Commands::FindCategory(const std::string& name)
{
    const auto englishName = [this](const ListItem& item) {
        return m_catalogue.Categories()[static_cast<std::size_t>(item.column)]->GetEnglishName();
    };
    return Choose(m_core.Categories(), EnglishTexts(m_core.Categories(), englishName), name, {}, m_err);
}

CCategory* Commands::FindLoadedCategory(const std::string& name, int& exitCode)
{
    const int position = FindCategory(name);
    if (position < 0) {
        exitCode = kExitUsage;
        return nullptr;
    }
    const CCategory& chosen =
        *m_catalogue.Categories()[static_cast<std::size_t>(m_core.Categories().GetItem(position).column)];
    // Failures are reported by the catalogue or the category, through the message presenter.
    const bool loaded = m_catalogue.PrepareFor(chosen) && m_core.SelectCategory(position);
    m_catalogue.ReleaseArchive();
    if (!loaded) {
        exitCode = kExitLoadFailed;
        return nullptr;
    }
    return m_core.GetCategory();
}

int Commands::ListUnits(const std::string& categoryName)
{
    int exitCode = kExitOk;
    CCategory* category = FindLoadedCategory(categoryName, exitCode);
    if (!category)
        return exitCode;
    for (const auto& text : m_core.SourceUnits().GetTexts())
        Print(text);
    return kExitOk;
}

int Commands::Convert(const std::string& categoryName, const std::string& value, const std::string& from,
                      const std::string& to)
{
    int exitCode = kExitOk;
    CCategory* category = FindLoadedCategory(categoryName, exitCode);
    if (!category)
        return exitCode;
    if (category->GetKind() == TimeZone) {
        if (!ChooseZone(*category, 0, from) || !ChooseZone(*category, 1, to))
            return kExitUsage;
    } else if (!ChooseUnits(*category, from, to)) {
        return kExitUsage;
    } else if (category->IsLookup() && !category->HasFixedValueList() && !ChooseRow(*category, value)) {
        return kExitUsage;
    }
    m_core.SetSourceText(value);
    const ConversionCore::Result result = m_core.Convert();
    switch (result.form) {
    case ConversionCore::Result::Form::None:
        return kExitUsage;
    case ConversionCore::Result::Form::Problem:
        std::fprintf(m_err, "kelvara-cli: %s\n", result.target.c_str());
        return kExitNoResult;
    case ConversionCore::Result::Form::Times:
        Print(result.source + "\t" + result.target);
        break;
    default:
        Print(result.target);
        break;
    }
    return kExitOk;
}

bool Commands::ChooseUnits(CCategory& category, const std::string& typedFrom, const std::string& typedTo)
{
    // A match does not depend on the order of the list, only the candidates shown when there is
    // none do: the lists in file order first.
    SortedList quickSources(false);
    SortedList quickTargets(false);
    category.FillSourceUnits(quickSources, 0);
    category.FillTargetUnits(quickTargets, 0);
    const auto same = [](const SortedList& list) {
        return [&list](int a, int b) { return ConvertAlike(list.GetItem(a), list.GetItem(b)); };
    };
    // A name in English always fits, whatever the language the lists show.
    const auto english = [&category](const SortedList& list) {
        return EnglishTexts(list,
                            [&category](const ListItem& item) { return category.GetEnglishText(item); });
    };
    const std::string from = CurrentSpelling(category.GetEnglishName(), typedFrom);
    const std::string to = CurrentSpelling(category.GetEnglishName(), typedTo);
    const NameMatch source =
        MatchName(quickSources.GetTexts(), english(quickSources), from, same(quickSources));
    const NameMatch target =
        source.kind == NameMatch::Found
            ? MatchName(quickTargets.GetTexts(), english(quickTargets), to, same(quickTargets))
            : NameMatch{};
    if (source.kind == NameMatch::Found && target.kind == NameMatch::Found)
        return m_core.SelectSourceItem(quickSources.GetItem(source.index)) &&
               m_core.SelectTargetItem(quickTargets.GetItem(target.index));
    const int s = Choose(m_core.SourceUnits(), english(m_core.SourceUnits()), from,
                         {Label(category.GetSourceUnitLabelId()), category.GetName()}, m_err);
    const int t = s < 0 ? -1
                        : Choose(m_core.TargetUnits(), english(m_core.TargetUnits()), to,
                                 {Label(category.GetTargetUnitLabelId()), category.GetName()}, m_err);
    if (t < 0)
        return false;
    m_core.SelectSourceUnit(s);
    m_core.SelectTargetUnit(t);
    return true;
}

bool Commands::ChooseRow(CCategory& category, const std::string& value)
{
    // The source entry is a column; VALUE picks the row among that column's texts, exactly.
    const SortedList& rows = m_core.Values();
    const auto texts = rows.GetTexts();
    const std::string wanted = FoldCase(value);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (FoldCase(texts[i]) == wanted) {
            m_core.SelectValue(static_cast<int>(i));
            return true;
        }
    }
    const SortedList& sources = m_core.SourceUnits();
    Complain(m_err, IDS_CLI_NO_VALUE_IN, {sources.GetText(sources.GetCurSel()), value, category.GetName()});
    for (const auto& text : texts)
        std::fprintf(m_err, "  %s\n", text.c_str());
    return false;
}

bool Commands::ChooseZone(CCategory& category, int side, const std::string& name)
{
    const auto* zones = dynamic_cast<const CTimeZoneCategory*>(&category);
    if (!zones)
        return false;
    const SortedList& list = side == 0 ? m_core.SourceUnits() : m_core.TargetUnits();
    const auto choose = [&](int position) {
        if (side == 0)
            m_core.SelectSourceUnit(position);
        else
            m_core.SelectTargetUnit(position);
        return true;
    };
    // A zone id ("Europe/Berlin") or a whole display name first; else the usual matching.
    if (const CBaseUnit* zone = zones->FindZone(name)) {
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetItem(i).unit == zone)
                return choose(i);
    }
    const ListName listName{
        Label(side == 0 ? category.GetSourceUnitLabelId() : category.GetTargetUnitLabelId()),
        category.GetName()};
    // Also the beginning of a zone id ("Europe/Ber") or a city alone ("Tokyo").
    std::vector<std::string> ids;
    std::vector<std::string> cities;
    for (int i = 0; i < list.GetCount(); ++i) {
        const auto* zone = dynamic_cast<const CTimeZone*>(list.GetItem(i).unit);
        ids.push_back(zone ? zone->GetZoneId() : list.GetText(i));
        cities.push_back(ids.back().substr(ids.back().rfind('/') + 1));
    }
    std::vector<int> ambiguous;
    for (const auto* names : {&ids, &cities}) {
        const NameMatch match = MatchName(*names, name);
        if (match.kind == NameMatch::Found)
            return choose(match.index);
        if (match.kind == NameMatch::Ambiguous && ambiguous.empty())
            ambiguous = match.candidates;
    }
    if (!ambiguous.empty()) {
        Complain(m_err, IDS_CLI_AMBIGUOUS_IN, {name, listName.label, listName.category});
        for (const int i : ambiguous)
            std::fprintf(m_err, "  %s\n", list.GetText(i).c_str());
        return false;
    }
    // Zones are named by their ids in every language.
    const int index = Choose(list, {}, name, listName, m_err);
    return index >= 0 && choose(index);
}

} // namespace kelvara::cli
