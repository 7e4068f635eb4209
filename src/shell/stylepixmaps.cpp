#include "shell/stylepixmaps.h"

#include "shell/appicon.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>

namespace kelvara {

namespace {

// The digits QPixmap::load puts into its cache keys: each byte of the value in memory order,
// low nibble first.
template <typename T> QString KeyDigits(T value)
{
    static const char digits[] = "0123456789abcdef";
    QString text;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        text += QLatin1Char(digits[bytes[i] & 0xF]);
        text += QLatin1Char(digits[bytes[i] >> 4]);
    }
    return text;
}

} // namespace

void PreloadStylePixmaps()
{
    if (QApplication::style()->name() != QLatin1String("fusion"))
        return;
    const QFileInfo info(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
    if (!info.exists())
        return;
    const QImage image = ReadPng(info.filePath());
    if (image.isNull())
        return;
    // The key of a pixmap read from a file: its path, time, size and kind (0, an ordinary pixmap).
    const QString key = QLatin1String("qt_pixmap") + info.absoluteFilePath() +
                        KeyDigits(static_cast<uint>(info.lastModified().toSecsSinceEpoch())) +
                        KeyDigits(static_cast<quint64>(info.size())) + KeyDigits(0u);
    QPixmapCache::insert(key, QPixmap::fromImage(image));
}

} // namespace kelvara
