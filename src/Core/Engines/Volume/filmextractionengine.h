#pragma once

#include "Model/Volume/totalvolume.h"
#include "Util/controllable.h"

#include <cstddef>
#include <cstdint>

namespace Core {
namespace Operations {

/// The film extraction engine: copies one face-connected body of a material out of a cell volume
/// into a new volume of the same size, optionally turned half a turn about the x axis, and lowers
/// it to rest on z = 0. The body is the one holding the first cell of the material in x, y, z scan
/// order. Besides the new volume it needs one bit per cell and the queue of the flood fill; the bits
/// are made in one parallel pass over the cells, the fill itself runs in the calling thread.
class FilmExtractionEngine : public Util::Controllable {
public:
    FilmExtractionEngine(Model::Automaton::TotalVolume &source, uint32_t material, bool invert);

    /// The film in a new volume with the source's cell counts, cell sizes and position, or null when
    /// the source holds no cell of the material. Throws Model::Automaton::VolumeAllocationError when
    /// the new volume cannot be created. The source is locked while it is read and never changed.
    /// With a run control it counts marking and filling and stops before either when asked: the
    /// result is then null (and the control says it was stopped).
    Model::Automaton::TotalVolumePtr run();

    /// Cells of the film the last run copied.
    size_t filmCellCount() const { return m_filmCells; }
    /// The longest the queue of the last run grew.
    size_t largestQueue() const { return m_largestQueue; }

private:
    /// Moves every column of the film down by `low` layers; its cells lie between `low` and `high`.
    static void lower(Model::Automaton::TotalVolume &film, Model::Automaton::Cells cells, uint32_t low, uint32_t high);

    Model::Automaton::TotalVolume &m_source;
    uint32_t m_material;
    bool m_invert;
    size_t m_filmCells = 0;
    size_t m_largestQueue = 0;
};

} // namespace Operations
} // namespace Core
