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

bool write(const QString &path, const QByteArray &contents, const char *logSource, QString *error)
{
    Util::SafeFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (file.device()->write(contents) != contents.size())
        reason = file.cancel(QStringLiteral("the file could not be written."));
    else if (!file.commit())
        reason = file.errorString();
    if (reason.isEmpty())
        return true;
    qWarning() << logSource << "cannot write" << path << ":" << reason;
    if (error)
        *error = reason;
    return false;
}

QString backUp(const QString &path, const char *logSource, QString *error)
{
    if (!QFileInfo::exists(path))
        return QString();
    QString backup = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(backup) || QFileInfo(backup).isSymLink(); ++n)
        backup = path + QStringLiteral(".bak.%1").arg(n);
    // Written like the catalogue itself, so that a full disk is named in the system's words.
    QFile file(path);
    QString reason;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
        else
            write(backup, bytes, logSource, &reason);
    }
    if (!reason.isEmpty()) {
        qDebug() << logSource << "cannot copy" << path << "to" << backup << ":" << reason;
        if (error)
            *error = reason;
        return QString();
    }
    qDebug() << logSource << path << "was copied to" << backup << "before it is replaced";
    return backup;
}

QString copyAsideBeforeReplacing(const QString &name, const QByteArray &contents, const char *logSource, QString *copy)
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
    const QString backup = backUp(path, logSource, &error);
    if (backup.isEmpty())
        return QStringLiteral("it could not be copied aside (%1)").arg(error);
    if (copy)
        *copy = backup;
    return QString();
}

} // namespace CatalogFile
} // namespace Materials
} // namespace Model
