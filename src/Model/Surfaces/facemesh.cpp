#include "facemesh.h"

#include "Model/Surfaces/quadface.h"

#include <algorithm>
#include <limits>

namespace Model {
namespace Automaton {

bool FaceMesh::fitsCompact(const uint32_t upper[3])
{
    // The widest corner is one sliver beyond the upper side of the window.
    const uint32_t largest = std::max({upper[0], upper[1], upper[2]});
    return uint64_t(largest) * compactUnits + 1 <= uint64_t(std::numeric_limits<int16_t>::max());
}

void FaceMesh::resize(unsigned face, size_t quads)
{
    Direction &d = m_directions[face];
    if (m_compact)
        d.compactPositions.resize(quads * coordinatesPerQuad);
    else
        d.positions.resize(quads * coordinatesPerQuad);
}

size_t FaceMesh::quadCount(unsigned face) const
{
    const Direction &d = m_directions[face];
    return (m_compact ? d.compactPositions.size() : d.positions.size()) / coordinatesPerQuad;
}

void FaceMesh::writeQuad(size_t at, unsigned face, const uint32_t origin[3], unsigned axis, uint32_t length,
                         const float cellSize[3])
{
    // Merged quads meet their neighbours in T-junctions, where the rasterizer can leave pixel
    // cracks; a sliver of overlap (1/64 of a cell) in the face's plane closes them.
    const unsigned normalAxis = 2 - face / 2;
    Direction &d = m_directions[face];
    int16_t *compact = m_compact ? &d.compactPositions[at * coordinatesPerQuad] : nullptr;
    float *exact = m_compact ? nullptr : &d.positions[at * coordinatesPerQuad];
    for (int k = 0; k < 4; ++k) {
        for (unsigned i = 0; i < 3; ++i) {
            const int corner = Geometry::FaceTable::corners[face][k][i] > 0.5f ? 1 : 0;
            const int64_t extent = i == axis ? int64_t(length) : 1;
            const int widen = i == normalAxis ? 0 : (corner ? 1 : -1);
            const int64_t units = (int64_t(origin[i]) + corner * extent) * compactUnits + widen;
            if (compact)
                *compact++ = static_cast<int16_t>(units);
            else
                *exact++ = float(double(units) / compactUnits) * cellSize[i];
        }
    }
}

size_t FaceMesh::storedBytes() const
{
    size_t bytes = sizeof(*this);
    for (const Direction &d : m_directions) {
        bytes += d.positions.capacity() * sizeof(float) + d.compactPositions.capacity() * sizeof(int16_t) +
                 d.runs.capacity() * sizeof(Run);
    }
    return bytes;
}

} // namespace Automaton
} // namespace Model
