#include "catalogue/category.h"

#include "catalogue/categories.h"
#include "catalogue/countrycodecategory.h"
#include "catalogue/currencycategory.h"
#include "catalogue/datalookup.h"
#include "catalogue/defaultunit.h"
#include "catalogue/sensitivitycategory.h"
#include "catalogue/textfilereader.h"
#include "catalogue/timezonecategory.h"
#include "platform/messages.h"
#include "platform/profilestore.h"
#include "text/collate.h"
#include "text/strings.h"
#include "text/translate.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <numeric>

CCategory::CCategory(CategoryKind kind, unsigned nameId, const char* baseName)
    : m_kind(kind), m_nameId(nameId), m_name(kelvara::LoadString(nameId)),
      m_fileName(baseName ? std::string(baseName) + ".dat" : "")
{
}

CCategory::~CCategory()
{
    Unload();
}

std::string CCategory::GetName() const
{
    return m_name;
}

std::string CCategory::GetEnglishName() const
{
    return kelvara::EnglishString(m_nameId);
}

std::string CCategory::GetUnitText(const CBaseUnit& unit) const
{
    // Only names from a data file are in the catalogue (tools/mkpot.py takes them from there).
    if (m_fileName.empty())
        return unit.GetName();
    return kelvara::Translate(GetEnglishName(), unit.GetName());
}

std::string CCategory::GetEnglishText(const kelvara::ListItem& item) const
{
    return item.unit ? item.unit->GetName() : std::string();
}

std::unique_ptr<CBaseUnit> CCategory::CreateUnit()
{
    return std::make_unique<CDefaultUnit>();
}

bool CCategory::Load()
{
    return kelvara::LoadCategoryData(*this);
}

bool CCategory::FillSourceUnits(kelvara::UnitList& list, int selection)
{
    FillList(list, selection, GetDropWidth());
    return true;
}

bool CCategory::FillTargetUnits(kelvara::UnitList& list, int selection)
{
    FillList(list, selection, GetDropWidth());
    return true;
}

bool CCategory::FillValueList(kelvara::UnitList&, int, int)
{
    return false;
}

const CCategory::UnitArray& CCategory::GetUnits() const
{
    static const UnitArray empty;
    return m_units ? *m_units : empty;
}

bool CCategory::EnsureLoaded()
{
    if (m_units)
        return true;
    try {
        m_units = std::make_unique<UnitArray>();
    } catch (const std::bad_alloc&) {
        ShowMessage(kelvara::IDS_OUT_OF_MEMORY, kelvara::MB_ICONERROR);
        return false;
    }
    bool loaded = false;
    {
        // A category may read a stored value for each of its rows.
        const kelvara::ProfileReads reads(kelvara::Profile());
        loaded = Load();
    }
    if (loaded)
        return true;
    ShowErrorMessage(kelvara::IDS_INIT_FAILED, kelvara::MB_ICONERROR, -1);
    Unload();
    return false;
}

namespace {
// Every line the category's units accept, in file order.
void ReadUnits(CCategory& category, CTextFileReader& reader, std::vector<std::unique_ptr<CBaseUnit>>& units)
{
    std::string line;
    while (reader.ReadLine(line)) {
        auto unit = category.CreateUnit();
        if (unit && unit->Parse(line))
            units.push_back(std::move(unit));
    }
}
} // namespace

bool CCategory::LoadDataFile(const std::string& path)
{
    if (!m_units)
        m_units = std::make_unique<UnitArray>();
    try {
        CTextFileReader reader(path);
        ReadUnits(*this, reader, *m_units);
        reader.Close();
        m_builtInData = false;
        OnUnitsLoaded();
        return true;
    } catch (const CFileException& e) {
        // Keep the system's reason for the "Initialization failed." that follows.
        errno = e.m_lOsError;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
    }
    const int saved = errno;
    ShowMessage(kelvara::IDS_DATA_OPEN_ERROR, kelvara::MB_ICONERROR);
    errno = saved;
    return false;
}

bool CCategory::LoadDataBytes(std::span<const std::uint8_t> bytes)
{
    if (!m_units)
        m_units = std::make_unique<UnitArray>();
    try {
        CTextFileReader reader(bytes);
        ReadUnits(*this, reader, *m_units);
        m_builtInData = true;
        OnUnitsLoaded();
        return true;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
    }
    const int saved = errno;
    ShowMessage(kelvara::IDS_DATA_OPEN_ERROR, kelvara::MB_ICONERROR);
    errno = saved;
    return false;
}

