#include "Core/Operations/Objects/moveobject.h"

#include "Core/workspace.h"

namespace Core {
namespace Operations {

MoveObject::MoveObject(Workspace &workspace)
    : PlacementOperation(workspace, QStringLiteral("Move Objects"), 7, QStringLiteral("Move"),
                         QStringLiteral("Move: Select the object(s) to be copied and press Enter/Return."))
{
}

Model::ObjectPtr MoveObject::takeObject(const Model::ObjectPtr &selected) { return selected; }

QString MoveObject::apply()
{
    for (const auto &object : m_objects) {
        object->setMoving(false);
        object->setMoveOffset(Util::Vector3D());
        object->translate(m_displacement);
    }
    return QStringLiteral("Move: Object(s) moved");
}

void MoveObject::abandon()
{
    for (const auto &object : m_objects) {
        object->setMoving(false);
        object->setMoveOffset(Util::Vector3D());
    }
}

bool MoveObject::undo()
{
    for (const auto &object : m_objects)
        object->translate(-1.0 * m_displacement);
    workspace().notifyUpdate();
    return true;
}

bool MoveObject::redo()
{
    for (const auto &object : m_objects)
        object->translate(m_displacement);
    workspace().notifyUpdate();
    return true;
}

} // namespace Operations
} // namespace Core
