#pragma once

#include "Model/Surfaces/cubicfacegenerator.h"
#include "Model/Surfaces/facepalette.h"
#include "Model/Surfaces/triangle.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {

class SurfaceMesh;
class TotalVolume;

/// A smoothed surface through the cells by marching cubes. A cube joins the lowest corners of
/// eight neighbouring cells; a corner is inside when its cell holds material, lies in the window
/// (its lower layer counting as empty, which closes the surface there) and is not cut. Vertices sit
/// half way along the crossed cube edges (the cells hold labels, not densities, so there is nothing
/// to interpolate) and take the material of the edge's first corner if it has one, else the
/// second's. Vertex normals are the mean of the face normals at the nearest cell corner.
/// Generation and drawing hold the surface's own mutex, so a draw never sees half a surface.
class MarchingCubeSurface {
public:
    explicit MarchingCubeSurface(TotalVolume &volume);
    MarchingCubeSurface(const MarchingCubeSurface &) = delete;
    MarchingCubeSurface &operator=(const MarchingCubeSurface &) = delete;

    /// Rebuilds the triangles of the window [lower, upper) from the cells (locks them meanwhile):
    /// x slabs of cubes run on the global pool and their triangles follow each other in slab order,
    /// which is cube order whatever the thread count.
    void generate(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper,
                  const GenerationProbe &probe = GenerationProbe());
    /// Forgets the triangles.
    void release();

    /// Calls `use` under the surface's lock with the blocks of triangles and, per block, their
    /// vertex colours (red, green, blue, alpha bytes per vertex) by material, highlighted when
    /// `selected`. The colours are kept until the colours or the selection change.
    void withColoredTriangles(const FacePalette::ColorMap &colors, bool selected,
                              const std::function<void(const std::vector<std::vector<Triangle>> &,
                                                       const std::vector<std::vector<uint8_t>> &)> &use);

    /// Adds the triangles to a mesh, each in the colour of the material most of its vertices have
    /// (the first vertex's when they all differ).
    void appendTo(SurfaceMesh &mesh, const FacePalette::ColorMap &colors) const;

    size_t triangleCount() const;
    /// The triangles in list order (a copy).
    std::vector<Triangle> triangles() const;
    /// Pool tasks of the last generation; 0 when it ran in the calling thread.
    unsigned lastTaskCount() const;
    size_t storedBytes() const;

private:
    TotalVolume &m_volume;
    float m_cellSize[3];

    mutable std::mutex m_mutex;
    /// The triangles in blocks, those of the slab tasks in task order.
    std::vector<std::vector<Triangle>> m_chunks;
    /// Per chunk, the vertex colours last handed out, and what they were made from.
    std::vector<std::vector<uint8_t>> m_colorBytes;
    FacePalette::ColorMap m_drawnColors;
    bool m_drawnSelected = false;
    unsigned m_lastTaskCount = 0;
};

} // namespace Automaton
} // namespace Model
