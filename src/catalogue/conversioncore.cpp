#include "catalogue/conversioncore.h"

#include "catalogue/conversionunit.h"
#include "catalogue/currencycategory.h"
#include "catalogue/defaultunit.h"
#include "catalogue/firstvisit.h"
#include "catalogue/lookupunit.h"
#include "catalogue/timezone.h"
#include "platform/profilestore.h"
#include "platform/regional.h"
#include "platform/settingskeys.h"
#include "text/collate.h"
#include "text/leadingnumber.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace kelvara {

namespace {


// What FormatDouble writes for infinities and NaN, signed or not.
bool IsNonFiniteText(std::string_view text)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    return text == "inf" || text == "nan";
}

std::string CategorySection(int number)
{
    return kCategoriesSection + std::to_string(number);
}

} // namespace

bool ConvertAlike(const ListItem& a, const ListItem& b)
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

// --- ShownList ----------------------------------------------------------------------------------

void ShownList::ResetContent()
{
    m_entries.ResetContent();
    if (m_view)
        m_view->ResetContent();
}

void ShownList::SetSorted(bool sorted)
{
    m_entries.SetSorted(sorted);
    if (m_view)
        m_view->SetSorted(sorted);
}

int ShownList::AddEntry(const std::string& text, const ListItem& item)
{
    if (m_view)
        m_view->AddEntry(text, item);
    return m_entries.AddEntry(text, item);
}

bool ShownList::SetCurSel(int position)
{
    if (m_view)
        m_view->SetCurSel(position);
    return m_entries.SetCurSel(position);
}

void ShownList::SetDroppedWidth(int width)
{
    m_entries.SetDroppedWidth(width);
    if (m_view)
        m_view->SetDroppedWidth(width);
}

ListItem ShownList::SelectedItem() const
{
    const int position = m_entries.GetCurSel();
    return position < 0 ? ListItem{} : m_entries.GetItem(position);
}

int ShownList::Find(const ListItem& item) const
{
    for (int i = 0; i < m_entries.GetCount(); ++i) {
        const ListItem& entry = m_entries.GetItem(i);
        if (item.unit ? entry.unit == item.unit : (!entry.unit && entry.column == item.column))
            return i;
    }
    return -1;
}

// --- Choosing -----------------------------------------------------------------------------------

ConversionCore::ConversionCore(CCategoryArray& catalogue, ProfileStore& store, Memory memory)
    : m_catalogue(catalogue), m_store(store), m_memory(memory)
{
    for (std::size_t i = 0; i < m_catalogue.size(); ++i)
        m_categories.AddEntry(m_catalogue[i]->GetName(), ListItem{nullptr, static_cast<int>(i)});
    // The first categories' settings are kept under the number of their place among their English
    // names, as they always were: that number is the same in every language. Categories added later
    // take the numbers after them in catalogue order, so that no earlier section changes meaning.
    m_englishOrder.resize(m_catalogue.size());
    std::iota(m_englishOrder.begin(), m_englishOrder.end(), 0);
    const auto earlier = static_cast<std::ptrdiff_t>(std::min(kEarlierCategoryCount, m_catalogue.size()));
    std::stable_sort(m_englishOrder.begin(), m_englishOrder.begin() + earlier, [this](int a, int b) {
        return CompareListText(m_catalogue[static_cast<std::size_t>(a)]->GetEnglishName(),
                               m_catalogue[static_cast<std::size_t>(b)]->GetEnglishName()) < 0;
    });
    m_sectionNumbers.resize(m_catalogue.size());
    for (std::size_t i = 0; i < m_englishOrder.size(); ++i)
        m_sectionNumbers[static_cast<std::size_t>(m_englishOrder[i])] = static_cast<int>(i);
}

void ConversionCore::SetViews(UnitList* categories, UnitList* sources, UnitList* targets, UnitList* values)
{
    m_categories.SetView(categories);
    m_sources.SetView(sources);
    m_targets.SetView(targets);
    m_values.SetView(values);
    // A view set late starts with the category list; the others follow the next category.
    if (categories) {
        const int selection = m_categories.GetCurSel();
        categories->ResetContent();
        categories->SetSorted(true);
        for (int i = 0; i < Categories().GetCount(); ++i)
            categories->AddEntry(Categories().GetText(i), Categories().GetItem(i));
        categories->SetCurSel(selection);
    }
}

