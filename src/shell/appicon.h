#pragma once

#include <QIcon>

namespace kelvara {

// The program's own icon.
inline constexpr unsigned IDR_MAINFRAME = 128;

// Icon resource `id` with every size the build made of it (16 to 256 pixels); a null icon when
// there is no such resource.
QIcon LoadIconResource(unsigned id);

} // namespace kelvara
