#pragma once

#include "Model/Surfaces/cellface.h"
#include "Model/Surfaces/facepalette.h"
#include "Model/Surfaces/nodeface.h"
#include "Model/Surfaces/triangle.h"
#include "Util/vector3d.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Model {
namespace Automaton {

/// The triangles of one volume's surface as mesh files want them: vertices shared between the
/// triangles that meet there, in world units, and one colour per triangle. Every surface of a
/// volume has its corners on the lattice of half cells, so vertices are kept as whole numbers of
/// half cells: equal corners are found exactly, and nothing drifts apart by rounding.
class SurfaceMesh {
public:
    using Rgb = std::array<uint8_t, 3>;

    /// World position of a vertex: `offset` + (half cells / 2) * `cellSize`.
    SurfaceMesh(const float cellSize[3], const Util::Vector3D &offset);

    /// Two triangles (corners 0, 1, 2 and 0, 2, 3) for a cell face, counter-clockwise from outside.
    void addFace(const Geometry::CellFace &face, const Rgb &color);
    /// The same for a face of a cube of cells.
    void addFace(const Geometry::NodeFace &face, const Rgb &color);
    /// A marching-cubes triangle; its position is read back onto the half-cell lattice.
    void addTriangle(const Triangle &triangle, const Rgb &color);

    size_t vertexCount() const { return m_vertices.size(); }
    size_t triangleCount() const { return m_triangles.size(); }
    /// Vertex i in world units.
    std::array<double, 3> vertex(size_t i) const;
    /// Vertex i in half cells.
    const std::array<uint32_t, 3> &halfCells(size_t i) const { return m_vertices[i]; }
    const std::array<uint32_t, 3> &triangle(size_t i) const { return m_triangles[i]; }
    const Rgb &color(size_t i) const { return m_colors[i]; }

    /// The colour of a material as 0..255 bytes (alpha left out).
    static Rgb rgb(const FacePalette::Color &color);

private:
    uint32_t vertexAt(const uint32_t halfCells[3]);
    void addQuad(const uint32_t origin[3], uint32_t edge, unsigned face, const Rgb &color);

    double m_scale[3];
    Util::Vector3D m_offset;
    std::vector<std::array<uint32_t, 3>> m_vertices;
    std::vector<std::array<uint32_t, 3>> m_triangles;
    std::vector<Rgb> m_colors;
    std::unordered_map<uint64_t, uint32_t> m_index;
};

} // namespace Automaton
} // namespace Model
