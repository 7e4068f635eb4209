#pragma once

#include <QIcon>
#include <QImage>

namespace kelvara {

// The program's own icon.
inline constexpr unsigned IDR_MAINFRAME = 128;

// Icon resource `id` with the sizes the build made of it (16 to 256 pixels), up to `maxSize` when
// given; a null icon when there is no such resource.
QIcon LoadIconResource(unsigned id, int maxSize = 0);

// The picture at `path`, read as PNG by name: letting Qt guess the format would ask every
// image-format plugin about the file, and so load them all.
QImage ReadPng(const QString& path);

} // namespace kelvara
