#pragma once

#include "Model/Volume/silattice.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

/// Silicon wafers for the wet-etch tests: a block of silicon under a one-cell mask layer with a
/// square opening, and the depth profile of the pit that an etch leaves.
namespace WetEtchScene {

constexpr uint32_t Silicon = 1;
constexpr uint32_t Mask = 3;

/// K. Sato et al., Sensors and Actuators A 64 (1998) 87: silicon in 30 wt % KOH at 70 degC, um/min.
constexpr double sato100 = 0.797;
constexpr double sato110 = 1.455;
constexpr double sato111 = 0.005;
constexpr double sato311 = 1.436;

/// n x n x (height + layers + 1) cells: silicon for z < height, the mask (`layers` cells of
/// `material`) from z = height with a `width` x `width` opening in the middle (none when width is
/// 0), empty cells above. With `island` the mask is the other way round: a `width` x `width` island
/// in open space.
struct Pit {
    uint32_t n;
    uint32_t height;
    uint32_t width;
    bool island = false;
    uint32_t layers = 1;
    uint32_t material = Mask;
    uint32_t lower() const { return (n - width) / 2; }
    bool open(uint32_t x, uint32_t y) const
    {
        const bool square = x >= lower() && x < lower() + width && y >= lower() && y < lower() + width;
        return square != island;
    }
    uint32_t state(uint32_t x, uint32_t y, uint32_t z) const
    {
        if (z < height)
            return Silicon;
        if (z < height + layers)
            return open(x, y) ? 0u : material;
        return 0u;
    }
    std::shared_ptr<Model::Automaton::TotalVolume> volume() const
    {
        const uint32_t nz = height + layers + 1;
        std::vector<uint32_t> states(size_t(n) * n * nz);
        for (uint32_t x = 0; x < n; ++x)
            for (uint32_t y = 0; y < n; ++y)
                for (uint32_t z = 0; z < nz; ++z)
                    states[(size_t(x) * n + y) * nz + z] = state(x, y, z);
        return std::make_shared<Model::Automaton::TotalVolume>(n, n, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
    }
};

/// Cells in the given state.
inline size_t count(Model::Automaton::TotalVolume &volume, uint32_t state)
{
    Model::Automaton::CellLock lock(volume);
    size_t n = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        n += lock.cells().state(i) == state ? 1 : 0;
    return n;
}

/// What the lattice stores: every atom's state and every unit cell's kept mark.
inline std::vector<uint8_t> latticeBytes(const Model::Automaton::SiLattice &lattice)
{
    std::vector<uint8_t> bytes(lattice.storedByteCount());
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = lattice.storedByte(i);
    return bytes;
}

/// Empty cells below the mask layer in column (x, y), counted down from the top silicon layer.
inline uint32_t depthAt(Model::Automaton::TotalVolume &volume, uint32_t height, uint32_t x, uint32_t y)
{
    Model::Automaton::CellLock lock(volume);
    uint32_t depth = 0;
    while (depth < height && lock.cells().state(volume.index(x, y, height - 1 - depth)) == 0)
        ++depth;
    return depth;
}

/// The wall's slope from a depth profile: least squares over the points strictly between the
/// first etched column and the bottom (or the apex).
inline double wallSlope(const std::vector<double> &position, const std::vector<double> &depth)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(position.size());
    for (size_t i = 0; i < position.size(); ++i) {
        sx += position[i];
        sy += depth[i];
        sxx += position[i] * position[i];
        sxy += position[i] * depth[i];
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

inline double degrees(double radians) { return radians * 180.0 / M_PI; }

} // namespace WetEtchScene
