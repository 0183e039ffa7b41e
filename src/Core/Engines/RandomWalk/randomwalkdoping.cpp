#include "Core/Engines/RandomWalk/randomwalkdoping.h"

#include "Core/Engines/RandomWalk/randomstream.h"
#include "Model/Process/processfactory.h"
#include "Model/Volume/totalvolume.h"
#include "Util/debugoutput.h"
#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace Core {
namespace Operations {

using Model::Automaton::Cells;
using Model::Automaton::ParticleCounts;

namespace {

constexpr unsigned S = ParticleCounts::slotsPerCell;
constexpr uint32_t denseMaterials = 1u << 16;
constexpr double maximumSteps = 4294967295.0;

QString number(double value) { return QString::number(value, 'g', 6); }

// trunc(value), except that a value a rounding error short of a whole number (1 um given as
// 1e-6 m cubes to 9.999999999999999e-19 m^3) counts as that number.
double wholePart(double value)
{
    const double nearest = std::round(value);
    if (std::abs(value - nearest) <= 1e-9 * std::max(1.0, std::abs(value)))
        return nearest;
    return std::trunc(value);
}

QString stepCountProblem(double dopingTime, double timeStep)
{
    if (dopingTime / timeStep < maximumSteps + 1.0)
        return QString();
    return QStringLiteral("The doping time needs %1 time steps; at most %2 can be run. Use a longer time step.")
        .arg(number(std::trunc(dopingTime / timeStep)), number(maximumSteps));
}

// Draws k from n by a binomial with chance r, approximated by a normal distribution of the same
// mean and spread; draws outside 0..n are drawn again.
uint32_t split(RandomStream &random, uint32_t n, double r)
{
    if (n == 0 || r <= 0.0)
        return 0;
    if (r >= 1.0)
        return n;
    const double mean = double(n) * r;
    const double spread = std::sqrt((1.0 - r) * mean);
    for (;;) {
        const double k = std::round(mean + spread * random.normal());
        if (k >= 0.0 && k <= double(n))
            return uint32_t(k);
    }
}

} // namespace

RandomWalkDoping::RandomWalkDoping(Model::Automaton::TotalVolume &volume, uint32_t dopingMaterial,
                                   double diffusionCoefficient, double timeStep, double cellSize,
                                   double dopantConcentration, double thresholdConcentration)
    : m_volume(volume)
    , m_dopingMaterial(dopingMaterial)
    , m_timeStep(timeStep)
    , m_seed(clockSeed())
{
    const QString problem =
        checkParameters(diffusionCoefficient, timeStep, cellSize, dopantConcentration, thresholdConcentration, 0.0);
    if (!problem.isEmpty())
        throw std::invalid_argument(problem.toStdString());
    const double cellVolume = cellSize * cellSize * cellSize;
    m_surfaceCount = uint32_t(wholePart(cellVolume * dopantConcentration));
    // A threshold above every count that can occur simply never turns a cell.
    m_thresholdCount = uint32_t(
        std::min(wholePart(cellVolume * thresholdConcentration), double(std::numeric_limits<uint32_t>::max())));
    m_q = diffusionCoefficient * timeStep / (cellSize * cellSize);

    m_fieldName = ParticleCounts::fieldNameFor(dopingMaterial);
    m_counts = ParticleCounts::of(volume, m_fieldName);
    if (!m_counts) {
        m_counts = std::make_shared<ParticleCounts>(volume.cellCount());
        ParticleCounts::attach(volume, m_fieldName, m_counts);
        m_createdField = true;
    }
    setDopableMaterials(Model::Process::ProcessFactory::instance()->getProcess(13).compatibleMaterialIds());
}

QString RandomWalkDoping::checkParameters(double diffusionCoefficient, double timeStep, double cellSize,
                                          double dopantConcentration, double thresholdConcentration, double dopingTime)
{
    // An infinite value comes from an input beyond the double numbers: it is not "negative".
    const std::pair<double, const char *> values[] = {{cellSize, "cell size"},
                                                      {timeStep, "time step"},
                                                      {diffusionCoefficient, "diffusion coefficient"},
                                                      {dopantConcentration, "dopant concentration"},
                                                      {thresholdConcentration, "threshold"},
                                                      {dopingTime, "doping time"}};
    for (const auto &value : values) {
        if (!std::isfinite(value.first))
            return QStringLiteral("The %1 is %2, not a finite number.")
                .arg(QLatin1String(value.second), number(value.first));
    }
    if (!std::isfinite(cellSize) || cellSize <= 0.0)
        return QStringLiteral("The cell size must be greater than 0.");
    if (!std::isfinite(timeStep) || timeStep <= 0.0)
        return QStringLiteral("The time step must be greater than 0.");
    if (!std::isfinite(diffusionCoefficient) || diffusionCoefficient < 0.0)
        return QStringLiteral("The diffusion coefficient must not be negative.");
    if (!std::isfinite(dopantConcentration) || dopantConcentration < 0.0)
        return QStringLiteral("The dopant concentration must not be negative.");
    if (!std::isfinite(thresholdConcentration) || thresholdConcentration < 0.0)
        return QStringLiteral("The threshold must not be negative.");
    if (!std::isfinite(dopingTime) || dopingTime < 0.0)
        return QStringLiteral("The doping time must not be negative.");
    // A particle moves to each of the six neighbours with chance q = D dt / a^2 and stays with
    // 1 - 6q, which must not be negative.
    const double sixQ = 6.0 * diffusionCoefficient * timeStep / (cellSize * cellSize);
    if (sixQ > 1.0 + 1e-12) {
        return QStringLiteral("The time step of %1 s is too long for cells of %2 m and a diffusion coefficient of "
                              "%3 m^2/s: a particle would have to leave its cell more often than always. The "
                              "largest allowed time step is %4 s (cell size^2 / (6 D)).")
            .arg(number(timeStep), number(cellSize), number(diffusionCoefficient),
                 number(largestTimeStep(diffusionCoefficient, cellSize)));
    }
    const double perCell = wholePart(cellSize * cellSize * cellSize * dopantConcentration);
    if (perCell > double(maximumSurfaceCount)) {
        return QStringLiteral("The dopant concentration gives %1 particles per cell, more than the %2 that can be "
                              "counted. Use smaller cells or a lower concentration.")
            .arg(number(perCell))
            .arg(maximumSurfaceCount);
    }
    return stepCountProblem(dopingTime, timeStep);
}

double RandomWalkDoping::largestTimeStep(double diffusionCoefficient, double cellSize)
{
    if (diffusionCoefficient <= 0.0)
        return std::numeric_limits<double>::infinity();
    return cellSize * cellSize / (6.0 * diffusionCoefficient);
}

uint64_t RandomWalkDoping::stepCount(double totalTime, double timeStep)
{
    const double ratio = totalTime / timeStep;
    return ratio >= 1.0 ? uint64_t(std::trunc(ratio)) : 0;
}

uint64_t RandomWalkDoping::clockSeed() { return uint64_t(std::chrono::system_clock::now().time_since_epoch().count()); }

void RandomWalkDoping::setDopableMaterials(const QList<uint32_t> &materials)
{
    m_dopable.assign(denseMaterials, 0);
    m_dopableLarge.clear();
    for (uint32_t material : materials) {
        if (material == 0)
            continue; // empty cells are the source, never a dopable material
        if (material < denseMaterials)
            m_dopable[material] = 1;
        else
            m_dopableLarge.push_back(material);
    }
    std::sort(m_dopableLarge.begin(), m_dopableLarge.end());
}

bool RandomWalkDoping::isDopable(uint32_t material) const
{
    if (material < denseMaterials)
        return m_dopable[material] != 0;
    return std::binary_search(m_dopableLarge.begin(), m_dopableLarge.end(), material);
}

uint64_t RandomWalkDoping::dope(double totalTime)
{
    const QString problem = stepCountProblem(totalTime, m_timeStep);
    if (!problem.isEmpty())
        throw std::invalid_argument(problem.toStdString());
    const uint64_t steps = stepCount(totalTime, m_timeStep);

    Util::RunStage stage(m_control, steps + 1);
    if (stage.stopHere())
        return 0;
    QElapsedTimer timer;
    timer.start();
    Model::Automaton::CellLock lock(m_volume);
    Util::DebugOutput::line(QStringLiteral("Steps to run: %1").arg(steps));
    if (steps > 0) {
        initialise(lock.cells());
        markWalkingCells();
        stage.advance();
        for (uint64_t step = 0; step < steps; ++step) {
            // Between steps every particle has moved: the counts are whole (not yet thresholded).
            if (stage.stopHere()) {
                std::vector<uint8_t>().swap(m_classes);
                return step;
            }
            gather();
            scatter(lock.cells(), step);
            if (step % 100 == 0 && Util::DebugOutput::isEnabled())
                Util::DebugOutput::line(QStringLiteral("At step %1").arg(step));
            stage.advance();
        }
        finish(lock.cells());
        std::vector<uint8_t>().swap(m_classes);
    }
    stage.finish();
    Util::DebugOutput::line(QStringLiteral("Time to run: %1 ms").arg(timer.elapsed()));
    return steps;
}

void RandomWalkDoping::initialise(Cells cells)
{
    const uint32_t nx = m_volume.sizeX();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    m_classes.assign(m_volume.cellCount(), Settled);
    // Empty cells carry a surface cell's share of moving particles; only surface cells meet them,
    // and those are held at N0 anyway.
    const uint32_t sourceMoving = uint32_t(std::trunc(double(m_surfaceCount) * m_q));
    const uint32_t sourceStaying = uint32_t(std::trunc(double(m_surfaceCount) * (1.0 - 6.0 * m_q)));
    uint32_t *counts = m_counts->data();

    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        for (uint32_t x = uint32_t(begin); x < uint32_t(end); ++x)
            for (uint32_t y = 0; y < ny; ++y)
                for (uint32_t z = 0; z < nz; ++z) {
                    const size_t i = m_volume.index(x, y, z);
                    uint32_t *c = counts + i * S;
                    const uint32_t state = cells.state(i);
                    if (state == 0) {
                        std::fill(c, c + 6, sourceMoving);
                        c[6] = sourceStaying;
                        continue;
                    }
                    if (!isDopable(state)) {
                        std::fill(c, c + S, 0u);
                        continue;
                    }
                    bool surface = false;
                    if (m_surfaceCount > 0) {
                        const long long p[3] = {x, y, z};
                        for (int axis = 0; axis < 3 && !surface; ++axis)
                            for (int d = -1; d <= 1 && !surface; d += 2) {
                                long long q[3] = {p[0], p[1], p[2]};
                                q[axis] += d;
                                surface =
                                    m_volume.contains(q[0], q[1], q[2]) &&
                                    cells.state(m_volume.index(uint32_t(q[0]), uint32_t(q[1]), uint32_t(q[2]))) == 0;
                            }
                    }
                    m_classes[i] = surface ? Surface : Walking;
                }
    });
}

