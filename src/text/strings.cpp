#include "text/strings.h"

#include "text/translate.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <iterator>
#include <mutex>

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
    // The table in the user's language, built on first use and again after a change of language.
    // Earlier tables are kept: callers may hold a reference to one of their texts.
    using Table = std::array<std::pair<unsigned, std::string>, std::size(kStrings)>;
    static std::mutex mutex;
    static std::deque<Table> tables;
    static std::atomic<unsigned> builtFor{0};
    static std::atomic<const Table*> current{nullptr};
    const unsigned generation = TranslationGeneration();
    if (builtFor.load(std::memory_order_acquire) != generation) {
        std::lock_guard lock(mutex);
        if (builtFor.load(std::memory_order_relaxed) != generation) {
            Table& t = tables.emplace_back();
            std::transform(std::begin(kStrings), std::end(kStrings), t.begin(), [](const Entry& e) {
                return std::pair<unsigned, std::string>{e.id, Translate(e.text)};
            });
            current.store(&t, std::memory_order_release);
            builtFor.store(generation, std::memory_order_release);
        }
    }
    const Table& table = *current.load(std::memory_order_acquire);
    static const std::string empty;
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const auto& entry, unsigned key) { return entry.first < key; });
    return (it != table.end() && it->first == id) ? it->second : empty;
}

const char* EnglishString(unsigned id)
{
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& entry, unsigned key) { return entry.id < key; });
    return (it != std::end(kStrings) && it->id == id) ? it->text : "";
}

} // namespace kelvara
