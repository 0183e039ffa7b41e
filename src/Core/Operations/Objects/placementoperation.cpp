#include "Core/Operations/Objects/placementoperation.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"

namespace Core {
namespace Operations {

namespace {
// Asks the view for more clicked points until it sets the counter to 0.
constexpr uint32_t pointClickMode = 3;
} // namespace

PlacementOperation::PlacementOperation(Workspace &workspace, const QString &name, uint32_t typeCode,
                                       const QString &prefix, const QString &selectPrompt)
    : ObjectOperation(workspace, name, typeCode)
    , m_prefix(prefix)
    , m_selectPrompt(selectPrompt)
{
}

void PlacementOperation::start()
{
    Workspace &ws = workspace();
    switch (m_step) {
    case 0:
        chooseObjects();
        break;
    case 1:
        if (m_distanceReceived) {
            m_step = 3;
            execute();
            break;
        }
        // A clicked base point arrived: now follow the pointer until the destination is clicked.
        ws.console().reset();
        m_clickMode = pointClickMode;
        ws.pickState().requestPointer(shared_from_this(), &m_hoverPoint);
        ws.pickState().requestPoint(shared_from_this(), &m_destination, &m_clickMode);
        ws.console().writeMessage(m_prefix + QStringLiteral(": Left click on destination."));
        ws.console().setPrompt(m_prefix + QStringLiteral(u": Click the destination — Esc cancels"));
        m_step = 2;
        break;
    case 2:
        m_displacement = m_displacement + (m_destination - m_basePoint);
        for (const auto &object : m_objects)
            object->setMoveOffset(m_displacement);
        m_basePoint = m_destination;
        ws.notifyUpdate();
        if (m_clickMode != 0) {
            requestNextPoint();
        } else {
            m_step = 3;
            execute();
        }
        break;
    default:
        break;
    }
}

void PlacementOperation::chooseObjects()
{
    Workspace &ws = workspace();
    const auto selected = ws.pickState().selected();
    if (selected.isEmpty()) {
        VolumeChoice(ws).waitForEnter(
            shared_from_this(), m_selectPrompt,
            VolumeChoice::clickPrompt(m_prefix, QStringLiteral("the objects to ") + m_prefix.toLower()));
        return;
    }
    for (const auto &object : selected) {
        auto moving = takeObject(object);
        moving->setMoving(true);
        moving->setMoveOffset(m_displacement);
        m_objects.append(moving);
    }
    ws.console().writeMessage(m_prefix +
                              QStringLiteral(": Left click or enter the distance into the console (x, y, z):"));
    m_clickMode = pointClickMode;
    ws.pickState().requestPoint(shared_from_this(), &m_basePoint, &m_clickMode);
    m_distanceReceived = false;
    ws.console().requestCoordinates(shared_from_this(), &m_displacement, &m_distanceReceived);
    ws.console().setPrompt(m_prefix +
                           QStringLiteral(u": Click a base point, or type the distance (x, y, z) in the console — "
                                          u"Esc cancels"));
    m_step = 1;
    ws.selection().setSelectionMode(false);
    ws.notifyUpdate();
}

void PlacementOperation::requestNextPoint()
{
    m_clickMode = pointClickMode;
    workspace().pickState().requestPoint(shared_from_this(), &m_destination, &m_clickMode);
}

void PlacementOperation::execute()
{
    Workspace &ws = workspace();
    if (m_step != 3) {
        cancel();
        return;
    }
    const QString message = apply();
    ws.selection().clearSelection();
    ws.pickState().clear();
    ws.console().reset();
    ws.console().writeMessage(message);
    ws.operationFinished();
    ws.notifyUpdate();
}

void PlacementOperation::cancel()
{
    if (m_step == 3)
        return;
    Workspace &ws = workspace();
    ws.pickState().clear();
    ws.console().reset();
    abandon();
    ws.console().writeMessage(m_prefix + QStringLiteral(": Operation canceled"));
    ws.notifyUpdate();
    reportCanceled();
}

void PlacementOperation::reportCanceled()
{
    // Only the current operation may clear the workspace's state; a canceled move that stayed
    // current (after Escape) would otherwise linger and print its cancel text again later.
    Workspace &ws = workspace();
    if (ws.currentOperation().get() == this)
        ws.operationCanceled();
}

} // namespace Operations
} // namespace Core
