#include "shell/appicon.h"

#include "shell/iconpixels.h"

#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QPair>
#include <QPixmap>

namespace kelvara {

namespace {

// One size of icon `id`: from the pixels the build made of the program's icon, or from its PNG.
QPixmap ReadPicture(unsigned id, int size, const QString& path)
{
    if (id == IDR_MAINFRAME) {
        for (std::size_t i = 0; i < kIconPixelsCount; ++i) {
            if (kIconPixels[i].size == size)
                return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(kIconPixels[i].pixels), size,
                                                 size, QImage::Format_ARGB32_Premultiplied));
        }
    }
    const QImage image = ReadPng(path);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

} // namespace

QImage ReadPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QIcon LoadIconResource(unsigned id, int maxSize)
{
    // Asked for by the application, the window and the tray; read once.
    static QHash<QPair<unsigned, int>, QIcon> loaded;
    // Each size is read once: the window's set and the tray's share their pictures.
    static QHash<QString, QPixmap> pictures;
    const auto known = loaded.constFind({id, maxSize});
    if (known != loaded.constEnd())
        return *known;

    // The build puts each size of icon <id> at :/icons/<id>/<size>.png. The listing is not filtered
    // by pattern: that would load the regular-expression library at start-up.
    const QString folder = QStringLiteral(":/icons/%1/").arg(id);
    QIcon icon;
    const QStringList files = QDir(folder).entryList(QDir::Files);
    for (const QString& file : files) {
        if (!file.endsWith(QLatin1String(".png")))
            continue;
        const int size = QStringView(file).chopped(4).toInt();
        if (size <= 0 || (maxSize > 0 && size > maxSize))
            continue;
        auto picture = pictures.constFind(folder + file);
        if (picture == pictures.constEnd())
            picture = pictures.insert(folder + file, ReadPicture(id, size, folder + file));
        if (!picture->isNull())
            icon.addPixmap(*picture);
    }
    loaded.insert({id, maxSize}, icon);
    return icon;
}

} // namespace kelvara
