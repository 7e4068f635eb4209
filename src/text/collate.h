#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// The order of the sorted lists: case-insensitive, symbols before digits before letters, accented
// letters beside their plain forms ("[UK] gallon (gal)" < "cubic inch (cu in)",
// "° Celsius (°C)" < "Kelvin (K)"). Returns <0, 0 or >0. Equal texts compare 0; texts that
// differ only in case or accents are ordered too, so that the order is total.
int CompareListText(std::string_view a, std::string_view b);

// The order of the lists as the user reads them: in a language other than English, that language's
// collation (Polish ł after l, Cyrillic in its alphabet's order, Japanese kana by their reading
// order); in English, or when the language has no collation, CompareListText. Ties go to
// CompareListText, so the order stays total.
int CompareDisplayText(std::string_view a, std::string_view b);
// The language CompareDisplayText sorts by ("pl", "pt_BR"); empty for English.
void SetCollationLanguage(const std::string& language);

// `text` as the list order sees its letters: lower case and without accents ("Réaumur" ->
// "reaumur", "Фунт" -> "фунт", "Łódź" -> "łodz"); digits and symbols stay as they are.
std::string FoldListText(std::string_view text);

// `text` with its first letter lowered when it begins a word in small letters ("Franc suisse" ->
// "franc suisse", "Доллар США" -> "доллар США"); a word in capitals ("CFA") stays as it is.
std::string LowerFirstLetterOfWord(std::string_view text);

} // namespace kelvara
