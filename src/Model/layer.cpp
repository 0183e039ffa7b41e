#include "layer.h"

namespace Model {

std::pair<ObjectPtr, bool> Layer::find(uint32_t id) const
{
    for (const auto &object : m_objects) {
        if (object->id() == id)
            return {object, true};
    }
    return {nullptr, false};
}

} // namespace Model
