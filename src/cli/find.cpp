// kelvara-cli find: every unit of every category whose text holds the words typed.

#include "catalogue/countrycode.h"
#include "catalogue/datalookup.h"
#include "catalogue/timezone.h"
#include "catalogue/timezonecategory.h"
#include "cli/commands.h"
#include "platform/messages.h"
#include "text/strings.h"
#include "text/textmatch.h"

namespace kelvara::cli {

int Commands::Find(const std::vector<std::string>& words)
{
    std::string joined;
    for (const auto& word : words)
        joined += word + " ";
    const TextQuery query(joined);

    const SortedList& categories = m_core.Categories();

    bool found = false;
    for (int c = 0; c < categories.GetCount(); ++c) {
        CCategory& category =
            *m_catalogue.Categories()[static_cast<std::size_t>(categories.GetItem(c).column)];
        // Reading a zone's file to learn its offset is the dearest part of a search, so zones whose
        // names cannot match are not read.
        if (auto* zones = dynamic_cast<CTimeZoneCategory*>(&category))
            zones->SetZoneFilter([&query](std::string_view id) {
                return query.MayMatchAfterPrefix(id, kZoneNamePrefixChars);
            });
        // A category that cannot load has said why on standard error; the others are still searched.
        if (!m_catalogue.Load(category))
            continue;
        SortedList units;
        category.FillSourceUnits(units, 0);
        for (int u = 0; u < units.GetCount(); ++u) {
            const std::string& text = units.GetText(u);
            std::string searched = text;
            // Found by the English name too, whatever the language the entries are in.
            const std::string english = category.GetEnglishText(units.GetItem(u));
            if (!english.empty() && english != text)
                searched += "\t" + english;
            // Countries are also found by their Internet code ("jp"), which their entries do not show.
            // "??" marks a code that is not known, not one to be found by.
            const auto* country = dynamic_cast<const CCountryCode*>(units.GetItem(u).unit);
            if (country && country->GetCode() != "??")
                searched += "\t" + country->GetCode();
            if (query.Matches(searched)) {
                Print(categories.GetText(c) + "\t" + text);
                found = true;
            }
        }
    }
    m_catalogue.ReleaseArchive();
    return found ? kExitOk : kExitNotFound;
}

} // namespace kelvara::cli
