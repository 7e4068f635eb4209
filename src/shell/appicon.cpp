#include "shell/appicon.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPair>

namespace kelvara {

QIcon LoadIconResource(unsigned id, int maxSize)
{
    // Asked for by the application, the window and the tray; read once.
    static QHash<QPair<unsigned, int>, QIcon> loaded;
    const auto known = loaded.constFind({id, maxSize});
    if (known != loaded.constEnd())
        return *known;

    // The build puts each size of icon <id> at :/icons/<id>/<size>.png.
    const QDir folder(QStringLiteral(":/icons/%1").arg(id));
    QIcon icon;
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.png")}, QDir::Files);
    for (const QFileInfo& file : files) {
        const int size = file.baseName().toInt();
        if (maxSize <= 0 || size <= maxSize)
            icon.addFile(file.filePath(), QSize(size, size));
    }
    loaded.insert({id, maxSize}, icon);
    return icon;
}

} // namespace kelvara
