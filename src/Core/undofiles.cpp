#include "undofiles.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace Core {

namespace {
constexpr int attemptsPerFolder = 32;
}

UndoFiles::UndoFiles()
{
    QRandomGenerator random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    // The working folder first; when it is not writable the files go to the system's temporary
    // folder instead of drawing names for ever.
    const QStringList folders{QDir::currentPath(), QDir::tempPath()};
    for (const QString &folder : folders) {
        for (int attempt = 0; attempt < attemptsPerFolder; ++attempt) {
            if (tryCreate(folder, random.bounded(32768u)))
                return;
        }
    }
    qWarning() << "Core/undofiles" << Q_FUNC_INFO << "cannot create the undo and redo files; undo of process steps is off";
    m_undoFileName.clear();
    m_redoFileName.clear();
}

UndoFiles::~UndoFiles()
{
    if (!m_undoFileName.isEmpty())
        QFile::remove(m_undoFileName);
    if (!m_redoFileName.isEmpty())
        QFile::remove(m_redoFileName);
}

bool UndoFiles::tryCreate(const QString &folder, unsigned number)
{
    const QDir dir(folder);
    const QString undoName = dir.filePath(QStringLiteral("undo%1.temp").arg(number));
    const QString redoName = dir.filePath(QStringLiteral("redo%1.temp").arg(number));
    if (QFile::exists(undoName) || QFile::exists(redoName))
        return false;
    QFile undoFile(undoName);
    QFile redoFile(redoName);
    const bool undoOk = undoFile.open(QIODevice::ReadWrite | QIODevice::Truncate);
    const bool redoOk = redoFile.open(QIODevice::ReadWrite | QIODevice::Truncate);
    undoFile.close();
    redoFile.close();
    if (!undoOk || !redoOk) {
        QFile::remove(undoName);
        QFile::remove(redoName);
        return false;
    }
    m_undoFileName = undoName;
    m_redoFileName = redoName;
    return true;
}

} // namespace Core
