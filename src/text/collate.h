#pragma once

#include <string_view>

namespace kelvara {

// The order of the sorted lists: case-insensitive, symbols before digits before letters, accented
// letters beside their plain forms ("[UK] gallon (gal)" < "cubic inch (cu in)",
// "° Celsius (°C)" < "Kelvin (K)"). Returns <0, 0 or >0. Equal texts compare 0; texts that
// differ only in case or accents are ordered too, so that the order is total.
int CompareListText(std::string_view a, std::string_view b);

} // namespace kelvara
