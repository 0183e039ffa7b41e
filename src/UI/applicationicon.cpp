#include "UI/applicationicon.h"

#include <QDir>

// The resource lives in a static library, where nothing else would pull it into the program; the
// macro must be used outside any namespace.
static void initIconResource() { Q_INIT_RESOURCE(cellforge_icons); }

namespace Ui {

QIcon applicationIcon(const QString &folder)
{
    QIcon icon(QDir(folder).filePath(QStringLiteral("icon.ico")));
    if (!icon.isNull() && !icon.availableSizes().isEmpty())
        return icon;
    initIconResource();
    QIcon builtIn;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/icons/%1/cellforge.png").arg(size), QSize(size, size));
    return builtIn;
}

} // namespace Ui
