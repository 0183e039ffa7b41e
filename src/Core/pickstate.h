#pragma once

#include "Core/Operations/operation.h"
#include "Model/object.h"
#include "Util/vector3d.h"

#include <QList>

#include <mutex>

namespace Core {

/// What the view and the operations share about picking: a copy of the selection and the
/// point requests of move and copy (who waits for a clicked point, and where it goes).
class PickState {
public:
    QList<Model::ObjectPtr> selected() const;
    void setSelected(const QList<Model::ObjectPtr> &objects);

    /// `requester` wants the next clicked scene point in `target`; `clickMode` tells how many more.
    void requestPoint(const Operations::OperationPtr &requester, Util::Vector3D *target, uint32_t *clickMode);
    /// `follower` wants the pointer position in `hoverTarget` while the pointer moves.
    void requestPointer(const Operations::OperationPtr &follower, Util::Vector3D *hoverTarget);

    /// Hands a clicked scene point to the waiting operation and calls its `start`; false when none waits.
    bool deliverPoint(const Util::Vector3D &point, bool moreClicksWanted);
    /// Writes the pointer position to the follower's hover target; false when none follows.
    bool deliverPointer(const Util::Vector3D &point);

    void clear();

private:
    mutable std::mutex m_mutex;
    QList<Model::ObjectPtr> m_selected;
    Operations::OperationPtr m_pointRequester;
    Util::Vector3D *m_pointTarget = nullptr;
    uint32_t *m_clickMode = nullptr;
    Operations::OperationPtr m_pointerFollower;
    Util::Vector3D *m_hoverTarget = nullptr;
};

} // namespace Core
