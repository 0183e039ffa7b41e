#include "copyobject.h"

#include "Core/workspace.h"

namespace Core {
namespace Operations {

CopyObject::CopyObject(Workspace &workspace)
    : PlacementOperation(workspace, QStringLiteral("Copy Objects"), 1, QStringLiteral("Copy"),
                         QStringLiteral("Copy: Select the object(s) to be copied and press Enter"))
{
}

Model::ObjectPtr CopyObject::takeObject(const Model::ObjectPtr &selected) { return selected->clone(); }

QString CopyObject::apply()
{
    for (const auto &clone : m_objects) {
        clone->setMoving(false);
        clone->setMoveOffset(Util::Vector3D());
        clone->translate(m_displacement);
        workspace().document().addObject(clone);
    }
    return QStringLiteral("Copy: Object(s) copied");
}

void CopyObject::abandon() {}

bool CopyObject::undo()
{
    for (const auto &clone : m_objects)
        workspace().document().removeObject(clone);
    workspace().notifyUpdate();
    return true;
}

bool CopyObject::redo()
{
    for (const auto &clone : m_objects)
        workspace().document().addObject(clone);
    workspace().notifyUpdate();
    return true;
}

} // namespace Operations
} // namespace Core
