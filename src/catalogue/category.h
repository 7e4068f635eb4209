#pragma once

#include "catalogue/baseunit.h"
#include "catalogue/unitlist.h"
#include "text/strings.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// How the page converts in a category; the numbers are stable.
enum CategoryKind : int {
    Lookup = 1,   // the source value is picked from a list; the result is a column of the row
    Numeric = 2,  // the source unit's Convert
    Currency = 3, // as Numeric, plus the rate controls
    TimeZone = 4, // both values show clock times of the picked zones
};

// One kind of quantity the user converts or looks up. A category holds its display name, its data
// file's name and, once loaded, its units; it fills the page's lists and answers the questions
// with which the page arranges itself.
class CCategory {
public:
    using UnitArray = std::vector<std::unique_ptr<CBaseUnit>>;

    // `nameId` is the string-table entry of the display name; `baseName` the data file's name
    // without ".dat" (null: no data file).
    CCategory(CategoryKind kind, unsigned nameId, const char* baseName);
    virtual ~CCategory();
    CCategory(const CCategory&) = delete;
    CCategory& operator=(const CCategory&) = delete;

    virtual std::string GetName() const;
    // The name in English, whatever the language: what scripts name the category by, and the
    // context in which the catalogue translates the names of its units.
    std::string GetEnglishName() const;
    // The text the lists show for `unit`: its name in the user's language (the data file's name
    // where the catalogue has none).
    virtual std::string GetUnitText(const CBaseUnit& unit) const;
    // The English text of a list entry this category filled (a unit's name as its data file writes
    // it); empty for an entry that has no other text than the one shown.
    virtual std::string GetEnglishText(const kelvara::ListItem& item) const;
    virtual int GetDropWidth() const { return 10; }
    virtual bool IsLookup() const { return m_kind == Lookup; }
    virtual bool IsSourceReadOnly() const { return false; }
    virtual bool HasFixedValueList() const { return false; }
    virtual bool NeedsClock() const { return false; }
    virtual bool CanClear() const { return true; }
    virtual bool FormatsTarget() const { return true; }
    virtual bool SeparatorBelowUnits() const { return true; }
    virtual bool CanSwap() const { return true; }
    // Whether the unit lists show the units by name, or in the order the category holds them.
    virtual bool SortsUnits() const { return true; }
    // The position in this category's own order of the unit at `position` of the units sorted by
    // their English names, as every list once showed them; a position outside the units comes back
    // unchanged.
    int FromNameOrder(int position) const;
    // The row of the data file meant by the position of a unit stored by an earlier version, which
    // kept positions in the lists sorted by the English names.
    virtual int FromEarlierListPosition(int position) const { return FromNameOrder(position); }
    virtual unsigned GetSourceValueLabelId() const { return kelvara::IDS_SOURCE_VALUE_LABEL; }
    virtual unsigned GetSourceUnitLabelId() const { return kelvara::IDS_SOURCE_UNIT_LABEL; }
    virtual unsigned GetTargetValueLabelId() const { return kelvara::IDS_TARGET_VALUE_LABEL; }
    virtual unsigned GetTargetUnitLabelId() const { return kelvara::IDS_TARGET_UNIT_LABEL; }
    virtual std::unique_ptr<CBaseUnit> CreateUnit();
    virtual bool Load();
    virtual bool FillSourceUnits(kelvara::UnitList& list, int selection);
    virtual bool FillTargetUnits(kelvara::UnitList& list, int selection);
    virtual bool FillValueList(kelvara::UnitList& list, int selection, int column);

    CategoryKind GetKind() const { return m_kind; }
    // Whether the source value is a number the user types and the result one computed from it.
    bool TakesTypedNumber() const { return m_kind == Numeric || m_kind == Currency; }
    std::string GetDataFileName() const { return m_fileName; }
    bool IsLoaded() const { return m_units != nullptr; }
    // Whether the units came from the data carried in the program (not from a file beside it).
    bool IsBuiltInData() const { return m_builtInData; }
    // The units in file order; empty while not loaded.
    const UnitArray& GetUnits() const;

    // Loads the units on first use; reports failures to the user. True when the units are there.
    bool EnsureLoaded();
    // Reads a data file into the units list; false (after telling the user) when it cannot.
    bool LoadDataFile(const std::string& path);
    // The same for the bytes of a data file held in memory.
    bool LoadDataBytes(std::span<const std::uint8_t> bytes);
    void Unload();

    void FillList(kelvara::UnitList& list, int selection, int dropWidth);
    void FillListByColumn(kelvara::UnitList& list, int selection, int column);

protected:
    // After a data file's rows became units: a category that relates its rows to each other does so.
    virtual void OnUnitsLoaded() {}
    // Adds a unit made by a category's own Load.
    void AddUnit(std::unique_ptr<CBaseUnit> unit);
    // Fills `list` with fixed entries (text, column number) as the scale and service lists are.
    static void FillColumns(kelvara::UnitList& list, int selection,
                            const std::vector<std::pair<std::string, int>>& entries);

private:
    CategoryKind m_kind;
    unsigned m_nameId;
    std::string m_name;
    std::string m_fileName;
    std::unique_ptr<UnitArray> m_units;
    bool m_builtInData = false;
};

// The categories in their fixed order: new ones are only ever appended, since a category's place
// is what the settings remember.
using CCategoryArray = std::vector<std::unique_ptr<CCategory>>;
bool CreateCatalogue(CCategoryArray& catalogue);

namespace kelvara {
// How many categories the catalogue had before any was added: earlier versions numbered these by
// their English names.
inline constexpr std::size_t kEarlierCategoryCount = 14;
} // namespace kelvara
