#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// `text` made safe as one query value: every byte but ASCII letters, digits and "-._~" becomes
// %XX (upper-case hexadecimal), so "&", "#", "/", spaces and line breaks cannot change the
// meaning of the address they are put into.
std::string EscapeQueryValue(std::string_view text);

} // namespace kelvara
