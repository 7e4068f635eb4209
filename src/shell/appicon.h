#pragma once

#include <QIcon>

namespace kelvara {

// The program's own icon.
inline constexpr unsigned IDR_MAINFRAME = 128;

// Icon resource `id` with the sizes the build made of it (16 to 256 pixels), up to `maxSize` when
// given; a null icon when there is no such resource.
QIcon LoadIconResource(unsigned id, int maxSize = 0);

} // namespace kelvara
