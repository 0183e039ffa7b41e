#include "Core/Engines/DistanceCounting/ionimplantation.h"

#include "Core/Engines/DistanceCounting/distancecountingiterations.h"

#include <cmath>

namespace Core {
namespace Operations {

IonImplantation::IonImplantation(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth,
                                 float spread, float annealingDistance)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(dopedMaterial)
    , m_depth(depth)
    , m_spread(spread)
    , m_annealing(annealingDistance)
    , m_annealingSquared(annealingDistance * annealingDistance)
    , m_dopable(MaterialSet::compatibleWith(dopableProcess))
    , m_implanted(sliceCount())
{
    m_passableStates = m_dopable.materials();
    // The implanted cells are the sources.
    setUnreachedDistances(annealingDistance, {0.0f, 0.0f, 0.0f});
}

uint32_t IonImplantation::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_annealing, minCellSize());
}

void IonImplantation::run()
{
    if (m_dopable.isEmpty())
        return;
    run(iterationCount());
}

bool IonImplantation::inBand(uint32_t depthIndex, float cellHeight, float depth, float spread)
{
    const float halfWidth = static_cast<float>(double(cellHeight) * 0.5 + double(spread));
    return std::fabs(float(depthIndex) * cellHeight - depth) <= halfWidth;
}

void IonImplantation::initializeSlice(uint32_t begin, uint32_t end, uint32_t slice)
{
    std::lock_guard<std::mutex> guard(m_work[slice].mutex);
    std::vector<uint32_t> &implanted = m_implanted[slice];
    implanted.clear();
    for (uint32_t x = begin; x < end; ++x) {
        for (uint32_t y = 0; y < m_ny; ++y) {
            const uint32_t column = (x * m_ny + y) * m_nz;
            // Empty cells above the topmost occupied one.
            uint32_t z = m_nz;
            while (z > 0 && m_cells.state(column + z - 1) == 0) {
                --z;
                mark(column + z, true);
            }
            // z is now one above the topmost occupied cell (0: the column is empty).
            const uint32_t top = z;
            while (z > 0) {
                --z;
                const uint32_t cell = column + z;
                if (!m_dopable.contains(m_cells.state(cell))) {
                    mark(cell, true);
                } else if (inBand(top - z, m_cz, m_depth, m_spread)) {
                    m_cells.setState(cell, m_material);
                    mark(cell, true, true);
                    implanted.push_back(cell);
                } else {
                    mark(cell, false);
                }
            }
        }
    }
}

void IonImplantation::afterInitialization()
{
    seedFrontsAround(m_implanted);
    for (auto &cells : m_implanted)
        std::vector<uint32_t>().swap(cells);
}

void IonImplantation::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    if (isSettled(index) || !m_dopable.contains(m_cells.state(index)))
        return;
    updateDistance(index, m_material, m_annealingSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
