#include "facemesh.h"

#include "Model/Geometry/quadface.h"
#include "Model/gl.h"

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

void FaceMesh::draw(const FacePalette &palette, const double eye[3], bool eyeKnown, const float cellSize[3]) const
{
    if (m_compact) {
        // Positions count in 1/64 of a cell; normals then need rescaling for the lighting.
        glPushAttrib(GL_ENABLE_BIT);
        glPushMatrix();
        glScalef(cellSize[0] / compactUnits, cellSize[1] / compactUnits, cellSize[2] / compactUnits);
        glEnable(GL_NORMALIZE);
    }
    // glDrawArrays counts in GLsizei: very long runs go in pieces.
    constexpr size_t maxQuadsPerCall = size_t(1) << 26;
    for (unsigned f = 0; f < 6; ++f) {
        const Direction &d = m_directions[f];
        if (d.runs.empty())
            continue;
        // Faces turned away from a far eye would be culled anyway: skip them here.
        const float *n = Geometry::FaceTable::normals[f];
        if (eyeKnown && n[0] * eye[0] + n[1] * eye[1] + n[2] * eye[2] <= 0.0)
            continue;
        glNormal3fv(n);
        if (m_compact)
            glVertexPointer(3, GL_SHORT, 0, d.compactPositions.data());
        else
            glVertexPointer(3, GL_FLOAT, 0, d.positions.data());
        for (const Run &run : d.runs) {
            glColor4ubv(palette.colorBytes(run.slot).data());
            for (size_t done = 0; done < run.count; done += maxQuadsPerCall) {
                const size_t quads = std::min(maxQuadsPerCall, run.count - done);
                glDrawArrays(GL_QUADS, GLint((run.first + done) * 4), GLsizei(quads * 4));
            }
        }
    }
    if (m_compact) {
        glPopMatrix();
        glPopAttrib();
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
