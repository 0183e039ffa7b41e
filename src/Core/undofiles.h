#pragma once

#include <QString>

namespace Core {

/// The two private files that hold the cell snapshots of undoable process steps.
/// Created empty when the workspace starts and removed when it ends.
class UndoFiles {
public:
    UndoFiles();
    ~UndoFiles();
    UndoFiles(const UndoFiles &) = delete;
    UndoFiles &operator=(const UndoFiles &) = delete;

    QString undoFileName() const { return m_undoFileName; }
    QString redoFileName() const { return m_redoFileName; }

private:
    bool tryCreate(const QString &folder, unsigned number);

    QString m_undoFileName;
    QString m_redoFileName;
};

} // namespace Core
