#include "deleteobject.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"

#include <algorithm>

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
    m_places.clear();
    for (const auto &object : m_objects)
        m_places.append({ws.document().indexOf(object), object});
    std::sort(m_places.begin(), m_places.end(),
              [](const std::pair<int, Model::ObjectPtr> &a, const std::pair<int, Model::ObjectPtr> &b) {
                  return a.first < b.first;
              });
    for (const auto &object : m_objects)
        ws.document().removeObject(object);
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

bool DeleteObject::undo()
{
    // Back in their places, lowest first, so that each lands where it stood.
    for (const auto &place : m_places)
        workspace().document().insertObject(place.first, place.second);
    workspace().notifyUpdate();
    return true;
}

bool DeleteObject::redo()
{
    for (const auto &object : m_objects)
        workspace().document().removeObject(object);
    workspace().notifyUpdate();
    return true;
}

} // namespace Operations
} // namespace Core
