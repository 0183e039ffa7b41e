#pragma once

#include "Model/Volume/totalvolume.h"
#include "rectangularcuboidenvelope.h"

#include <array>
#include <vector>

namespace Model {
namespace ModelExtraction {

/// The preprocessing of a model extraction: cuts a cell volume into boxes of one material each.
/// Wherever two neighbouring cells differ along an axis, a split plane of that axis runs between
/// them through the whole volume; the planes cut the volume into a grid of blocks, and every block
/// that is not empty becomes one box. Boxes are listed in the order of a breadth-first walk of the
/// blocks from the one at cell (0, 0, 0), and linked to the boxes that share a whole face with them.
class CuboidDecomposition {
public:
    /// Reads the volume's cells (locking them) when `run` is called.
    explicit CuboidDecomposition(Model::Automaton::TotalVolume &volume);

    /// The boxes, linked to their face neighbours. Throws std::bad_alloc when memory runs out.
    std::vector<EnvelopePtr> run();

    /// The split planes of the last run, per axis, ascending: the coordinates k (1 <= k < n) where
    /// cells k - 1 and k differ somewhere.
    const std::array<std::vector<uint32_t>, 3> &splitPlanes() const { return m_planes; }

    /// Links every pair of boxes whose faces lie on each other exactly (same four corners), face f of
    /// one with the opposite face of the other. Near-linear: faces meet through a map keyed by
    /// their corners.
    static void linkNeighbours(const std::vector<EnvelopePtr> &envelopes);

private:
    void findSplitPlanes(const Model::Automaton::Cells::State *states);
    std::vector<EnvelopePtr> walkBlocks(const Model::Automaton::Cells::State *states) const;

    Model::Automaton::TotalVolume &m_volume;
    std::array<std::vector<uint32_t>, 3> m_planes;
};

} // namespace ModelExtraction
} // namespace Model
