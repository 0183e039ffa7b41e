#include "catalogfile.h"

#include "Util/safefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>

namespace Model {
namespace Materials {
namespace CatalogFile {

namespace {
const QString folderName = QStringLiteral("Cellforge");
}

QString readPath(const QString &name)
{
    const QDir home = QDir::home();
    if (home.exists(folderName))
        return home.filePath(folderName + QLatin1Char('/') + name);
    return home.filePath(name);
}

QString writePath(const QString &name)
{
    QDir home = QDir::home();
    home.mkpath(folderName);
    return home.filePath(folderName + QLatin1Char('/') + name);
}

bool write(const QString &path, const QByteArray &contents, const char *logSource)
{
    Util::SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << logSource << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    file.device()->write(contents);
    if (!file.commit()) {
        qWarning() << logSource << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

QString backUp(const QString &path, const char *logSource)
{
    if (!QFile::exists(path))
        return QString();
    QString backup = path + QStringLiteral(".bak");
    for (int n = 1; QFile::exists(backup); ++n)
        backup = path + QStringLiteral(".bak.%1").arg(n);
    if (!QFile::copy(path, backup)) {
        qWarning() << logSource << "cannot copy the unreadable" << path << "to" << backup;
        return QString();
    }
    qDebug() << logSource << "the unreadable" << path << "was copied to" << backup
             << "before it is replaced by the built-in table";
    return backup;
}

} // namespace CatalogFile
} // namespace Materials
} // namespace Model