void RandomWalkDoping::markWalkingCells()
{
    // Words of 64 cells, each written by one task.
    std::vector<uint64_t> bits((m_classes.size() + 63) / 64, 0);
    const uint8_t *classes = m_classes.data();
    const size_t n = m_classes.size();
    Util::runParallelRange(bits.size(), 1 << 10, [&](size_t begin, size_t end) {
        for (size_t word = begin; word < end; ++word) {
            uint64_t w = 0;
            for (size_t i = word * 64; i < std::min(n, word * 64 + 64); ++i)
                w |= uint64_t(classes[i] != Settled) << (i & 63);
            bits[word] = w;
        }
    });
    m_volume.setWalkedCells(std::move(bits));
}

void RandomWalkDoping::gather()
{
    const uint32_t nx = m_volume.sizeX();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    uint32_t *counts = m_counts->data();
    const uint8_t *classes = m_classes.data();
    const uint32_t n0 = m_surfaceCount;

    // A cell takes slot k of its neighbour at offset k: 0 (0,0,-1), 1 (0,0,+1), 2 (0,-1,0),
    // 3 (0,+1,0), 4 (-1,0,0), 5 (+1,0,0). It writes only its own slot 6, which no neighbour reads.
    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        for (uint32_t x = uint32_t(begin); x < uint32_t(end); ++x) {
            const uint32_t xm = x > 0 ? x - 1 : nx - 1;
            const uint32_t xp = x + 1 < nx ? x + 1 : 0;
            for (uint32_t y = 0; y < ny; ++y) {
                const uint32_t ym = y > 0 ? y - 1 : ny - 1;
                const uint32_t yp = y + 1 < ny ? y + 1 : 0;
                const size_t first = m_volume.index(x, y, 0);
                uint32_t *here = counts + first * S;
                const uint32_t *fromXm = counts + m_volume.index(xm, y, 0) * S;
                const uint32_t *fromXp = counts + m_volume.index(xp, y, 0) * S;
                const uint32_t *fromYm = counts + m_volume.index(x, ym, 0) * S;
                const uint32_t *fromYp = counts + m_volume.index(x, yp, 0) * S;
                const uint8_t *kind = classes + first;
                for (uint32_t z = 0; z < nz; ++z) {
                    if (kind[z] == Settled)
                        continue;
                    const size_t at = size_t(z) * S;
                    if (kind[z] == Surface) {
                        here[at + 6] = n0;
                        continue;
                    }
                    uint64_t total =
                        uint64_t(here[at + 6]) + fromXm[at + 4] + fromXp[at + 5] + fromYm[at + 2] + fromYp[at + 3];
                    if (z > 0)
                        total += here[at - S + 0];
                    if (z + 1 < nz)
                        total += here[at + S + 1];
                    here[at + 6] = uint32_t(std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max()));
                }
            }
        }
    });
}