int ConversionCore::RememberedCategory() const
{
    if (m_memory == Memory::None)
        return 0;
    ProfileStore& profile = m_store;
    const int stored = profile.GetProfileInt(kSettingsSection, kCategoryEntry, INT_MIN);
    if (stored == INT_MIN) {
        // A first start: the quantity most conversions are of.
        for (std::size_t i = 0; i < m_catalogue.size(); ++i)
            if (m_catalogue[i]->GetEnglishName() == kFirstCategory)
                return std::max(0, m_categories.Find(ListItem{nullptr, static_cast<int>(i)}));
        return 0;
    }
    const int count = static_cast<int>(m_catalogue.size());
    int index = stored;
    if (profile.GetProfileInt(kSettingsSection, kCategoryOrderEntry, 0) != 1) {
        // Stored by an earlier version: its place in the list by English name. Turned once, the
        // value and its mark in one write.
        if (stored < 0 || stored >= std::min(count, static_cast<int>(kEarlierCategoryCount)))
            return 0;
        index = m_englishOrder[static_cast<std::size_t>(stored)];
        profile.WriteProfileStrings({{kSettingsSection, kCategoryEntry, std::to_string(index)},
                                     {kSettingsSection, kCategoryOrderEntry, "1"}});
    }
    const int position = m_categories.Find(ListItem{nullptr, index});
    return position < 0 ? 0 : position;
}

bool ConversionCore::IsFirstStart() const
{
    return m_memory == Memory::Selections &&
           m_store.GetProfileInt(kSettingsSection, kCategoryEntry, INT_MIN) == INT_MIN;
}

bool ConversionCore::SelectCategory(int position, Store store)
{
    if (!m_categories.SetCurSel(position))
        m_categories.SetCurSel(0);
    const ListItem item = m_categories.SelectedItem();
    m_category = nullptr;
    m_sourceText.clear();
    if (item.column < 0 || static_cast<std::size_t>(item.column) >= m_catalogue.size())
        return false;
    CCategory& category = *m_catalogue[static_cast<std::size_t>(item.column)];
    if (!category.EnsureLoaded())
        return false;
    m_category = &category;

    category.FillSourceUnits(m_sources, 0);
    category.FillTargetUnits(m_targets, 0);
    m_values.ResetContent();
    const Remembered remembered = LoadSelections();
    // Stored in the category's own order; the lists show the names sorted in the user's language.
    const auto select = [](ShownList& list, int order) {
        if (!list.SetCurSel(list.Entries().FindAddedOrder(order)))
            list.SetCurSel(0);
    };
    select(m_sources, remembered.source);
    select(m_targets, remembered.target);
    const bool converted = remembered.converted;
    // A lookup's rows are never sorted: their positions are the file's.
    if (category.IsLookup())
        RefillValues(true, remembered.value);
    // Positions just turned to the new order are stored at once: the mark that says so is.
    if (store == Store::Now || converted)
        StoreSelections();
    return true;
}

void ConversionCore::SelectSourceUnit(int position)
{
    if (!m_sources.SetCurSel(position))
        m_sources.SetCurSel(0);
    RefillValues(false, m_values.GetCurSel());
    FollowFixedRows(false);
    StoreSelections();
}

void ConversionCore::SelectTargetUnit(int position)
{
    if (!m_targets.SetCurSel(position))
        m_targets.SetCurSel(0);
    StoreSelections();
}

void ConversionCore::SelectValue(int position)
{
    if (!m_values.SetCurSel(position))
        m_values.SetCurSel(0);
    FollowFixedRows(true);
    StoreSelections();
}

bool ConversionCore::SelectSourceItem(const ListItem& item)
{
    const int position = m_sources.Find(item);
    if (position < 0)
        return false;
    SelectSourceUnit(position);
    return true;
}

bool ConversionCore::SelectTargetItem(const ListItem& item)
{
    const int position = m_targets.Find(item);
    if (position < 0)
        return false;
    SelectTargetUnit(position);
    return true;
}

bool ConversionCore::Swap()
{
    const int source = m_sources.GetCurSel();
    const int target = m_targets.GetCurSel();
    if (!m_category || source == target)
        return false;
    m_sourceText.clear();
    m_targets.SetCurSel(source);
    SelectSourceUnit(target);
    return true;
}

void ConversionCore::RefillValues(bool initial, int selection)
{
    if (!m_category || !m_category->IsLookup())
        return;
    const bool fixed = m_category->HasFixedValueList();
    if (fixed && !initial)
        return;
    // Free rows are the texts of the source entry's column; fixed rows are the source entries.
    const int column = fixed ? 0 : m_sources.SelectedItem().column;
    if (m_category->FillValueList(m_values, selection, column) && fixed)
        FollowFixedRows(true);
}

