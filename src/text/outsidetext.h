#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvara {

// Text a server or a document chose (a reason phrase, a date, a key, an error description), made
// safe to show in a terminal, a message box or the settings file: every control character (C0,
// DEL, C1) and every byte that is not UTF-8 becomes '?', and the text is cut after `max`
// characters with "..." (never inside a character).
inline constexpr std::size_t kMaxOutsideText = 40;
// For a whole error description that quotes such text (the network layer's, with a reason phrase).
inline constexpr std::size_t kMaxErrorText = 200;
std::string OutsideText(std::string_view text, std::size_t max = kMaxOutsideText);

} // namespace kelvara