void RandomWalkDoping::scatter(Cells cells, uint64_t step)
{
    const uint32_t nx = m_volume.sizeX();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    uint32_t *counts = m_counts->data();
    const uint8_t *classes = m_classes.data();
    // u = draw / 4294967295 goes to slot k when u < (k + 1) q: compared on the draw itself.
    double bound[6];
    for (int k = 0; k < 6; ++k)
        bound[k] = double(k + 1) * m_q * 4294967295.0;
    const double stay = 1.0 - 6.0 * m_q;

    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        for (uint32_t x = uint32_t(begin); x < uint32_t(end); ++x) {
            // One stream per x plane and step, whichever thread runs it.
            RandomStream random(m_seed, step, x);
            for (uint32_t y = 0; y < ny; ++y) {
                const size_t first = m_volume.index(x, y, 0);
                for (uint32_t z = 0; z < nz; ++z) {
                    if (classes[first + z] == Settled)
                        continue;
                    uint32_t *c = counts + (first + z) * S;
                    const uint32_t n = c[6];
                    uint32_t out[S] = {0, 0, 0, 0, 0, 0, 0};
                    if (n <= singleDrawLimit) {
                        for (uint32_t i = 0; i < n; ++i) {
                            const double u = double(random.next32());
                            if (u >= bound[5]) {
                                ++out[6];
                                continue;
                            }
                            int k = 0;
                            while (u >= bound[k])
                                ++k;
                            ++out[k];
                        }
                    } else {
                        const uint32_t staying = split(random, n, stay);
                        const uint32_t moving = n - staying;
                        const uint32_t a = split(random, moving, 1.0 / 3.0);
                        const uint32_t b = moving - a;
                        const uint32_t cPart = split(random, b, 0.5);
                        const uint32_t d = b - cPart;
                        out[0] = split(random, a, 0.5);
                        out[1] = a - out[0];
                        out[2] = split(random, cPart, 0.5);
                        out[3] = cPart - out[2];
                        out[4] = split(random, d, 0.5);
                        out[5] = d - out[4];
                        out[6] = staying;
                    }
                    std::copy(out, out + S, c);
                    if (out[6] > m_thresholdCount)
                        cells.setState(first + z, m_dopingMaterial);
                }
            }
        }
    });
}

void RandomWalkDoping::finish(Cells cells)
{
    uint32_t *counts = m_counts->data();
    Util::runParallelRange(m_volume.cellCount(), 1 << 16, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            if (!isDopable(cells.state(i)))
                std::fill(counts + i * S, counts + (i + 1) * S, 0u);
        }
    });
}

} // namespace Operations
} // namespace Core
