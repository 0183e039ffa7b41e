#pragma once

#include "volumetesthelpers.h"

#include <QString>

/// Cell volumes with cantilevers for the model extraction tests.
namespace CantileverScenes {

/// A beam sticking out sideways from a silicon block.
struct Beam {
    uint32_t material;
    uint32_t length; ///< cells along +x, starting at the block's face
    uint32_t width;  ///< cells along y
    uint32_t thickness;
    uint32_t y0 = 2;
    uint32_t z0 = 2;
};

/// A silicon block `anchor` cells long at x = 0 over the whole width and `height` cells high, with
/// the beams along +x from its face, free above, below and at their end.
inline std::shared_ptr<Model::Automaton::TotalVolume> block(const std::vector<Beam> &beams, uint32_t anchor = 4,
                                                            uint32_t height = 10, uint32_t ny = 0, uint32_t nz = 0)
{
    uint32_t longest = 0;
    uint32_t top = height;
    uint32_t side = 0;
    for (const Beam &b : beams) {
        longest = std::max(longest, b.length);
        top = std::max(top, b.z0 + b.thickness);
        side = std::max(side, b.y0 + b.width);
    }
    const uint32_t nx = anchor + longest + 3;
    ny = std::max(ny, side + 2);
    nz = std::max(nz, top + 2);
    return makeVolume(nx, ny, nz, [&](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (x < anchor)
            return z < height ? 1u : 0u;
        for (const Beam &b : beams) {
            if (x < anchor + b.length && y >= b.y0 && y < b.y0 + b.width && z >= b.z0 && z < b.z0 + b.thickness)
                return b.material;
        }
        return 0u;
    });
}

/// The same beam lying on a silicon floor that reaches under all of it: supported, not released.
inline std::shared_ptr<Model::Automaton::TotalVolume> supported(const Beam &beam, uint32_t anchor = 4)
{
    auto v = block({beam}, anchor);
    Model::Automaton::CellLock lock(*v);
    for (uint32_t x = anchor; x < v->sizeX(); ++x)
        for (uint32_t y = 0; y < v->sizeY(); ++y)
            for (uint32_t z = 0; z < beam.z0; ++z)
                lock.cells().setState(v->index(x, y, z), 1);
    return v;
}

} // namespace CantileverScenes
