#include "Core/Operations/Objects/deleteobject.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"

namespace Core {
namespace Operations {

DeleteObject::DeleteObject(Workspace &workspace)
    : ObjectOperation(workspace, QStringLiteral("Delete Objects"), 4)
{
}

void DeleteObject::start()
{
    if (m_ready)
        return;
    Workspace &ws = workspace();
    const auto selected = ws.pickState().selected();
    if (selected.isEmpty()) {
        VolumeChoice(ws).waitForEnter(
            shared_from_this(), QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"),
            VolumeChoice::clickPrompt(QStringLiteral("Delete"), QStringLiteral("the objects to delete")));
        return;
    }
    m_objects = selected;
    ws.selection().clearSelection();
    ws.selection().setSelectionMode(false);
    m_ready = true;
    execute();
}

void DeleteObject::execute()
{
    Workspace &ws = workspace();
    if (!m_ready) {
        ws.notifyUpdate();
        ws.console().reset();
        ws.console().writeMessage(QStringLiteral("Delete: Operation canceled, no selected objects."));
        ws.operationCanceled();
        return;
    }
    m_change.make(ws, {}, m_objects);
    ws.notifyUpdate();
    ws.console().writeMessage(QStringLiteral("Delete: objects deleted."));
    ws.operationFinished();
}

void DeleteObject::cancel()
{
    Workspace &ws = workspace();
    ws.notifyUpdate();
    ws.console().reset();
    ws.console().writeMessage(QStringLiteral("Delete: Operation canceled."));
    ws.operationCanceled();
}

bool DeleteObject::undo() { return m_change.undo(workspace()); }

bool DeleteObject::redo() { return m_change.redo(workspace()); }

} // namespace Operations
} // namespace Core
