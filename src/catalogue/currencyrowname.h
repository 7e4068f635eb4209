#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// What a currency row of the built-in data names: the country (or territory) and, for a currency
// ISO 4217 no longer lists, the currency's own English name. The rows put the two side by side as
// English does ("Switzerland Francs"); other languages write "Schweiz – Schweizer Franken".
struct CurrencyRowParts {
    std::string_view country;     // English, as our catalogue translates it (context "Country")
    std::string_view countryCode; // ISO 3166-1 Internet code; empty for a place ISO does not list
    std::string_view currency;    // English (context "Currency name"); empty: iso-codes names the code
};

// The parts of the row named `rowName` ("Andorra Euro"); null for a row the table does not know
// (a data file of the user's own, or a row that names no country, such as "[Gold Ounces]").
const CurrencyRowParts* FindCurrencyRowParts(std::string_view rowName);

// The row's name in the language of the texts: as the data file writes it in English; otherwise
// "country – currency", each from our catalogue or iso-codes' (whichever has it), the ended
// currency's '*' kept before its name. Rows without parts are translated whole.
std::string CurrencyRowText(std::string_view rowName, std::string_view code);

} // namespace kelvara
