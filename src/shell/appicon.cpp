#include "shell/appicon.h"

#include <QDir>
#include <QFileInfo>

namespace kelvara {

QIcon LoadIconResource(unsigned id)
{
    // The build puts each size of icon <id> at :/icons/<id>/<size>.png.
    const QDir folder(QStringLiteral(":/icons/%1").arg(id));
    QIcon icon;
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.png")}, QDir::Files);
    for (const QFileInfo& file : files)
        icon.addFile(file.filePath(), QSize(file.baseName().toInt(), file.baseName().toInt()));
    return icon;
}

} // namespace kelvara
