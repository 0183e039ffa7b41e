#pragma once

#include "Core/Engines/Volume/gluelayout.h"
#include "Model/Volume/totalvolume.h"
#include "Util/controllable.h"

#include <cstdint>

namespace Core {
namespace Operations {

/// The glue engine: builds one new cell volume holding the occupied layers of the base with the
/// occupied layers of the top stacked on them, as a GlueLayout says. Only cell states are carried
/// over. The x-slabs of both volumes are copied in one task per pool thread.
class GlueSubstrate : public Util::Controllable {
public:
    /// `base` and `top` must be different volumes and `layout` must come from GlueLayout::prepare on them.
    GlueSubstrate(Model::Automaton::TotalVolume &base, Model::Automaton::TotalVolume &top, const GlueLayout &layout);

    /// The glued volume at the base's position. Throws Model::Automaton::VolumeAllocationError
    /// when it cannot be created; the two volumes are never changed.
    /// With a run control it counts the two copy passes and stops before either when asked: the
    /// result is then null and nothing was changed.
    Model::Automaton::TotalVolumePtr run();

    /// The tasks the last run copied in; 1 when it ran in the calling thread.
    uint32_t workerCount() const { return m_workers; }

private:
    void copyBaseSlab(const Model::Automaton::Cells &base, Model::Automaton::Cells result, uint32_t begin,
                      uint32_t end) const;
    void copyTopSlab(const Model::Automaton::Cells &top, Model::Automaton::Cells result, uint32_t begin,
                     uint32_t end) const;

    Model::Automaton::TotalVolume &m_base;
    Model::Automaton::TotalVolume &m_top;
    GlueLayout m_layout;
    uint32_t m_workers = 1;
};

} // namespace Operations
} // namespace Core
