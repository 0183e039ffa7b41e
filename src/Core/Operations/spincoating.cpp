#include "spincoating.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/runstage.h"
#include "columnslabs.h"

#include <algorithm>

namespace Core {
namespace Operations {

SpinCoating::SpinCoating(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t depositionHeight)
    : m_volume(volume)
    , m_material(material)
    , m_fillHeight(std::min(depositionHeight, volume.sizeZ()))
    , m_workers(Util::poolThreadCount())
{
}

void SpinCoating::run()
{
    Util::RunStage stage(m_control, m_volume.sizeX());
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    runColumnSlabs(m_volume.sizeX(), m_workers, [this, &lock, &stage](uint32_t begin, uint32_t end) {
        const uint32_t ny = m_volume.sizeY();
        for (uint32_t x = begin; x < end; ++x)
            for (uint32_t y = 0; y < ny; ++y) {
                Model::Automaton::Voxel *column = lock.cells() + m_volume.index(x, y, 0);
                for (uint32_t z = 0; z < m_fillHeight; ++z)
                    if (column[z].state() == 0)
                        column[z].setState(m_material);
            }
        stage.advance(end - begin);
    });
}

} // namespace Operations
} // namespace Core
