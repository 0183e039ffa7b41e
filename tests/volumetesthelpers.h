#pragma once

#include "Model/Volume/totalvolume.h"

#include <QThreadPool>

#include <functional>
#include <memory>
#include <vector>

/// Builds a volume cell by cell from a function of the coordinates.
inline std::shared_ptr<Model::Automaton::TotalVolume>
makeVolume(uint32_t nx, uint32_t ny, uint32_t nz, const std::function<uint32_t(uint32_t, uint32_t, uint32_t)> &state)
{
    std::vector<uint32_t> states(static_cast<size_t>(nx) * ny * nz);
    size_t i = 0;
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            for (uint32_t z = 0; z < nz; ++z)
                states[i++] = state(x, y, z);
    return std::make_shared<Model::Automaton::TotalVolume>(nx, ny, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

inline std::vector<uint32_t> cellStates(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells().state(i);
    return result;
}

inline std::vector<uint32_t> cutCounts(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells().cutCount(i);
    return result;
}

inline uint32_t stateAt(Model::Automaton::TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells().state(volume.index(x, y, z));
}

/// A repeatable pseudo-random material pattern (no dependence on the library's generator).
inline uint32_t patternState(uint32_t x, uint32_t y, uint32_t z, uint32_t seed, uint32_t materials)
{
    uint32_t h = x * 73856093u ^ y * 19349663u ^ z * 83492791u ^ seed * 2654435761u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h % (materials + 1);
}

/// Sets the global pool's thread count for the lifetime of the guard.
class PoolThreads {
public:
    explicit PoolThreads(int count)
        : m_old(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(count);
    }
    ~PoolThreads() { QThreadPool::globalInstance()->setMaxThreadCount(m_old); }
    PoolThreads(const PoolThreads &) = delete;
    PoolThreads &operator=(const PoolThreads &) = delete;

private:
    int m_old;
};

inline void setStateAt(Model::Automaton::TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z, uint32_t state)
{
    Model::Automaton::CellLock lock(volume);
    lock.cells().setState(volume.index(x, y, z), state);
}
