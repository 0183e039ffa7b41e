#include "Core/Engines/Columns/planarization.h"

#include "Core/Engines/Columns/columnslabs.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

Planarization::Planarization(Model::Automaton::TotalVolume &volume, uint32_t maximumHeight, uint32_t minimumHeight)
    : m_volume(volume)
    , m_upperCut(std::min(maximumHeight, volume.sizeZ()))
    , m_lowerCut(std::min(minimumHeight, volume.sizeZ()))
{
}

void Planarization::run()
{
    const uint32_t nz = m_volume.sizeZ();
    sweepColumns(m_volume, m_control, [this, nz](Model::Automaton::Cells column) {
        for (uint32_t z = 0; z < m_lowerCut; ++z)
            column.setState(z, 0);
        for (uint32_t z = m_upperCut; z < nz; ++z)
            column.setState(z, 0);
    });
}

} // namespace Operations
} // namespace Core
