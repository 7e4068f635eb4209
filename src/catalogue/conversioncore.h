#pragma once

#include "catalogue/category.h"
#include "catalogue/sortedlist.h"
#include "platform/clock.h"

#include <optional>
#include <string>
#include <vector>

class CCurrency;
class CCurrencyCategory;

namespace kelvara {

class ProfileStore;

// One list of the conversion: the entries as the category fills them, told also to a view (a
// drop-down list of the window) so that its positions are the list's.
class ShownList : public UnitList {
public:
    explicit ShownList(bool sorted) : m_entries(sorted) {}

    void SetView(UnitList* view) { m_view = view; }

    void ResetContent() override;
    void SetSorted(bool sorted) override;
    int AddEntry(const std::string& text, const ListItem& item) override;
    bool SetCurSel(int position) override;
    void SetDroppedWidth(int width) override;

    const SortedList& Entries() const { return m_entries; }
    int GetCurSel() const { return m_entries.GetCurSel(); }
    // The selected entry's item; an empty item when nothing is selected.
    ListItem SelectedItem() const;
    // The first position whose entry carries `item`'s unit (or, without one, its column); -1 if none.
    int Find(const ListItem& item) const;

private:
    SortedList m_entries;
    UnitList* m_view = nullptr;
};

// Whether two list entries give the same result: the same row or column, or two units that convert
// alike (several rows of one currency, at one rate). A name that fits both is no ambiguity.
bool ConvertAlike(const ListItem& a, const ListItem& b);

// The conversion itself, whoever shows it: the chosen category, its source and target units (or
// looked-up row), the value typed, the result and the rate line. The window's page shows what it
// says and passes on what the user does; kelvara-cli chooses by name and prints.
//
// With memory, the selections of each category are kept in the settings store the core is given,
// in orders that no language changes: "Settings" / "Category" is the category's place in the
// catalogue (marked "CategoryOrder" = 1); "Settings\Categories\<n>" holds "SourceUnit", "TargetUnit"
// and "SourceValue" (lookups only) as rows of the data file or columns in the category's order
// (marked "UnitOrder" = 1). n is the category's place among the English names of the earlier
// categories (kEarlierCategoryCount), or, for a category added since, its place in the catalogue.
// Positions an earlier version stored in the lists sorted by English name are turned once, when
// first read.
class ConversionCore {
public:
    enum class Memory { None, Selections };
    // When a category's selections are stored: at once, or by a later StoreSelections (a window
    // that shows before writing its settings).
    enum class Store { Now, Later };

    // `catalogue` must be created (CreateCatalogue) and, like `store`, outlive the core. The store
    // is read and written only with memory.
    ConversionCore(CCategoryArray& catalogue, ProfileStore& store, Memory memory = Memory::None);
    ConversionCore(const ConversionCore&) = delete;
    ConversionCore& operator=(const ConversionCore&) = delete;

    // Views told every change of the lists (any may be null).
    void SetViews(UnitList* categories, UnitList* sources, UnitList* targets, UnitList* values);

    // The categories by name; each entry's column is the category's position in the catalogue.
    const SortedList& Categories() const { return m_categories.Entries(); }
    const SortedList& SourceUnits() const { return m_sources.Entries(); }
    const SortedList& TargetUnits() const { return m_targets.Entries(); }
    // The rows of a lookup category, as the source entry's column shows them.
    const SortedList& Values() const { return m_values.Entries(); }

    // The position in Categories() of the category chosen last (0 without memory; Length at a
    // first start, when none was stored).
    int RememberedCategory() const;
    // Whether the store holds no category yet: the program was never used.
    bool IsFirstStart() const;
    // Chooses the category at `position` of Categories() (outside it: the first), loads it (failures
    // are reported to the user) and fills the lists with the selections remembered for it. The
    // source text is emptied. False when the category could not be loaded.
    bool SelectCategory(int position, Store store = Store::Now);
    CCategory* GetCategory() const { return m_category; }
    int GetCategoryPosition() const { return m_categories.GetCurSel(); }

