#include "shell/appicon.h"

#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QPair>
#include <QPixmap>

namespace kelvara {

QIcon LoadIconResource(unsigned id, int maxSize)
{
    // Asked for by the application, the window and the tray; read once.
    static QHash<QPair<unsigned, int>, QIcon> loaded;
    // Each size is read once: the window's set and the tray's share their pictures.
    static QHash<QString, QPixmap> pictures;
    const auto known = loaded.constFind({id, maxSize});
    if (known != loaded.constEnd())
        return *known;

    // The build puts each size of icon <id> at :/icons/<id>/<size>.png. Read as PNG by name: letting
    // Qt guess the format, or filtering the listing by pattern, would load every image-format plugin
    // and the regular-expression library at start-up.
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
        if (picture == pictures.constEnd()) {
            QImageReader reader(folder + file, "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            picture = pictures.insert(folder + file, image.isNull() ? QPixmap() : QPixmap::fromImage(image));
        }
        if (!picture->isNull())
            icon.addPixmap(*picture);
    }
    loaded.insert({id, maxSize}, icon);
    return icon;
}

} // namespace kelvara
