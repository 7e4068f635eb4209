#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvara {

// The European Central Bank's daily euro reference rates: one day and, per currency, units of it
// per one euro, as the catalogue keeps rates.
struct ReferenceRates {
    std::string date; // YYYY-MM-DD
    std::vector<std::pair<std::string, double>> rates;
    // The rate as the document wrote it, when that is plain decimal notation (stored as is).
    std::vector<std::string> texts;
};

inline constexpr std::string_view kGesmesNamespace = "http://www.gesmes.org/xml/2002-08-01";
inline constexpr std::string_view kEurofxrefNamespace = "http://www.ecb.int/vocabulary/2002-08-01/eurofxref";

// Reads the document: an Envelope (gesmes namespace) holding Cube > Cube[time] > Cube[currency,
// rate] (eurofxref namespace), matched by namespace and local name whatever the prefixes. Entities
// are never expanded and documents over CXmlFile::kMaxSize are refused. All or nothing: false
// with the reason in `why` for anything not sound (not XML, a second root, no dated Cube, a date
// that is no date or lies more than a day after `today`, a code that is not three capital letters,
// a code twice, a rate that is not a positive finite number). The cost is linear in the document:
// namespaces are resolved from each element's own attributes once, and a document with more than
// kMaxReferenceElements elements or an element with more than kMaxReferenceAttributes attributes is
// refused before it is walked (the ECB's documents, the 90-day history included, have a few
// thousand elements of at most three attributes).
inline constexpr std::size_t kMaxReferenceElements = 100000;
inline constexpr std::size_t kMaxReferenceAttributes = 100;
bool ParseReferenceRates(std::string_view document, const std::string& today, ReferenceRates& rates,
                         std::string& why);

} // namespace kelvara
