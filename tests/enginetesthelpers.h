#pragma once

#include "Model/Process/processfactory.h"
#include "Model/Volume/silattice.h"
#include "Model/Volume/totalvolume.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <array>
#include <functional>
#include <memory>
#include <vector>

/// Small volumes described by a function of (x, y, z), and their cells read back.
namespace EngineTest {

using Model::Automaton::TotalVolume;
using Shape = std::function<uint32_t(uint32_t x, uint32_t y, uint32_t z)>;

/// A volume of the given shape whose cells are `cz` high.
inline std::shared_ptr<TotalVolume> makeVolume(uint32_t nx, uint32_t ny, uint32_t nz, const Shape &shape, float cz)
{
    return std::make_shared<TotalVolume>(nx, ny, nz, 1.0f, 1.0f, cz, Util::Vector3D(),
                                         cellStates(*::makeVolume(nx, ny, nz, shape)));
}

/// Everything the engines leave per cell, for bitwise comparisons between runs: the states and
/// the atom counts of the silicon lattice (0 without one).
struct CellImage {
    std::vector<uint32_t> states;
    std::vector<uint32_t> atoms;
    bool operator==(const CellImage &o) const { return states == o.states && atoms == o.atoms; }
};

inline CellImage image(TotalVolume &volume)
{
    const auto lattice = volume.siLattice();
    Model::Automaton::CellLock lock(volume);
    CellImage result;
    for (size_t i = 0; i < volume.cellCount(); ++i) {
        result.states.push_back(lock.cells().state(i));
        result.atoms.push_back(lattice ? lattice->atomCount(i) : 0u);
    }
    return result;
}

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t Al = 4;
constexpr uint32_t Cu = 5;
constexpr uint32_t Resist = 11;
constexpr uint32_t NSi = 14;
constexpr uint32_t PSi = 15;
constexpr uint32_t PolySi = 16;
constexpr uint32_t Polymer = 18; // the fluorocarbon film of Bosch etching

using EngineRun = std::function<void(TotalVolume &)>;

/// Uneven silicon with P-doped and poly-Si columns, oxide caps, aluminium posts and resist pads,
/// so that fronts cross slice borders in every direction.
inline uint32_t rough(uint32_t x, uint32_t y, uint32_t z)
{
    const uint32_t height = 4 + (x * 7 + y * 13) % 5;
    if (z < height)
        return (x + 2 * y) % 7 == 0 && z + 2 >= height ? Oxide : (x % 5 == 3 ? PSi : x % 5 == 1 ? PolySi : Si);
    if (x % 4 == 1 && y % 3 == 0 && z < height + 3)
        return Al;
    return x % 3 == 2 && z < height + 2 ? Resist : 0u;
}

/// A volume, an engine run on it and the state every cell must have after it, worked out by hand.
struct Scene {
    uint32_t nx, ny, nz;
    Shape start;
    EngineRun run;
    Shape expected;
    float cz = 1.0f;
};

} // namespace EngineTest

Q_DECLARE_METATYPE(EngineTest::Scene)
Q_DECLARE_METATYPE(EngineTest::EngineRun)

namespace EngineTest {

/// The first cell whose state is not `expected`, as text; empty when every cell agrees.
inline QString firstMismatch(TotalVolume &volume, const Shape &expected)
{
    const std::vector<uint32_t> cells = cellStates(volume);
    for (uint32_t x = 0; x < volume.sizeX(); ++x)
        for (uint32_t y = 0; y < volume.sizeY(); ++y)
            for (uint32_t z = 0; z < volume.sizeZ(); ++z)
                if (cells[volume.index(x, y, z)] != expected(x, y, z))
                    return QString::asprintf("cell (%u, %u, %u) holds %u, not %u", x, y, z,
                                             cells[volume.index(x, y, z)], expected(x, y, z));
    return QString();
}

/// Adds a row to a table of scenes (column "scene").
inline void scene(const char *name, std::array<uint32_t, 3> size, const Shape &start, const EngineRun &run,
                  const Shape &expected, float cz = 1.0f)
{
    QTest::newRow(name) << Scene{size[0], size[1], size[2], start, run, expected, cz};
}

/// A row whose run must leave every cell as it was.
inline void unchanged(const char *name, std::array<uint32_t, 3> size, const Shape &start, const EngineRun &run)
{
    scene(name, size, start, run, start);
}

/// The test of a table of scenes: each gives its hand-worked cells with one and with three threads.
inline void checkScene()
{
    QFETCH(Scene, scene);
    for (int threads : {1, 3}) {
        PoolThreads pool(threads);
        auto volume = makeVolume(scene.nx, scene.ny, scene.nz, scene.start, scene.cz);
        scene.run(*volume);
        const QString mismatch = firstMismatch(*volume, scene.expected);
        QVERIFY2(mismatch.isEmpty(), qPrintable(QStringLiteral("%1 threads: ").arg(threads) + mismatch));
    }
}

inline std::vector<uint32_t> atomCounts(TotalVolume &volume) { return image(volume).atoms; }

/// Replaces the compatible materials of a catalogue process for the lifetime of the guard.
class CompatibleMaterials {
public:
    CompatibleMaterials(uint32_t process, const QList<uint32_t> &materials)
        : m_old(Model::Process::ProcessFactory::instance()->getProcess(process))
    {
        Model::Process::ProcessFactory::instance()->setProcess(
            Model::Process::Process(m_old.name(), process, materials));
    }
    ~CompatibleMaterials() { Model::Process::ProcessFactory::instance()->setProcess(m_old); }

private:
    Model::Process::Process m_old;
};

} // namespace EngineTest
