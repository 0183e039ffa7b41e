#pragma once

#include "Model/Surfaces/cellface.h"
#include "Model/Surfaces/nodeface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

/// Draws stored cell faces through a vertex buffer of fixed size, one chunk at a time, so that the
/// faces need no vertex arrays of their own: corners come from the face table and the cell size.
/// Used for the passes that cannot use the merged mesh (transparent faces in depth order, face
/// outlines). Needs a current GL context with vertex and colour arrays enabled.
class FaceBatch {
public:
    /// With normals for lit faces; without for outlines.
    FaceBatch(const float cellSize[3], bool withNormals);
    ~FaceBatch();
    FaceBatch(const FaceBatch &) = delete;
    FaceBatch &operator=(const FaceBatch &) = delete;

    void add(const Geometry::CellFace &face, const uint8_t color[4]);
    /// A face of a cube of cells (octree surfaces).
    void add(const Geometry::NodeFace &face, const uint8_t color[4]);
    /// Draws what was added since the last flush.
    void flush();

private:
    void addQuad(const float origin[3], float edge, unsigned face, const uint8_t color[4]);

    static constexpr size_t capacity = 8192;

    float m_cellSize[3];
    bool m_withNormals;
    size_t m_count = 0;
    std::vector<float> m_positions;
    std::vector<float> m_normals;
    std::vector<uint8_t> m_colors;
};

} // namespace Automaton
} // namespace Model
