#include "catalogue/countrycodecategory.h"

#include "catalogue/isonames.h"
#include "platform/translations.h"
#include "text/strings.h"
#include "text/textcase.h"
#include "text/translate.h"

#include <cstring>

namespace {
// The services, English-sorted as the lists showed them when they were stored by position.
struct Service {
    unsigned nameId;
    int column;
};
constexpr Service kServices[] = {
    {kelvara::IDS_FIRE_DEPARTMENT, CCountryCode::ColumnFire},
    {kelvara::IDS_POLICE_DEPARTMENT, CCountryCode::ColumnPolice},
    {kelvara::IDS_RESCUE, CCountryCode::ColumnRescue},
};

// Whether the country names are to come from iso-codes: only with a catalogue of ours in a
// language other than English, so that iso-codes' English names never replace the file's.
bool TakesIsoNames()
{
    const std::string language = kelvara::CatalogueLanguage();
    return !language.empty() && language != "en" && language.rfind("en_", 0) != 0 &&
           language.rfind("en@", 0) != 0;
}
} // namespace

std::string CCountryCodeCategory::GetUnitText(const CBaseUnit& unit) const
{
    const auto* country = dynamic_cast<const CCountryCode*>(&unit);
    if (country && TakesIsoNames()) {
        if (const char* isoName = kelvara::IsoCountryName(kelvara::AsciiLowered(country->GetCode()))) {
            const char* translated = kelvara::TranslateFrom(kelvara::kCountryDomain, isoName);
            if (translated && std::strcmp(translated, isoName) != 0)
                return translated;
        }
    }
    return CCategory::GetUnitText(unit);
}

std::string CCountryCodeCategory::GetEnglishText(const kelvara::ListItem& item) const
{
    if (item.unit)
        return CCategory::GetEnglishText(item);
    for (const Service& service : kServices)
        if (service.column == item.column)
            return kelvara::EnglishString(service.nameId);
    return {};
}

bool CCountryCodeCategory::FillTargetUnits(kelvara::UnitList& list, int selection)
{
    std::vector<std::pair<std::string, int>> entries;
    for (const Service& service : kServices)
        entries.emplace_back(kelvara::LoadString(service.nameId), service.column);
    FillColumns(list, selection, entries);
    return true;
}

bool CCountryCodeCategory::FillValueList(kelvara::UnitList& list, int selection, int)
{
    FillListByColumn(list, selection, CCountryCode::ColumnCodeAndPrefix);
    return true;
}
