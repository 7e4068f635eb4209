#include "cli/commands.h"

#include "catalogue/conversionunit.h"
#include "catalogue/datalookup.h"
#include "catalogue/defaultunit.h"
#include "catalogue/lookupunit.h"
#include "catalogue/sortedlist.h"
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "cli/batch.h"
#include "cli/namematch.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/regional.h"
#include "text/leadingnumber.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <typeinfo>
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
    while (!text.empty() && (text.back() == ':' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string Upper(std::string text)
{
    // The source field shows what is typed in capitals, so units see "FF", not "ff".
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Whether two list entries give the same result: the same row or column, or two units that
// convert alike (several rows of one currency, at one rate).
bool SameChoice(const ListItem& a, const ListItem& b)
{
    if (a.unit == b.unit && a.column == b.column)
        return true;
    if (!a.unit || !b.unit || typeid(*a.unit) != typeid(*b.unit))
        return false;
    const auto* ca = dynamic_cast<const CConversionUnit*>(a.unit);
    const auto* cb = dynamic_cast<const CConversionUnit*>(b.unit);
    if (!ca || !cb || ca->GetValue() != cb->GetValue())
        return false;
    const auto* da = dynamic_cast<const CDefaultUnit*>(a.unit);
    const auto* db = dynamic_cast<const CDefaultUnit*>(b.unit);
    return !da || !db || da->IsCompound() == db->IsCompound();
}

} // namespace

Commands::Commands(CCategoryArray& catalogue, std::unique_ptr<CDataArchive> archive, std::FILE* out,
                   std::FILE* err, bool regional)
    : m_catalogue(catalogue), m_archive(std::move(archive)), m_out(out), m_err(err), m_regional(regional)
{
}

int Commands::ConvertLines(const std::string& categoryName, const std::string& from, const std::string& to,
                           int inputFd)
{
    int exitCode = kExitOk;
    CCategory* category = FindLoadedCategory(categoryName, exitCode);
    if (!category)
        return exitCode;
    if (category->GetKind() != Numeric && category->GetKind() != Currency) {
        std::fprintf(m_err, "kelvara-cli: %s takes no values from standard input; give VALUE\n",
                     category->GetName().c_str());
        return kExitUsage;
    }
    SortedList sources;
    SortedList targets;
    int s = -1;
    int t = -1;
    if (!ChooseUnits(*category, from, to, sources, targets, s, t))
        return kExitUsage;
    const auto* source = dynamic_cast<const CConversionUnit*>(sources.GetItem(s).unit);
    const auto* target = dynamic_cast<const CConversionUnit*>(targets.GetItem(t).unit);
    if (!source || !target)
        return kExitUsage;

    const bool currency = category->GetKind() == Currency;
    // What the page's field admits for the source unit: its own digits (number bases), else a
    // decimal number, in regional notation with --regional.
    const std::string digits = source->GetInputChars();
    const std::string unitName = sources.GetText(s);
    const auto convert = [&](const std::string& value, std::string& result, std::string& problem) {
        if (value.empty())
            return true; // an empty value, an empty result, as on the page
        bool readable = true;
        if (!digits.empty()) {
            readable = Upper(value).find_first_not_of(digits) == std::string::npos;
        } else {
            const std::string neutral =
                m_regional ? (currency ? FromRegionalCurrency(value) : FromRegionalNumber(value)) : value;
            // As the page's field admits a number: a minus sign, then digits with at most one point.
            std::string_view number = neutral;
            if (!number.empty() && number.front() == '-')
                number.remove_prefix(1);
            readable = IsPlainDecimal(number);
        }
        if (!readable) {
            problem = "cannot read \"" + value + "\" as a value in " + unitName;
            return false;
        }
        result = ConvertValue(*source, *target, currency, value);
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
// The category list as the page fills it: sorted by name, each entry carrying its position in
// the catalogue.
SortedList CategoryList(const CCategoryArray& catalogue)
{
    SortedList list;
    for (std::size_t i = 0; i < catalogue.size(); ++i)
        list.AddEntry(catalogue[i]->GetName(), ListItem{nullptr, static_cast<int>(i)});
    return list;
}

// Matches `query` in `list`, or tells the user why not (naming `what` the list holds) and
// returns -1.
int Choose(const SortedList& list, const std::string& query, const std::string& what,
           const std::string& where, std::FILE* err)
{
    const auto texts = list.GetTexts();
    const NameMatch match = MatchName(
        texts, query, [&list](int a, int b) { return SameChoice(list.GetItem(a), list.GetItem(b)); });
    if (match.kind == NameMatch::Found)
        return match.index;
    if (match.kind == NameMatch::Ambiguous) {
        std::fprintf(err, "kelvara-cli: \"%s\" is ambiguous as %s%s; it fits:\n", query.c_str(), what.c_str(),
                     where.c_str());
        for (const int i : match.candidates)
            std::fprintf(err, "  %s\n", texts[static_cast<std::size_t>(i)].c_str());
    } else if (texts.empty()) {
        std::fprintf(err, "kelvara-cli: there is no %s%s to choose\n", what.c_str(), where.c_str());
    } else {
        std::fprintf(err, "kelvara-cli: unknown %s \"%s\"%s; choose one of:\n", what.c_str(), query.c_str(),
                     where.c_str());
        for (const auto& text : texts)
            std::fprintf(err, "  %s\n", text.c_str());
    }
    return -1;
}
} // namespace

int Commands::ListCategories()
{
    for (const auto& name : CategoryList(m_catalogue).GetTexts())
        Print(name);
    return kExitOk;
}

CCategory* Commands::FindCategory(const std::string& name)
{
    const SortedList list = CategoryList(m_catalogue);
    const int position = Choose(list, name, "category", "", m_err);
    if (position < 0)
        return nullptr;
    return m_catalogue[static_cast<std::size_t>(list.GetItem(position).column)].get();
}

CCategory* Commands::FindLoadedCategory(const std::string& name, int& exitCode)
{
    CCategory* category = FindCategory(name);
    if (!category) {
        exitCode = kExitUsage;
        return nullptr;
    }
    const std::string file = category->GetDataFileName();
    if (!file.empty() && FindBesideProgram(file).empty() && m_archive && !m_archive->Prepare()) {
        ShowErrorMessage(IDS_INIT_FAILED, MB_ICONERROR, -1);
        m_archive.reset();
        exitCode = kExitLoadFailed;
        return nullptr;
    }
    // Failures are reported by the category itself, through the message presenter.
    const bool loaded = category->EnsureLoaded();
    m_archive.reset();
    if (!loaded) {
        exitCode = kExitLoadFailed;
        return nullptr;
    }
    return category;
}

int Commands::ListUnits(const std::string& categoryName)
{
    int exitCode = kExitOk;
    CCategory* category = FindLoadedCategory(categoryName, exitCode);
    if (!category)
        return exitCode;
    SortedList units;
    category->FillSourceUnits(units, 0);
    for (const auto& text : units.GetTexts())
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
    switch (category->GetKind()) {
    case Numeric:
    case Currency:
        return ConvertNumber(*category, value, from, to);
    case Lookup:
        return LookUp(*category, value, from, to);
    case TimeZone:
        return ShowTimes(*category, from, to);
    }
    return kExitUsage;
}

bool Commands::ChooseUnits(CCategory& category, const std::string& from, const std::string& to,
                           SortedList& sources, SortedList& targets, int& s, int& t)
{
    // A match does not depend on the order of the list, only the candidates shown when there is
    // none do: the lists in file order first, which spares sorting them at every start.
    {
        SortedList quickSources(false);
        SortedList quickTargets(false);
        category.FillSourceUnits(quickSources, 0);
        category.FillTargetUnits(quickTargets, 0);
        const auto same = [](const SortedList& list) {
            return [&list](int a, int b) { return SameChoice(list.GetItem(a), list.GetItem(b)); };
        };
        const NameMatch source = MatchName(quickSources.GetTexts(), from, same(quickSources));
        const NameMatch target = source.kind == NameMatch::Found
                                     ? MatchName(quickTargets.GetTexts(), to, same(quickTargets))
                                     : NameMatch{};
        if (source.kind == NameMatch::Found && target.kind == NameMatch::Found) {
            sources = std::move(quickSources);
            targets = std::move(quickTargets);
            s = source.index;
            t = target.index;
            return true;
        }
    }
    const std::string where = " in " + category.GetName();
    category.FillSourceUnits(sources, 0);
    category.FillTargetUnits(targets, 0);
    s = Choose(sources, from, Label(category.GetSourceUnitLabelId()), where, m_err);
    t = s < 0 ? -1 : Choose(targets, to, Label(category.GetTargetUnitLabelId()), where, m_err);
    return t >= 0;
}

int Commands::ConvertNumber(CCategory& category, const std::string& value, const std::string& from,
                            const std::string& to)
{
    SortedList sources;
    SortedList targets;
    int s = -1;
    int t = -1;
    if (!ChooseUnits(category, from, to, sources, targets, s, t))
        return kExitUsage;
    const auto* source = dynamic_cast<const CConversionUnit*>(sources.GetItem(s).unit);
    const auto* target = dynamic_cast<const CConversionUnit*>(targets.GetItem(t).unit);
    if (!source || !target)
        return kExitUsage;

    Print(ConvertValue(*source, *target, category.GetKind() == Currency, value));
    return kExitOk;
}

std::string Commands::ConvertValue(const CConversionUnit& source, const CConversionUnit& target,
                                   bool currency, const std::string& value) const
{
    std::string text = Upper(value);
    if (m_regional)
        text = currency ? FromRegionalCurrency(text) : FromRegionalNumber(text);
    // An empty source leaves the result empty, as on the page.
    std::string result = text.empty() ? std::string() : source.Convert(text, target);
    if (m_regional)
        result = currency ? ToRegionalCurrency(result) : ToRegionalNumber(result);
    return result;
}

int Commands::LookUp(CCategory& category, const std::string& value, const std::string& from,
                     const std::string& to)
{
    const std::string where = " in " + category.GetName();
    SortedList sources;
    SortedList targets;
    int s = -1;
    int t = -1;
    if (!ChooseUnits(category, from, to, sources, targets, s, t))
        return kExitUsage;

    const CBaseUnit* row = nullptr;
    if (category.HasFixedValueList()) {
        // The value list follows the source list: the source entry is the row.
        row = sources.GetItem(s).unit;
    } else {
        // The source entry is a column; VALUE picks the row among that column's texts, exactly.
        SortedList values(false);
        category.FillValueList(values, 0, sources.GetItem(s).column);
        const auto texts = values.GetTexts();
        const std::string wanted = FoldCase(value);
        for (std::size_t i = 0; i < texts.size() && !row; ++i)
            if (FoldCase(texts[i]) == wanted)
                row = values.GetItem(static_cast<int>(i)).unit;
        if (!row) {
            std::fprintf(m_err, "kelvara-cli: no %s value \"%s\"%s; choose one of:\n",
                         sources.GetText(s).c_str(), value.c_str(), where.c_str());
            for (const auto& text : texts)
                std::fprintf(m_err, "  %s\n", text.c_str());
            return kExitUsage;
        }
    }
    const auto* lookup = dynamic_cast<const CLookupUnit*>(row);
    if (!lookup)
        return kExitUsage;
    std::string text = lookup->GetColumnText(targets.GetItem(t).column);
    if (m_regional && category.FormatsTarget())
        text = ToRegionalNumber(text);
    Print(text);
    return kExitOk;
}

int Commands::ShowTimes(CCategory& category, const std::string& from, const std::string& to)
{
    const auto* zones = dynamic_cast<const CTimeZoneCategory*>(&category);
    if (!zones)
        return kExitUsage;
    const std::string where = " in " + category.GetName();
    SortedList lists[2];
    const std::string* queries[2] = {&from, &to};
    const CTimeZone* picked[2] = {nullptr, nullptr};
    for (int side = 0; side < 2; ++side) {
        // A zone id ("Europe/Berlin") or a whole display name first; else the usual matching.
        picked[side] = zones->FindZone(*queries[side]);
        if (picked[side])
            continue;
        if (side == 0)
            category.FillSourceUnits(lists[side], 0);
        else
            category.FillTargetUnits(lists[side], 0);
        const unsigned label = side == 0 ? category.GetSourceUnitLabelId() : category.GetTargetUnitLabelId();
        // Also the beginning of a zone id ("Europe/Ber") or a city alone ("Tokyo").
        std::vector<std::string> ids;
        std::vector<std::string> cities;
        for (const auto& text : lists[side].GetTexts()) {
            const auto close = text.find(") ");
            ids.push_back(close == std::string::npos ? text : text.substr(close + 2));
            cities.push_back(ids.back().substr(ids.back().rfind('/') + 1));
        }
        int index = -1;
        std::vector<int> ambiguous;
        for (const auto* names : {&ids, &cities}) {
            const NameMatch match = MatchName(*names, *queries[side]);
            if (match.kind == NameMatch::Found) {
                index = match.index;
                break;
            }
            if (match.kind == NameMatch::Ambiguous && ambiguous.empty())
                ambiguous = match.candidates;
        }
        if (index < 0 && !ambiguous.empty()) {
            std::fprintf(m_err, "kelvara-cli: \"%s\" is ambiguous as %s%s; it fits:\n",
                         queries[side]->c_str(), Label(label).c_str(), where.c_str());
            for (const int i : ambiguous)
                std::fprintf(m_err, "  %s\n", lists[side].GetText(i).c_str());
            return kExitUsage;
        }
        if (index < 0)
            index = Choose(lists[side], *queries[side], Label(label), where, m_err);
        if (index < 0)
            return kExitUsage;
        picked[side] = dynamic_cast<const CTimeZone*>(lists[side].GetItem(index).unit);
        if (!picked[side])
            return kExitUsage;
    }
    const UtcTicks now = m_instant ? *m_instant : CurrentUtcTicks();
    Print(picked[0]->FormatLocalTime(now) + "\t" + picked[1]->FormatLocalTime(now));
    return kExitOk;
}

} // namespace kelvara::cli
