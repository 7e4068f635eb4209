#pragma once

namespace kelvara {

// The Fusion style draws group-box frames from a PNG it loads by file name. Qt's image reader then
// asks every image-format plugin whether it knows the file, which maps all of them and the JPEG
// library into the program at its first paint. Reading that one picture as PNG into the pixmap
// cache, where the style looks first, spares the start that work. Nothing happens under another
// style; should the cache key ever differ, the style simply reads the file as before.
void PreloadStylePixmaps();

} // namespace kelvara
