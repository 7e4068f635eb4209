#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// The order of the sorted lists: case-insensitive, symbols before digits before letters, accented
// letters beside their plain forms ("[UK] gallon (gal)" < "cubic inch (cu in)",
// "° Celsius (°C)" < "Kelvin (K)"). Returns <0, 0 or >0. Equal texts compare 0; texts that
// differ only in case or accents are ordered too, so that the order is total.
int CompareListText(std::string_view a, std::string_view b);

// `text` as the list order sees its letters: lower case and without accents ("Réaumur" ->
// "reaumur"); digits, symbols and other scripts stay as they are.
std::string FoldListText(std::string_view text);

} // namespace kelvara
