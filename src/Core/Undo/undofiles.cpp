#include "Core/Undo/undofiles.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Core {

namespace {

constexpr int attemptsPerFolder = 8;
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

// The files are named "undo-<host>-<pid>-<random>.temp": the host and the process that own them,
// so that a later start can tell files left by a crash, and 64 random bits nobody can guess.
QString hostTag()
{
    QString tag = QSysInfo::machineHostName();
    for (QChar &c : tag) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    }
    return tag.isEmpty() ? QStringLiteral("host") : tag;
}

/// The folder "undo" in the user's cache folder, made when missing: it must be a directory of this
/// user, not a link, and is made private (mode 0700). Empty, with the reason, when it is not so.
QString privateFolder(QString *reason)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty()) {
        *reason = QStringLiteral("there is no cache folder");
        return QString();
    }
    const QString folder = QDir(cache).filePath(QStringLiteral("undo"));
    if (!QDir().mkpath(folder)) {
        *reason = QStringLiteral("\"%1\" cannot be made").arg(folder);
        return QString();
    }
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        *reason = QStringLiteral("\"%1\" is not a folder of this user").arg(folder);
        return QString();
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0) {
        *reason =
            QStringLiteral("\"%1\" cannot be made private: %2").arg(folder, QString::fromLocal8Bit(strerror(errno)));
        return QString();
    }
    return folder;
}

/// Creates an empty file that did not exist, without following a link of that name (mode 0600).
bool createExclusive(const QString &fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

void UndoFiles::removeStaleFiles(const QString &folder)
{
    const QString host = hostTag();
    const QStringList names = QDir(folder).entryList({QStringLiteral("undo-*.temp"), QStringLiteral("redo-*.temp")},
                                                     QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names) {
        const QStringList parts = name.chopped(5).split(QLatin1Char('-'));
        // Files of another host sharing the folder are that host's business.
        if (parts.size() != 4 || parts.at(1) != host)
            continue;
        bool ok = false;
        const qlonglong pid = parts.at(2).toLongLong(&ok);
        if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            continue;
        // Only a process that no longer exists lets its files go; a PID used again by another
        // process keeps them until a start after that one.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        QFile::remove(QDir(folder).filePath(name));
    }
}

UndoFiles::UndoFiles(Storage storage)
{
    if (storage == Storage::None)
        return;
    QString reason;
    QString folder = privateFolder(&reason);
    if (!folder.isEmpty()) {
        removeStaleFiles(folder);
    } else {
        // A private folder of its own in the system's temporary folder, removed with the files.
        qWarning() << "Core/undofiles" << Q_FUNC_INFO << reason << "; the undo files go to a temporary folder";
        m_fallbackFolder = std::make_unique<QTemporaryDir>();
        if (m_fallbackFolder->isValid())
            folder = m_fallbackFolder->path();
    }
    for (int attempt = 0; attempt < attemptsPerFolder && !folder.isEmpty(); ++attempt) {
        if (tryCreate(folder))
            return;
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

bool UndoFiles::tryCreate(const QString &folder)
{
    const QString tag = QStringLiteral("%1-%2-%3.temp")
                            .arg(hostTag())
                            .arg(QCoreApplication::applicationPid())
                            .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    const QDir dir(folder);
    const QString undoName = dir.filePath(QStringLiteral("undo-") + tag);
    const QString redoName = dir.filePath(QStringLiteral("redo-") + tag);
    if (!createExclusive(undoName))
        return false;
    if (!createExclusive(redoName)) {
        QFile::remove(undoName);
        return false;
    }
    m_undoFileName = undoName;
    m_redoFileName = redoName;
    return true;
}

qint64 UndoFiles::end(Side side) const
{
    const int at = side == Side::Undo ? 0 : 1;
    return m_entries.empty() ? 0 : m_entries.back().offset[at] + m_entries.back().size[at];
}

qint64 UndoFiles::recordBytes(Side side) const { return end(side); }

bool UndoFiles::append(uint64_t number, const QByteArray &undoRecord, const QByteArray &redoRecord, QString *error)
{
    if (!hasFiles())
        return fail(error, QStringLiteral("there are no undo files"));
    release(number);
    const qint64 undoEnd = end(Side::Undo);
    const qint64 redoEnd = end(Side::Redo);
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
            cut(m_undoFileName, end(Side::Undo));
            cut(m_redoFileName, end(Side::Redo));
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
