#include "facebatch.h"

#include "Model/Display/gl.h"
#include "Model/Surfaces/quadface.h"

#include <cstring>

namespace Model {
namespace Automaton {

FaceBatch::FaceBatch(const float cellSize[3], bool withNormals)
    : m_cellSize{cellSize[0], cellSize[1], cellSize[2]}
    , m_withNormals(withNormals)
    , m_positions(capacity * 12)
    , m_normals(withNormals ? capacity * 12 : 0)
    , m_colors(capacity * 16)
{
}

FaceBatch::~FaceBatch() { flush(); }

void FaceBatch::add(const Geometry::CellFace &face, const uint8_t color[4])
{
    const float origin[3] = {float(face.x), float(face.y), float(face.z)};
    addQuad(origin, 1.0f, face.face(), color);
}

void FaceBatch::add(const Geometry::NodeFace &face, const uint8_t color[4])
{
    const float origin[3] = {float(face.x), float(face.y), float(face.z)};
    addQuad(origin, float(face.edge()), face.face(), color);
}

void FaceBatch::addQuad(const float origin[3], float edge, unsigned f, const uint8_t color[4])
{
    if (m_count == capacity)
        flush();
    float *position = &m_positions[m_count * 12];
    uint8_t *colors = &m_colors[m_count * 16];
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 3; ++i)
            *position++ = (origin[i] + edge * Geometry::FaceTable::corners[f][k][i]) * m_cellSize[i];
        std::memcpy(colors + 4 * k, color, 4);
    }
    if (m_withNormals) {
        float *normal = &m_normals[m_count * 12];
        for (int k = 0; k < 4; ++k)
            std::memcpy(normal + 3 * k, Geometry::FaceTable::normals[f], 3 * sizeof(float));
    }
    ++m_count;
}

void FaceBatch::flush()
{
    if (m_count == 0)
        return;
    glVertexPointer(3, GL_FLOAT, 0, m_positions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colors.data());
    if (m_withNormals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, m_normals.data());
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    glDrawArrays(GL_QUADS, 0, GLsizei(m_count * 4));
    m_count = 0;
}

} // namespace Automaton
} // namespace Model
