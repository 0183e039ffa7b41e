#pragma once

#include "Model/Automaton/totalvolume.h"

#include <QThreadPool>

#include <functional>
#include <memory>
#include <vector>

/// Small volumes described by a function of (x, y, z), and their cells read back.
namespace EngineTest {

using Model::Automaton::TotalVolume;
using Shape = std::function<uint32_t(uint32_t x, uint32_t y, uint32_t z)>;

inline std::shared_ptr<TotalVolume> makeVolume(uint32_t nx, uint32_t ny, uint32_t nz, const Shape &shape,
                                               float cx = 1.0f, float cy = 1.0f, float cz = 1.0f)
{
    std::vector<uint32_t> states(size_t(nx) * ny * nz);
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            for (uint32_t z = 0; z < nz; ++z)
                states[(size_t(x) * ny + y) * nz + z] = shape(x, y, z);
    return std::make_shared<TotalVolume>(nx, ny, nz, cx, cy, cz, Util::Vector3D(), states);
}

inline std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells()[i].state();
    return result;
}

inline uint32_t stateAt(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.index(x, y, z)].state();
}

/// Every field the engines write, for bitwise comparisons between runs.
struct CellImage {
    std::vector<uint32_t> states;
    std::vector<float> distances;
    std::vector<bool> settled;
    bool operator==(const CellImage &o) const
    {
        return states == o.states && distances == o.distances && settled == o.settled;
    }
};

inline CellImage image(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    CellImage result;
    for (size_t i = 0; i < volume.cellCount(); ++i) {
        const auto &c = lock.cells()[i];
        result.states.push_back(c.state());
        result.distances.insert(result.distances.end(), {c.distanceX(), c.distanceY(), c.distanceZ()});
        result.settled.push_back(c.isSettled());
    }
    return result;
}

/// Sets the global pool's size for the lifetime of the guard.
class PoolSize {
public:
    explicit PoolSize(int threads)
        : m_old(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(m_old); }

private:
    int m_old;
};

} // namespace EngineTest
