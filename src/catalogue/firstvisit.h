#pragma once

#include "catalogue/category.h"
#include "catalogue/sortedlist.h"
#include "platform/userregion.h"

namespace kelvara {

// The entries a category opens on when the user has not been there before: the unit of their own
// system and its usual counterpart (metre to foot; in the United States the other way round), their
// own currency against the euro, their country, their zone against UTC. Positions in `sources` and
// `targets` as the category filled them; -1 where the table names nothing for the category or the
// list lacks it.
struct FirstVisit {
    int source = -1;
    int target = -1;
};
FirstVisit ChooseFirstVisit(const CCategory& category, const SortedList& sources, const SortedList& targets,
                            const UserRegion& region);

// The English name of the category a first start opens on.
inline constexpr const char* kFirstCategory = "Length";

} // namespace kelvara
