#include "Core/Undo/undoredo.h"

namespace Core {

void UndoRedoStacks::push(const Operations::ObjectOperationPtr &operation)
{
    m_undo.push_back(operation);
    m_redo.clear();
    notifyUndoObservers();
    notifyRedoObservers();
}

bool UndoRedoStacks::undo()
{
    if (m_undo.empty())
        return false;
    auto operation = m_undo.back();
    m_undo.pop_back();
    if (m_beforeStep)
        m_beforeStep();
    if (operation->undo()) {
        m_redo.push_back(operation);
        notifyRedoObservers();
    } else {
        m_undo.push_back(operation);
    }
    notifyUndoObservers();
    return true;
}

bool UndoRedoStacks::redo()
{
    if (m_redo.empty())
        return false;
    auto operation = m_redo.back();
    m_redo.pop_back();
    if (m_beforeStep)
        m_beforeStep();
    // A step that could not be done again stays where it was, like one that could not be undone.
    if (operation->redo()) {
        m_undo.push_back(operation);
        notifyUndoObservers();
    } else {
        m_redo.push_back(operation);
    }
    notifyRedoObservers();
    return true;
}

void UndoRedoStacks::clear()
{
    m_undo.clear();
    m_redo.clear();
    notifyUndoObservers();
    notifyRedoObservers();
}

QString UndoRedoStacks::undoName() const { return m_undo.empty() ? QString() : m_undo.back()->name(); }

QString UndoRedoStacks::redoName() const { return m_redo.empty() ? QString() : m_redo.back()->name(); }

void UndoRedoStacks::notifyUndoObservers()
{
    for (const auto &observer : m_undoObservers)
        observer->notify();
}

void UndoRedoStacks::notifyRedoObservers()
{
    for (const auto &observer : m_redoObservers)
        observer->notify();
}

} // namespace Core
