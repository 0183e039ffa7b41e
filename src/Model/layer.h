#pragma once

#include "object.h"

#include <QList>

#include <memory>
#include <utility>

namespace Model {

/// An ordered list of scene objects.
class Layer {
public:
    explicit Layer(uint32_t number = 0) : m_number(number) {}

    void add(const ObjectPtr &object) { m_objects.append(object); }
    /// Puts the object at `index` (clamped to the list), so that undo gives back the order.
    void insert(int index, const ObjectPtr &object) { m_objects.insert(qBound(0, index, m_objects.size()), object); }
    /// The position of the object, -1 when it is not in the layer.
    int indexOf(const ObjectPtr &object) const { return m_objects.indexOf(object); }
    /// Removes the entry holding that object.
    void remove(const ObjectPtr &object) { m_objects.removeOne(object); }
    /// The first object with that identifier and true, or (null, false).
    std::pair<ObjectPtr, bool> find(uint32_t id) const;
    QList<ObjectPtr> objects() const { return m_objects; }
    uint32_t number() const { return m_number; }

private:
    QList<ObjectPtr> m_objects;
    uint32_t m_number;
};

using LayerPtr = std::shared_ptr<Layer>;

} // namespace Model
