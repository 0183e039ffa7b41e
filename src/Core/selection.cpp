#include "Core/selection.h"

#include "Core/pickstate.h"
#include "Model/gl.h"

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

bool Selection::pick(int x, int y)
{
    if (!m_selectionMode)
        return false;

    GLuint buffer[2048];
    GLint viewport[4];
    GLdouble projection[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);

    glSelectBuffer(2048, buffer);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, viewport[1] + viewport[3] - y, 4.0, 4.0, viewport);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glInitNames();
    m_document.drawForPicking();
    const GLint hits = glRenderMode(GL_RENDER);

    if (hits > 0) {
        // The first record belongs to the object drawn first, not to the nearest one.
        const GLuint nameCount = buffer[0];
        for (GLuint i = 0; i < nameCount && 3 + i < 2048; ++i) {
            auto found = m_document.findObject(buffer[3 + i]);
            if (found.second)
                toggle(found.first);
        }
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    refreshPickState();
    return hits > 0;
}

void Selection::refreshPickState() { m_pickState.setSelected(m_selected); }

} // namespace Core
