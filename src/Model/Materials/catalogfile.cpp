#include "catalogfile.h"

#include "Util/safefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QString backUp(const QString &path, const char *logSource, QString *error)
{
    if (!QFileInfo::exists(path))
        return QString();
    QString backup = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(backup) || QFileInfo(backup).isSymLink(); ++n)
        backup = path + QStringLiteral(".bak.%1").arg(n);
    QFile file(path);
    if (!file.copy(backup)) {
        qDebug() << logSource << "cannot copy" << path << "to" << backup << ":" << file.errorString();
        if (error)
            *error = file.errorString();
        return QString();
    }
    qDebug() << logSource << path << "was copied to" << backup << "before it is replaced";
    return backup;
}

QString copyAsideBeforeReplacing(const QString &name, const QByteArray &contents, const char *logSource)
{
    const QString path = readPath(name);
    if (!QFileInfo::exists(path))
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it could not be read (%1)").arg(file.errorString());
    // The same bytes again: nothing to keep, and no pile of copies from every start.
    if (file.readAll() == contents && file.error() == QFileDevice::NoError)
        return QString();
    file.close();
    QString error;
    if (backUp(path, logSource, &error).isEmpty())
        return QStringLiteral("it could not be copied aside (%1)").arg(error);
    return QString();
}

} // namespace CatalogFile
} // namespace Materials
} // namespace Model
