#include "Core/Engines/Columns/spincoating.h"

#include "Core/Engines/Columns/columnslabs.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

SpinCoating::SpinCoating(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t depositionHeight)
    : m_volume(volume)
    , m_material(material)
    , m_fillHeight(std::min(depositionHeight, volume.sizeZ()))
{
}

void SpinCoating::run()
{
    sweepColumns(m_volume, m_control, [this](Model::Automaton::Cells column) {
        for (uint32_t z = 0; z < m_fillHeight; ++z)
            if (column.state(z) == 0)
                column.setState(z, m_material);
    });
}

} // namespace Operations
} // namespace Core
