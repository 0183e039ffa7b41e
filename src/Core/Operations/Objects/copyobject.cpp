#include "Core/Operations/Objects/copyobject.h"

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
    }
    m_change.make(workspace(), m_objects);
    return QStringLiteral("Copy: Object(s) copied");
}

void CopyObject::abandon() {}

bool CopyObject::undo() { return m_change.undo(workspace()); }

bool CopyObject::redo() { return m_change.redo(workspace()); }

} // namespace Operations
} // namespace Core
