#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Core {
namespace Operations {

/// What a distance-counting engine keeps per cell while it runs, made for the run and dropped after
/// it: a byte of marks for every cell, and distance vectors only for the cells the fronts reached.
///
/// A cell the fronts have not reached carries one of two vectors fixed for the run: the source
/// vector when it is marked a source, the vector (r, r, r) of the reach r otherwise. The vectors of
/// reached cells live in bricks of 8 x 8 cells of one x plane (8 along y by 8 along z), made when
/// the first cell of the brick is reached: a front in a thin band along a surface needs the bricks
/// of that band only. A brick lies in one x plane, so the engine's slices (runs of x planes) never
/// share one; each slice makes its bricks from a pool of its own.
class DistanceScratch {
public:
    enum Mark : uint8_t { Settled = 1, Source = 2, Reached = 4 };

    DistanceScratch() = default;
    DistanceScratch(const DistanceScratch &) = delete;
    DistanceScratch &operator=(const DistanceScratch &) = delete;

    /// Marks for every cell (all 0) and an empty brick table for a volume of nx x ny x nz cells
    /// worked on by `slices` slices. May throw std::bad_alloc.
    void allocate(uint32_t nx, uint32_t ny, uint32_t nz, uint32_t slices);
    /// Gives all the memory back.
    void release();
    /// The vectors of cells that were never reached.
    void setUnreached(float reach, const std::array<float, 3> &source)
    {
        m_reach = reach;
        m_source = source;
    }

    /// Bytes per cell that `allocate` takes (marks, brick table), before any brick.
    static constexpr double fixedBytesPerCell = 1.0 + sizeof(float *) / 64.0;

    uint8_t marks(size_t index) const { return m_marks[index]; }
    void setMarks(size_t index, uint8_t marks) { m_marks[index] = marks; }
    bool isSettled(size_t index) const { return m_marks[index] & Settled; }
    void prefetch(size_t index) const { __builtin_prefetch(m_marks.get() + index); }

    /// The vector of the cell at `index`, which lies at (x, y, z).
    void distance(size_t index, uint32_t x, uint32_t y, uint32_t z, float out[3]) const
    {
        const uint8_t m = m_marks[index];
        if (m & Reached) {
            const float *d = m_bricks[brickIndex(x, y, z)] + slot(y, z);
            out[0] = d[0];
            out[1] = d[1];
            out[2] = d[2];
        } else if (m & Source) {
            out[0] = m_source[0];
            out[1] = m_source[1];
            out[2] = m_source[2];
        } else {
            out[0] = out[1] = out[2] = m_reach;
        }
    }
    /// Gives the cell its own vector (making its brick from the pool of `slice`, which must be
    /// the slice that holds x). May throw std::bad_alloc.
    void setDistance(size_t index, uint32_t x, uint32_t y, uint32_t z, const float d[3], uint32_t slice);

    /// Bricks made so far, for the figures.
    size_t brickCount() const;

private:
    static constexpr uint32_t edge = 8;
    static constexpr size_t brickFloats = size_t(edge) * edge * 3;
    /// Bricks a pool takes from the system at once: 48 MiB of address space, of which only the
    /// bricks in use take memory. Blocks this large are mapped for themselves and go back to the
    /// system when the run ends, rather than staying in the heap.
    static constexpr size_t bricksPerChunk = size_t(1) << 16;

    size_t brickIndex(uint32_t x, uint32_t y, uint32_t z) const
    {
        return (size_t(x) * m_bricksY + (y / edge)) * m_bricksZ + (z / edge);
    }
    static size_t slot(uint32_t y, uint32_t z) { return (size_t(y % edge) * edge + (z % edge)) * 3; }

    struct Pool {
        std::vector<std::unique_ptr<float[]>> chunks;
        size_t usedInLast = bricksPerChunk;
    };

    std::unique_ptr<uint8_t[]> m_marks;
    std::unique_ptr<float *[]> m_bricks;
    std::vector<Pool> m_pools;
    uint32_t m_bricksY = 0;
    uint32_t m_bricksZ = 0;
    float m_reach = 0.0f;
    std::array<float, 3> m_source{};
};

} // namespace Operations
} // namespace Core
