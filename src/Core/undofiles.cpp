#include "undofiles.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <new>

namespace Core {

namespace {

constexpr int attemptsPerFolder = 32;
constexpr qint64 moveChunk = qint64(4) << 20;

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

/// Writes `data` at `offset`, dropping whatever the file held from there on.
bool writeAt(const QString &fileName, qint64 offset, const QByteArray &data, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return fail(error, file.errorString());
    const bool ok = file.resize(offset) && file.seek(offset) && file.write(data) == data.size() && file.flush();
    if (!ok)
        return fail(error, file.errorString());
    return true;
}

void cut(const QString &fileName, qint64 length)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(length))
        qWarning() << "Core/undofiles" << Q_FUNC_INFO << fileName << file.errorString();
}

} // namespace

UndoFiles::UndoFiles(Storage storage)
{
    if (storage == Storage::None)
        return;
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
    qWarning() << "Core/undofiles" << Q_FUNC_INFO
               << "cannot create the undo and redo files; undo of process steps is off";
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

qint64 UndoFiles::end(int side) const
{
    return m_entries.empty() ? 0 : m_entries.back().offset[side] + m_entries.back().size[side];
}

qint64 UndoFiles::recordBytes(Side side) const { return end(side == Side::Undo ? 0 : 1); }

bool UndoFiles::append(uint64_t number, const QByteArray &undoRecord, const QByteArray &redoRecord, QString *error)
{
    if (!hasFiles())
        return fail(error, QStringLiteral("there are no undo files"));
    release(number);
    const qint64 undoEnd = end(0);
    const qint64 redoEnd = end(1);
    QString reason;
    if (!writeAt(m_undoFileName, undoEnd, undoRecord, &reason)) {
        cut(m_undoFileName, undoEnd);
        return fail(error, QStringLiteral("\"%1\" could not be written: %2").arg(m_undoFileName, reason));
    }
    if (!writeAt(m_redoFileName, redoEnd, redoRecord, &reason)) {
        cut(m_undoFileName, undoEnd);
        cut(m_redoFileName, redoEnd);
        return fail(error, QStringLiteral("\"%1\" could not be written: %2").arg(m_redoFileName, reason));
    }
    m_entries.push_back({number, {undoEnd, redoEnd}, {undoRecord.size(), redoRecord.size()}});
    return true;
}

bool UndoFiles::read(uint64_t number, Side side, QByteArray &record, QString *error) const
{
    record.clear();
    const auto entry =
        std::find_if(m_entries.begin(), m_entries.end(), [number](const Entry &e) { return e.number == number; });
    if (entry == m_entries.end())
        return fail(error, QStringLiteral("the step has no record"));
    const int s = side == Side::Undo ? 0 : 1;
    QFile file(fileName(side));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("\"%1\" could not be opened: %2").arg(file.fileName(), file.errorString()));
    if (file.size() < entry->offset[s] + entry->size[s])
        return fail(error, QStringLiteral("\"%1\" is shorter than the records it should hold").arg(file.fileName()));
    if (!file.seek(entry->offset[s]))
        return fail(error, file.errorString());
    record = file.read(entry->size[s]);
    if (record.size() != entry->size[s])
        return fail(error, QStringLiteral("\"%1\" could not be read: %2").arg(file.fileName(), file.errorString()));
    return true;
}

bool UndoFiles::moveTail(const QString &fileName, qint64 from, qint64 to) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    try {
        for (qint64 pos = from; pos < size;) {
            if (!file.seek(pos))
                return false;
            const QByteArray chunk = file.read(std::min(moveChunk, size - pos));
            if (chunk.isEmpty() || !file.seek(to + (pos - from)) || file.write(chunk) != chunk.size())
                return false;
            pos += chunk.size();
        }
    } catch (const std::bad_alloc &) {
        return false; // called from destructors: a failure is handled like a failed write
    }
    return file.flush() && file.resize(to + std::max<qint64>(0, size - from));
}

void UndoFiles::release(uint64_t number)
{
    const auto entry =
        std::find_if(m_entries.begin(), m_entries.end(), [number](const Entry &e) { return e.number == number; });
    if (entry == m_entries.end())
        return;
    const Entry gone = *entry;
    const bool last = entry + 1 == m_entries.end();
    const auto index = entry - m_entries.begin();
    m_entries.erase(entry);
    for (int s = 0; s < 2; ++s) {
        const QString name = s == 0 ? m_undoFileName : m_redoFileName;
        if (last) {
            cut(name, gone.offset[s]);
            continue;
        }
        if (!moveTail(name, gone.offset[s] + gone.size[s], gone.offset[s])) {
            // The records behind the gap may be half moved: drop them rather than read them wrongly.
            qWarning() << "Core/undofiles" << Q_FUNC_INFO << "cannot compact" << name
                       << "; the records of later steps are lost";
            m_entries.erase(m_entries.begin() + index, m_entries.end());
            cut(m_undoFileName, end(0));
            cut(m_redoFileName, end(1));
            return;
        }
    }
    for (auto it = m_entries.begin() + index; it != m_entries.end(); ++it) {
        it->offset[0] -= gone.size[0];
        it->offset[1] -= gone.size[1];
    }
}

void UndoFiles::clear()
{
    m_entries.clear();
    for (const QString &name : {m_undoFileName, m_redoFileName}) {
        if (name.isEmpty())
            continue;
        // Opening with Truncate also brings back a file that was removed from outside.
        QFile file(name);
        if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
            qWarning() << "Core/undofiles" << Q_FUNC_INFO << name << file.errorString();
    }
}

} // namespace Core
