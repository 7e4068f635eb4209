#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvara {

// The exchange-api project's daily euro document: {"date": "YYYY-MM-DD", "eur": {"usd": 1.136, ...}}.
struct WorldRates {
    std::string date;
    // Per currency code (upper case), units of it per one euro, in the document's order.
    std::vector<std::pair<std::string, double>> rates;
};

// Documents larger than this are refused unread, as the other documents are.
inline constexpr std::size_t kMaxWorldRatesSize = 4 * 1024 * 1024;
// At most this many rates, and nesting this deep, in a document.
inline constexpr std::size_t kMaxWorldRates = 20000;
inline constexpr std::size_t kMaxWorldDepth = 16;

// Reads the document, all or nothing: false with the reason in `why` when it is not JSON, has no
// object at the top, no "date" or no "eur" object, a date that is no date or lies more than a day
// after `today`, a key twice, or a currency (a key of three letters) whose rate is not a positive
// finite number. Other keys of "eur" (the crypto tokens the document also lists) are skipped
// unread. The cost is linear in the document.
bool ParseWorldRates(std::string_view document, const std::string& today, WorldRates& rates, std::string& why);

} // namespace kelvara