void CCategory::Unload()
{
    m_units.reset();
}

void CCategory::AddUnit(std::unique_ptr<CBaseUnit> unit)
{
    if (!m_units)
        m_units = std::make_unique<UnitArray>();
    m_units->push_back(std::move(unit));
}

int CCategory::FromNameOrder(int position) const
{
    if (!m_units || position < 0 || static_cast<std::size_t>(position) >= m_units->size())
        return position;
    std::vector<std::size_t> order(m_units->size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Equal names kept their file order in a sorted list.
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return kelvara::CompareListText((*m_units)[a]->GetName(), (*m_units)[b]->GetName()) < 0;
    });
    return static_cast<int>(order[static_cast<std::size_t>(position)]);
}

void CCategory::FillList(kelvara::UnitList& list, int selection, int dropWidth)
{
    list.ResetContent();
    list.SetSorted(SortsUnits());
    if (!m_units)
        return;
    for (const auto& unit : *m_units)
        list.AddEntry(GetUnitText(*unit), kelvara::ListItem{unit.get(), -1});
    if (!list.SetCurSel(selection))
        list.SetCurSel(0);
    list.SetDroppedWidth(dropWidth);
}

void CCategory::FillListByColumn(kelvara::UnitList& list, int selection, int column)
{
    list.ResetContent();
    if (!m_units)
        return;
    for (const auto& unit : *m_units) {
        // Only lookup rows have columns; other units have nothing to show here.
        if (const auto* row = dynamic_cast<const CLookupUnit*>(unit.get()))
            list.AddEntry(row->GetColumnText(column), kelvara::ListItem{unit.get(), -1});
    }
    if (!list.SetCurSel(selection))
        list.SetCurSel(0);
}

void CCategory::FillColumns(kelvara::UnitList& list, int selection,
                            const std::vector<std::pair<std::string, int>>& entries)
{
    list.ResetContent();
    // The scale and service lists share the unit lists, which another category may have unsorted.
    list.SetSorted(true);
    list.SetDroppedWidth(10);
    for (const auto& [text, column] : entries)
        list.AddEntry(text, kelvara::ListItem{nullptr, column});
    if (!list.SetCurSel(selection))
        list.SetCurSel(0);
}

bool CreateCatalogue(CCategoryArray& catalogue)
{
    if (!catalogue.empty())
        return true;
    catalogue.push_back(std::make_unique<CWeightCategory>());
    catalogue.push_back(std::make_unique<CLengthCategory>());
    catalogue.push_back(std::make_unique<CAreaCategory>());
    catalogue.push_back(std::make_unique<CCapacityCategory>());
    catalogue.push_back(std::make_unique<CSpeedCategory>());
    catalogue.push_back(std::make_unique<CPressureCategory>());
    catalogue.push_back(std::make_unique<CPowerCategory>());
    catalogue.push_back(std::make_unique<CEnergyCategory>());
    catalogue.push_back(std::make_unique<CTemperatureCategory>());
    catalogue.push_back(std::make_unique<CNumberCategory>());
    catalogue.push_back(std::make_unique<CCurrencyCategory>());
    catalogue.push_back(std::make_unique<CSensitivityCategory>());
    catalogue.push_back(std::make_unique<CCountryCodeCategory>());
    catalogue.push_back(std::make_unique<CTimeZoneCategory>());
    // Added later: appended, so that the places above keep what the settings remember of them.
    catalogue.push_back(std::make_unique<CTimeCategory>());
    catalogue.push_back(std::make_unique<CDataSizeCategory>());
    catalogue.push_back(std::make_unique<CDataRateCategory>());
    catalogue.push_back(std::make_unique<CFuelEconomyCategory>());
    catalogue.push_back(std::make_unique<CAngleCategory>());
    catalogue.push_back(std::make_unique<CFrequencyCategory>());
    catalogue.push_back(std::make_unique<CForceCategory>());
    catalogue.push_back(std::make_unique<CTorqueCategory>());
    catalogue.push_back(std::make_unique<CDensityCategory>());
    catalogue.push_back(std::make_unique<CAccelerationCategory>());
    return true;
}
