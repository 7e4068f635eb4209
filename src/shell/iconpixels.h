#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvara {

// The sizes of the program's icon that the window and the tray ask for at start-up, as
// premultiplied ARGB pixels (QImage::Format_ARGB32_Premultiplied, rows top to bottom), made from
// the icon's PNGs when the program is built: the first window shows without decoding a picture.
struct IconPixels {
    int size;
    const std::uint32_t* pixels;
};

extern const IconPixels kIconPixels[];
extern const std::size_t kIconPixelsCount;

} // namespace kelvara
