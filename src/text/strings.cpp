#include "text/strings.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace kelvara {

namespace {
struct Entry {
    unsigned id;
    const char* text;
};

#define KELVARA_STRING(name, id, text) Entry{id, text},
constexpr Entry kStrings[] = {
#include "strings.inc"
};
#undef KELVARA_STRING

constexpr bool SortedById()
{
    for (std::size_t i = 1; i < std::size(kStrings); ++i)
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    return true;
}
static_assert(SortedById(), "string table entries must be sorted by id and unique");
} // namespace

const std::string& LoadString(unsigned id)
{
    // Built once; the table is small and read often (labels, captions, messages).
    static const auto table = [] {
        std::array<std::pair<unsigned, std::string>, std::size(kStrings)> t;
        std::transform(std::begin(kStrings), std::end(kStrings), t.begin(), [](const Entry& e) {
            return std::pair<unsigned, std::string>{e.id, e.text};
        });
        return t;
    }();
    static const std::string empty;
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const auto& entry, unsigned key) { return entry.first < key; });
    return (it != table.end() && it->first == id) ? it->second : empty;
}

} // namespace kelvara
