#include "surfacemesh.h"

#include "Model/Materials/colorbytes.h"
#include "Model/Surfaces/quadface.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Model {
namespace Automaton {

SurfaceMesh::SurfaceMesh(const float cellSize[3], const Util::Vector3D &offset)
    : m_scale{0.5 * cellSize[0], 0.5 * cellSize[1], 0.5 * cellSize[2]}
    , m_offset(offset)
{
}

SurfaceMesh::Rgb SurfaceMesh::rgb(const FacePalette::Color &color)
{
    Rgb bytes;
    for (int i = 0; i < 3; ++i)
        bytes[i] = Materials::colorByte(color[i]);
    return bytes;
}

std::array<double, 3> SurfaceMesh::vertex(size_t i) const
{
    const auto &h = m_vertices[i];
    return {m_offset.x + h[0] * m_scale[0], m_offset.y + h[1] * m_scale[1], m_offset.z + h[2] * m_scale[2]};
}

uint32_t SurfaceMesh::vertexAt(const uint32_t h[3])
{
    // 21 bits an axis: a million cells along any side.
    constexpr uint32_t limit = 1u << 21;
    if (h[0] >= limit || h[1] >= limit || h[2] >= limit)
        throw std::length_error("the volume is too large to be written as a mesh");
    const uint64_t key = uint64_t(h[0]) << 42 | uint64_t(h[1]) << 21 | h[2];
    const auto found = m_index.emplace(key, uint32_t(m_vertices.size()));
    if (found.second)
        m_vertices.push_back({h[0], h[1], h[2]});
    return found.first->second;
}

void SurfaceMesh::addQuad(const uint32_t origin[3], uint32_t edge, unsigned face, const Rgb &color)
{
    uint32_t corner[4];
    for (int k = 0; k < 4; ++k) {
        uint32_t h[3];
        for (int i = 0; i < 3; ++i)
            h[i] = 2 * (origin[i] + edge * uint32_t(Geometry::FaceTable::corners[face][k][i]));
        corner[k] = vertexAt(h);
    }
    m_triangles.push_back({corner[0], corner[1], corner[2]});
    m_triangles.push_back({corner[0], corner[2], corner[3]});
    m_colors.push_back(color);
    m_colors.push_back(color);
}

void SurfaceMesh::addFace(const Geometry::CellFace &face, const Rgb &color)
{
    const uint32_t origin[3] = {face.x, face.y, face.z};
    addQuad(origin, 1, face.face(), color);
}

void SurfaceMesh::addFace(const Geometry::NodeFace &face, const Rgb &color)
{
    const uint32_t origin[3] = {face.x, face.y, face.z};
    addQuad(origin, face.edge(), face.face(), color);
}

void SurfaceMesh::addTriangle(const Triangle &triangle, const Rgb &color)
{
    std::array<uint32_t, 3> corners;
    for (int v = 0; v < 3; ++v) {
        uint32_t h[3];
        for (int i = 0; i < 3; ++i)
            h[i] = uint32_t(std::max(0L, std::lround(triangle.vertices[v].position[i] / m_scale[i])));
        corners[v] = vertexAt(h);
    }
    m_triangles.push_back(corners);
    m_colors.push_back(color);
}

} // namespace Automaton
} // namespace Model
