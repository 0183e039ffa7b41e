#include "extractedmodelpainter.h"

#include "Model/Display/edgelines.h"
#include "Model/Display/gl.h"
#include "Model/ModelExtraction/extractedmodel.h"

namespace Model {
namespace Display {

void ExtractedModelPainter::drawBoxes(bool withNormals)
{
    const std::vector<float> &vertices = m_model.boxVertices();
    if (vertices.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    if (withNormals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, m_model.boxNormals().data());
    }
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(vertices.size() / 3));
    if (withNormals)
        glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void ExtractedModelPainter::draw(bool showSurface)
{
    // The arrays are made before any state is pushed: if they cannot be, nothing is left pushed.
    m_model.boxVertices();
    Util::Vector3D at = m_model.position();
    if (m_model.isMoving()) {
        const Util::Vector3D offset = m_model.moveOffset();
        at = Util::Vector3D(at.x + offset.x, at.y + offset.y, at.z + offset.z);
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glPushMatrix();
    glTranslated(at.x, at.y, at.z);
    std::array<float, 3> color = ModelExtraction::ExtractedModel::paletteColor(m_model.colorIndex());
    if (m_model.isSelected())
        highlightColor(color.data());
    if (showSurface) {
        glColor4f(color[0], color[1], color[2], 1.0f);
        drawBoxes(true);
    }
    {
        // The outlines tell the boxes apart where they touch, whatever the edge setting.
        Automaton::EdgeLines lines;
        const Util::Vector3D outline = m_model.outlineColor();
        glColor4d(outline.x, outline.y, outline.z, 1.0);
        drawBoxes(false);
    }
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

void ExtractedModelPainter::drawForPicking()
{
    m_model.boxVertices();
    const Util::Vector3D at = m_model.position();
    glPushMatrix();
    glTranslated(at.x, at.y, at.z);
    drawBoxes(false);
    glPopMatrix();
}

} // namespace Display
} // namespace Model
