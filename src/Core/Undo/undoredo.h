#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <QList>
#include <QString>

#include <functional>
#include <vector>

namespace Core {

/// The undo and redo stacks of a workspace, each with the observers that follow it.
class UndoRedoStacks {
public:
    /// `beforeStep` runs before each undo and redo (the workspace cancels its current operation there).
    explicit UndoRedoStacks(std::function<void()> beforeStep)
        : m_beforeStep(std::move(beforeStep))
    {
    }

    /// Puts the operation on top of the undo stack and empties the redo stack.
    void push(const Operations::ObjectOperationPtr &operation);
    bool undo();
    bool redo();
    void clear();

    QString undoName() const;
    QString redoName() const;
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    size_t undoCount() const { return m_undo.size(); }
    size_t redoCount() const { return m_redo.size(); }

    void addUndoObserver(const Util::ObserverPtr &observer) { m_undoObservers.push_back(observer); }
    void addRedoObserver(const Util::ObserverPtr &observer) { m_redoObservers.push_back(observer); }

private:
    void notifyUndoObservers();
    void notifyRedoObservers();

    std::function<void()> m_beforeStep;
    std::vector<Operations::ObjectOperationPtr> m_undo;
    std::vector<Operations::ObjectOperationPtr> m_redo;
    std::vector<Util::ObserverPtr> m_undoObservers;
    std::vector<Util::ObserverPtr> m_redoObservers;
};

} // namespace Core