void ConversionCore::FollowFixedRows(bool fromValues)
{
    if (!m_category || !m_category->HasFixedValueList())
        return;
    ShownList& from = fromValues ? m_values : m_sources;
    ShownList& to = fromValues ? m_sources : m_values;
    const ListItem item = from.SelectedItem();
    to.SetCurSel(item.unit ? to.Find(item) : -1);
}

// --- Memory -------------------------------------------------------------------------------------

ConversionCore::Remembered ConversionCore::LoadSelections() const
{
    Remembered remembered;
    if (m_memory == Memory::None || !m_category)
        return remembered;
    const std::string section = Section();
    ProfileStore& profile = m_store;
    remembered.value = profile.GetProfileInt(section, kSourceValueEntry, 0);
    if (profile.GetProfileInt(section, kSourceUnitEntry, INT_MIN) == INT_MIN &&
        profile.GetProfileInt(section, kTargetUnitEntry, INT_MIN) == INT_MIN) {
        // A first visit: a useful pair for where the user lives, not the first entry twice.
        const FirstVisit visit =
            ChooseFirstVisit(*m_category, SourceUnits(), TargetUnits(), ReadUserRegion());
        const auto order = [](const SortedList& list, int position) {
            return position < 0 ? -1 : list.GetAddedOrder(position);
        };
        remembered.source = order(SourceUnits(), visit.source);
        remembered.target = order(TargetUnits(), visit.target);
        // Rows that follow the source entry are the file's rows, in the file's order.
        if (m_category->HasFixedValueList() && remembered.source >= 0)
            remembered.value = remembered.source;
        return remembered;
    }
    // Nothing stored (or nothing that is there): the first entry of the list.
    remembered.source = profile.GetProfileInt(section, kSourceUnitEntry, -1);
    remembered.target = profile.GetProfileInt(section, kTargetUnitEntry, -1);
    if (profile.GetProfileInt(section, kUnitOrderEntry, 0) == 1)
        return remembered;
    // Stored by an earlier version as positions in lists sorted by the English names. Columns
    // (scales, services) were always declared in that order; units are turned into file rows.
    const auto fromEarlier = [this](const SortedList& list, int position) {
        if (list.GetCount() > 0 && !list.GetItem(0).unit)
            return position;
        return m_category->FromEarlierListPosition(position);
    };
    if (profile.GetProfileInt(section, kSourceUnitEntry, INT_MIN) != INT_MIN) {
        remembered.source = fromEarlier(SourceUnits(), remembered.source);
        remembered.converted = true;
    }
    if (profile.GetProfileInt(section, kTargetUnitEntry, INT_MIN) != INT_MIN) {
        remembered.target = fromEarlier(TargetUnits(), remembered.target);
        remembered.converted = true;
    }
    return remembered;
}

std::string ConversionCore::Section() const
{
    const int index = m_categories.SelectedItem().column;
    return CategorySection(index < 0 ? index : m_sectionNumbers[static_cast<std::size_t>(index)]);
}

void ConversionCore::StoreSelections()
{
    if (m_memory == Memory::None || !m_category)
        return;
    const int index = m_categories.SelectedItem().column;
    const std::string section = Section();
    const auto order = [](const ShownList& list) {
        return std::to_string(list.Entries().GetAddedOrder(list.GetCurSel()));
    };
    // One write: a position is never stored without the mark that says how to read it.
    std::vector<ProfileStore::Value> values{
        {kSettingsSection, kCategoryEntry, std::to_string(index)},
        {kSettingsSection, kCategoryOrderEntry, "1"},
        {section, kSourceUnitEntry, order(m_sources)},
        {section, kTargetUnitEntry, order(m_targets)},
        {section, kUnitOrderEntry, "1"},
    };
    if (m_category->IsLookup())
        values.push_back({section, kSourceValueEntry, std::to_string(m_values.GetCurSel())});
    m_store.WriteProfileStrings(values);
}

// --- Values -------------------------------------------------------------------------------------

void ConversionCore::SetSourceText(const std::string& typed)
{
    // Letters are digits of other bases (and Roman numerals) in capitals only.
    m_sourceText = FromRegional(UpperCased(typed));
}

std::string ConversionCore::UpperCased(const std::string& typed)
{
    return AsciiUppered(typed);
}

std::string ConversionCore::FromRegional(const std::string& text) const
{
    if (!m_regional || text.empty())
        return text;
    return m_category && m_category->GetKind() == Currency ? FromRegionalCurrency(text)
                                                           : FromRegionalNumber(text);
}

std::string ConversionCore::ToRegional(const std::string& neutral) const
{
    if (!m_regional)
        return neutral;
    return m_category && m_category->GetKind() == Currency ? ToRegionalCurrency(neutral)
                                                           : ToRegionalNumber(neutral);
}

