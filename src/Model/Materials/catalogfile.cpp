#include "catalogfile.h"

#include "Util/safefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <utility>

namespace Model {
namespace Materials {

namespace {
const QString folderName = QStringLiteral("Cellforge");

QString readingProblem(const QXmlStreamReader &reader)
{
    return QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
}
} // namespace

CatalogFile::CatalogFile(Names names)
    : m_names(std::move(names))
{
}

bool CatalogFile::read(const std::function<void(QXmlStreamReader &)> &readElements)
{
    QFile file(filePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        setLoadProblem(file.errorString());
        return false;
    }
    QXmlStreamReader reader(&file);
    while (!reader.atEnd() && !reader.isStartElement())
        reader.readNext();
    if (reader.name() != m_names.root) {
        setLoadProblem(reader.hasError() ? readingProblem(reader)
                                         : QStringLiteral("it holds no <%1> element").arg(m_names.root));
        return false;
    }
    readElements(reader);
    if (reader.hasError()) {
        qDebug() << m_names.logSource << reader.errorString() << "at line" << reader.lineNumber();
        setLoadProblem(readingProblem(reader));
        return false;
    }
    return true;
}

bool CatalogFile::save(const QByteArray &contents, QString *error) const
{
    return write(writePath(m_names.fileName), contents, m_names.logSource, error);
}

void CatalogFile::replaceAtStartUp(const QByteArray &contents, bool loaded)
{
    // What the reader skipped (a hand-added entry it rejects, comments, typos) would be lost, so a
    // file that differs is copied aside first.
    QString copy;
    const QString problem = copyAsideBeforeReplacing(m_names.fileName, contents, m_names.logSource, &copy);
    if (!problem.isEmpty()) {
        const QString path = QDir::toNativeSeparators(filePath());
        // Writing now would lose the user's entries for good.
        setStartUpReport(
            loaded ? QStringLiteral("The %1 catalogue \"%2\" differs from what Cellforge writes in its place, but %3, "
                                    "so it was left as it is. Its %4 are used, completed with the built-in ones; "
                                    "accepting the %5 dialog writes the file.")
                         .arg(m_names.kind, path, problem, m_names.kinds, m_names.dialog)
                   : QStringLiteral("The %1 catalogue \"%2\" could not be loaded: %3, so it was left as it is. "
                                    "Cellforge uses its built-in %4 for now; accepting the %5 dialog writes the file.")
                         .arg(m_names.kind, path, problem, m_names.kinds, m_names.dialog));
        return;
    }
    QString error;
    const bool written = save(contents, &error);
    if (loaded || copy.isEmpty())
        return; // no file yet, or hand edits copied aside silently, as at every start
    // A catalogue set aside is never a silent loss: the user learns where its entries went.
    // The file's path is read again: writing may have made the folder it now lives in.
    QString why;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        why = m_loadProblem;
    }
    setStartUpReport(
        QStringLiteral("The %1 catalogue \"%2\" could not be loaded (%3). It was copied to \"%4\"; "
                       "Cellforge uses its built-in %5 %6.")
            .arg(m_names.kind, QDir::toNativeSeparators(filePath()), why, QDir::toNativeSeparators(copy), m_names.kinds,
                 written ? QStringLiteral("in its place")
                         : QStringLiteral("for now, which could not be written in its place (%1)").arg(error)));
}

QString CatalogFile::startUpReport() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_startUpReport;
}

void CatalogFile::setStartUpReport(const QString &report)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_startUpReport = report;
}

void CatalogFile::setLoadProblem(const QString &problem)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_loadProblem = problem;
}

QString CatalogFile::readPath(const QString &name)
{
    const QDir home = QDir::home();
    if (home.exists(folderName))
        return home.filePath(folderName + QLatin1Char('/') + name);
    return home.filePath(name);
}

QString CatalogFile::writePath(const QString &name)
{
    QDir home = QDir::home();
    home.mkpath(folderName);
    return home.filePath(folderName + QLatin1Char('/') + name);
}

bool CatalogFile::write(const QString &path, const QByteArray &contents, const char *logSource, QString *error)
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

QString CatalogFile::backUp(const QString &path, const char *logSource, QString *error)
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

QString CatalogFile::copyAsideBeforeReplacing(const QString &name, const QByteArray &contents, const char *logSource,
                                              QString *copy)
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

} // namespace Materials
} // namespace Model
