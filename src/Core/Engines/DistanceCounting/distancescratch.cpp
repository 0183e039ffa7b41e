#include "Core/Engines/DistanceCounting/distancescratch.h"

namespace Core {
namespace Operations {

void DistanceScratch::allocate(uint32_t nx, uint32_t ny, uint32_t nz, uint32_t slices)
{
    release();
    m_bricksY = (ny + edge - 1) / edge;
    m_bricksZ = (nz + edge - 1) / edge;
    m_marks = std::make_unique<uint8_t[]>(size_t(nx) * ny * nz);
    m_bricks = std::make_unique<float *[]>(size_t(nx) * m_bricksY * m_bricksZ);
    m_pools = std::vector<Pool>(slices);
}

void DistanceScratch::release()
{
    m_marks.reset();
    m_bricks.reset();
    std::vector<Pool>().swap(m_pools);
}

void DistanceScratch::setDistance(size_t index, uint32_t x, uint32_t y, uint32_t z, const float d[3], uint32_t slice)
{
    float *&brick = m_bricks[brickIndex(x, y, z)];
    if (!brick) {
        Pool &pool = m_pools[slice];
        if (pool.usedInLast == bricksPerChunk) {
            // Not value-initialized: a brick is written before it is read, and pages never written take no memory.
            pool.chunks.push_back(std::unique_ptr<float[]>(new float[bricksPerChunk * brickFloats]));
            pool.usedInLast = 0;
        }
        brick = pool.chunks.back().get() + pool.usedInLast++ * brickFloats;
    }
    float *to = brick + slot(y, z);
    to[0] = d[0];
    to[1] = d[1];
    to[2] = d[2];
    m_marks[index] |= Reached;
}

size_t DistanceScratch::brickCount() const
{
    size_t count = 0;
    for (const Pool &pool : m_pools) {
        if (!pool.chunks.empty())
            count += (pool.chunks.size() - 1) * bricksPerChunk + pool.usedInLast;
    }
    return count;
}

} // namespace Operations
} // namespace Core
