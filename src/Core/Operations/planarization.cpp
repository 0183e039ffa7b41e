#include "planarization.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/runstage.h"
#include "columnslabs.h"

#include <algorithm>

namespace Core {
namespace Operations {

Planarization::Planarization(Model::Automaton::TotalVolume &volume, uint32_t maximumHeight, uint32_t minimumHeight)
    : m_volume(volume)
    , m_upperCut(std::min(maximumHeight, volume.sizeZ()))
    , m_lowerCut(std::min(minimumHeight, volume.sizeZ()))
    , m_workers(Util::poolThreadCount())
{
}

void Planarization::run()
{
    Util::RunStage stage(m_control, m_volume.sizeX());
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    runColumnSlabs(m_volume.sizeX(), m_workers, [this, &lock, &stage](uint32_t begin, uint32_t end) {
        const uint32_t ny = m_volume.sizeY();
        const uint32_t nz = m_volume.sizeZ();
        for (uint32_t x = begin; x < end; ++x)
            for (uint32_t y = 0; y < ny; ++y) {
                Model::Automaton::Voxel *column = lock.cells() + m_volume.index(x, y, 0);
                for (uint32_t z = 0; z < m_lowerCut; ++z)
                    column[z].setState(0);
                for (uint32_t z = m_upperCut; z < nz; ++z)
                    column[z].setState(0);
            }
        stage.advance(end - begin);
    });
}

} // namespace Operations
} // namespace Core
