#include "Core/selection.h"

#include "Core/pickstate.h"

namespace Core {

void Selection::setSelectionMode(bool on)
{
    if (on == m_selectionMode)
        return;
    m_selectionMode = on;
    if (!on)
        clearSelection();
    for (const auto &observer : m_observers)
        observer->notify();
}

void Selection::clearSelection()
{
    for (const auto &object : m_selected)
        object->setSelected(false);
    m_selected.clear();
    refreshPickState();
}

void Selection::toggle(const Model::ObjectPtr &object)
{
    if (!object)
        return;
    if (object->isSelected()) {
        object->setSelected(false);
        m_selected.removeOne(object);
    } else {
        object->setSelected(true);
        m_selected.append(object);
    }
    refreshPickState();
}

bool Selection::pick(const std::optional<std::vector<uint32_t>> &hit)
{
    if (!m_selectionMode)
        return false;
    if (hit) {
        for (const uint32_t name : *hit) {
            auto found = m_document.findObject(name);
            if (found.second)
                toggle(found.first);
        }
    }
    refreshPickState();
    return hit.has_value();
}

void Selection::refreshPickState() { m_pickState.setSelected(m_selected); }

} // namespace Core