    // The user's choices, by position in the lists (outside: the first entry). A lookup's source
    // column refills the rows; where rows and source entries are the same (HasFixedValueList), the
    // one follows the other. Each choice is remembered at once.
    void SelectSourceUnit(int position);
    void SelectTargetUnit(int position);
    void SelectValue(int position);
    // The same by item, for a caller that chose from lists of its own; false when the lists hold no
    // such entry.
    bool SelectSourceItem(const ListItem& item);
    bool SelectTargetItem(const ListItem& item);
    // Exchanges the source and target units and empties the source text; false (nothing changed)
    // when both are the same entry.
    bool Swap();
    void StoreSelections();

    // Values are read and results written in the user's regional notation (on) or in neutral notation.
    void SetRegional(bool on) { m_regional = on; }
    bool IsRegional() const { return m_regional; }
    // The source value as the user typed it (letters of other bases in either case).
    void SetSourceText(const std::string& typed);
    // The source value in neutral notation, upper case.
    const std::string& GetSourceText() const { return m_sourceText; }
    // How a typed value is shown and read: letters (digits of other bases, Roman numerals) in
    // capitals, ASCII only, as the units read them.
    static std::string UpperCased(const std::string& typed);
    // The characters a value of the source unit may hold: the unit's own digits, else those of a
    // decimal number in the notation chosen (the user's regional notation of the category's kind,
    // or "0123456789.-").
    std::string GetSourceInputChars() const;
    // Whether `typed` reads as a value of the source unit: only its digits, or a decimal number with
    // an optional minus sign.
    bool IsReadableSource(const std::string& typed) const;

    // The universal time the zones show instead of the current one.
    void SetInstant(std::optional<UtcTicks> instant) { m_instant = instant; }

    struct Result {
        enum class Form {
            None,    // nothing chosen to convert: what is shown stays
            Empty,   // no source value: no result
            Number,  // a number in the notation chosen; also what is copied
            Text,    // a looked-up text shown as it is
            Times,   // both zones' local times
            Problem, // no number: `target` tells the user why (0 into a reciprocal unit, overflow)
        };
        Form form = Form::None;
        std::string source; // Times: the source zone's time
        std::string target;
    };
    Result Convert() const;

    // The line above a currency result: "1 € = 1.29301" with where the rate comes from and its day.
    struct RateLine {
        bool shown = false;      // a currency category
        std::string text;        // empty without a source currency
        std::string source;      // kRateSourceEcb, kRateSourceTyped, ...; kRateSourceFixed never ages
        std::string date;        // YYYY-MM-DD; empty when not known
        bool stale = false;      // built-in, of unknown day or older than kRateWarningDays
        bool takesRates = false; // the source currency takes a typed or fetched rate
    };
    RateLine GetRateLine() const;

    CCurrencyCategory* GetCurrencyCategory() const;
    CCurrency* GetSourceCurrency() const;

private:
    // The selections stored for the category chosen, in its own order; `converted` when they were
    // stored by an earlier version (and are to be stored again, marked).
    struct Remembered {
        int source = -1; // -1: the first entry of the list
        int target = -1;
        int value = 0;
        bool converted = false;
    };
    Remembered LoadSelections() const;
    // "Settings\Categories\<n>" of the category chosen.
    std::string Section() const;
    // The source unit's own digits; empty for a decimal number.
    std::string UnitDigits() const;
    // `text` between neutral notation and the regional one of the category's kind.
    std::string FromRegional(const std::string& text) const;
    std::string ToRegional(const std::string& neutral) const;
    void RefillValues(bool initial, int selection);
    void FollowFixedRows(bool fromValues);

    CCategoryArray& m_catalogue;
    ProfileStore& m_store;
    Memory m_memory;
    std::vector<int> m_englishOrder;   // catalogue places by English name
    std::vector<int> m_sectionNumbers; // the other way round
    CCategory* m_category = nullptr;
    ShownList m_categories{true};
    ShownList m_sources{true};
    ShownList m_targets{true};
    ShownList m_values{false};
    std::string m_sourceText;
    bool m_regional = false;
    std::optional<UtcTicks> m_instant;
};

// The regional-notation option as `store` keeps it (on unless turned off); read and written only
// here, so that every page agrees on its key and default. False when the store refused the write.
bool ReadRegionalOption(const ProfileStore& store);
bool WriteRegionalOption(ProfileStore& store, bool on);

} // namespace kelvara
