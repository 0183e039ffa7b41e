#include "Core/pickstate.h"

namespace Core {

QList<Model::ObjectPtr> PickState::selected() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_selected;
}

void PickState::setSelected(const QList<Model::ObjectPtr> &objects)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_selected = objects;
}

void PickState::requestPoint(const Operations::OperationPtr &requester, Util::Vector3D *target, uint32_t *clickMode)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pointRequester = requester;
    m_pointTarget = target;
    m_clickMode = clickMode;
}

void PickState::requestPointer(const Operations::OperationPtr &follower, Util::Vector3D *hoverTarget)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pointerFollower = follower;
    m_hoverTarget = hoverTarget;
}

bool PickState::deliverPoint(const Util::Vector3D &point, bool moreClicksWanted)
{
    Operations::OperationPtr requester;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_pointRequester)
            return false;
        requester = m_pointRequester;
        if (m_pointTarget)
            *m_pointTarget = point;
        if (m_clickMode && !moreClicksWanted)
            *m_clickMode = 0;
        m_pointRequester.reset();
        m_pointTarget = nullptr;
        m_clickMode = nullptr;
    }
    // Outside the lock: the operation may register for the next click.
    requester->start();
    return true;
}

bool PickState::deliverPointer(const Util::Vector3D &point)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pointerFollower || !m_hoverTarget)
        return false;
    *m_hoverTarget = point;
    return true;
}

void PickState::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_selected.clear();
    m_pointRequester.reset();
    m_pointTarget = nullptr;
    m_clickMode = nullptr;
    m_pointerFollower.reset();
    m_hoverTarget = nullptr;
}

} // namespace Core
