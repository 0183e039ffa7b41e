#include "layer.h"

#include "Model/gl.h"

namespace Model {

std::pair<ObjectPtr, bool> Layer::find(uint32_t id) const
{
    for (const auto &object : m_objects) {
        if (object->id() == id)
            return {object, true};
    }
    return {nullptr, false};
}

void Layer::draw(bool showSurface, bool showEdges, const Util::Vector3D &eye) const
{
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode == GL_RENDER) {
        for (const auto &object : m_objects)
            object->draw(showSurface, showEdges, eye);
    } else if (mode == GL_SELECT) {
        drawForPicking();
    }
}

void Layer::drawForPicking() const
{
    for (const auto &object : m_objects) {
        glPushName(object->id());
        object->drawForPicking();
        glPopName();
    }
}

} // namespace Model