std::string ConversionCore::UnitDigits() const
{
    const CBaseUnit* unit = m_sources.SelectedItem().unit;
    return unit ? unit->GetInputChars() : std::string();
}

std::string ConversionCore::GetSourceInputChars() const
{
    std::string chars = UnitDigits();
    if (!chars.empty())
        return chars;
    if (!m_regional)
        return "0123456789.-";
    return "0123456789" + (m_category && m_category->GetKind() == Currency ? GetRegionalCurrencyChars()
                                                                           : GetRegionalNumberChars());
}

bool ConversionCore::IsReadableSource(const std::string& typed) const
{
    const std::string digits = UnitDigits();
    if (!digits.empty())
        return UpperCased(typed).find_first_not_of(digits) == std::string::npos;
    return IsNumberInput(FromRegional(typed));
}

ConversionCore::Result ConversionCore::Convert() const
{
    Result result;
    if (!m_category)
        return result;
    switch (m_category->GetKind()) {
    case Lookup: {
        const auto* row = dynamic_cast<const CLookupUnit*>(m_values.SelectedItem().unit);
        if (!row || m_targets.GetCurSel() < 0)
            return result;
        const std::string text = row->GetColumnText(m_targets.SelectedItem().column);
        if (m_category->FormatsTarget()) {
            result.form = Result::Form::Number;
            result.target = ToRegional(text);
        } else {
            result.form = Result::Form::Text;
            result.target = text;
        }
        return result;
    }
    case TimeZone: {
        const auto* first = dynamic_cast<const CTimeZone*>(m_sources.SelectedItem().unit);
        const auto* second = dynamic_cast<const CTimeZone*>(m_targets.SelectedItem().unit);
        if (!first || !second)
            return result;
        const UtcTicks now = m_instant ? *m_instant : CurrentUtcTicks();
        result.form = Result::Form::Times;
        result.source = first->FormatLocalTime(now);
        result.target = second->FormatLocalTime(now);
        return result;
    }
    case Numeric:
    case Currency: {
        const auto* source = dynamic_cast<const CConversionUnit*>(m_sources.SelectedItem().unit);
        const auto* target = dynamic_cast<const CConversionUnit*>(m_targets.SelectedItem().unit);
        if (!source || !target)
            return result;
        if (m_sourceText.empty()) {
            result.form = Result::Form::Empty;
            return result;
        }
        unsigned reason = source->NoResultReason(m_sourceText, *target);
        std::string text;
        if (!reason) {
            text = source->Convert(m_sourceText, *target);
            // A result beyond the largest double is no number to show or copy.
            if (IsNonFiniteText(text))
                reason = IDS_RESULT_OUT_OF_RANGE;
        }
        if (reason) {
            result.form = Result::Form::Problem;
            result.target = LoadString(reason);
            return result;
        }
        result.form = Result::Form::Number;
        result.target = ToRegional(text);
        return result;
    }
    }
    return result;
}

// --- Currencies ---------------------------------------------------------------------------------

CCurrencyCategory* ConversionCore::GetCurrencyCategory() const
{
    if (!m_category || m_category->GetKind() != Currency)
        return nullptr;
    return dynamic_cast<CCurrencyCategory*>(m_category);
}

CCurrency* ConversionCore::GetSourceCurrency() const
{
    return GetCurrencyCategory() ? dynamic_cast<CCurrency*>(m_sources.SelectedItem().unit) : nullptr;
}

ConversionCore::RateLine ConversionCore::GetRateLine() const
{
    RateLine line;
    const CCurrencyCategory* currencies = GetCurrencyCategory();
    if (!currencies)
        return line;
    line.shown = true;
    const CCurrency* source = GetSourceCurrency();
    if (!source)
        return line;
    // Every rate shows its age: where it comes from and the day it is of.
    const CCurrencyCategory::RateOrigin origin = currencies->GetRateLineOrigin(*source);
    line.text = currencies->GetRateLine(*source, m_regional);
    line.source = origin.source;
    line.date = origin.date;
    line.stale =
        origin.source != kRateSourceFixed && IsRateOutdated(origin.date, origin.source, TodayIsoDate());
    line.takesRates = source->TakesRates();
    return line;
}

bool ReadRegionalOption(const ProfileStore& store)
{
    return store.GetProfileInt(kOptionsSection, kUseRegionalSettings, 1) != 0;
}

bool WriteRegionalOption(ProfileStore& store, bool on)
{
    return store.WriteProfileInt(kOptionsSection, kUseRegionalSettings, on ? 1 : 0);
}

} // namespace kelvara
