#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QTemporaryDir;

namespace Core {

/// The two private files, "undo-<host>-<pid>-<r>.temp" and "redo-...", that hold the records of
/// the undoable process steps of one workspace (the cells each step changed, with their states
/// before and after it), and the table of where each step's records lie.
///
/// They live in the folder "undo" of the user's cache folder, which only the user may enter
/// (mode 0700); r is 64 random bits, and both are created anew, never through a link. They go
/// when the workspace does; files left by a process of this host that no longer runs (a crash)
/// are removed when the next workspace makes its files. Where the cache folder cannot be used,
/// the files go to a private temporary folder of their own.
///
/// The files hold only records that can still be used: releasing a step's records moves the ones
/// written after it down over the gap and shortens the files. Steps are released when they leave
/// the undo and redo stacks, and the history is that of the latest steps, so the records moved
/// are only those of the step that has just been pushed.
class UndoFiles {
public:
    enum class Storage {
        TemporaryFiles, ///< a window: both files exist from construction to destruction
        None            ///< headless use (cellforge-batch): no files, steps cannot be recorded
    };
    enum class Side { Undo, Redo };

    explicit UndoFiles(Storage storage = Storage::TemporaryFiles);
    ~UndoFiles();
    UndoFiles(const UndoFiles &) = delete;
    UndoFiles &operator=(const UndoFiles &) = delete;

    QString undoFileName() const { return m_undoFileName; }
    QString redoFileName() const { return m_redoFileName; }
    bool hasFiles() const { return !m_undoFileName.isEmpty(); }

    /// Appends the records of the step `number` to the two files. On failure (no files, disk full)
    /// both files are left as they were and `error` says why.
    bool append(uint64_t number, const QByteArray &undoRecord, const QByteArray &redoRecord, QString *error);
    /// The record of step `number` from one of the files; false with a reason when there is none
    /// or it cannot be read in full.
    bool read(uint64_t number, Side side, QByteArray &record, QString *error) const;
    /// Forgets the records of step `number` and closes the gap they leave; unknown numbers are ignored.
    void release(uint64_t number);
    /// Forgets every record and empties both files (a new or an opened document).
    void clear();

    size_t recordCount() const { return m_entries.size(); }
    /// The bytes the records take in one file (the file's size, unless it was changed from outside).
    qint64 recordBytes(Side side) const;

private:
    struct Entry {
        uint64_t number;
        qint64 offset[2];
        qint64 size[2];
    };

    bool tryCreate(const QString &folder);
    static void removeStaleFiles(const QString &folder);
    QString fileName(Side side) const { return side == Side::Undo ? m_undoFileName : m_redoFileName; }
    qint64 end(Side side) const;
    /// Moves the bytes from `from` to the end of the file down to `to`, and cuts the file there.
    bool moveTail(const QString &fileName, qint64 from, qint64 to) const;

    QString m_undoFileName;
    QString m_redoFileName;
    std::vector<Entry> m_entries; // in file order, the same in both files
    std::unique_ptr<QTemporaryDir> m_fallbackFolder;
};

} // namespace Core
