#pragma once

#include "Model/Surfaces/octreenode.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

/// An octree of materials built by inserting cells one at a time: a leaf of another material on
/// the way down is split into eight leaves of its material, and a finished node whose eight
/// children are leaves of one material becomes a leaf of it again, so uniform blocks end up as
/// single leaves. Cells never inserted stay empty (material 0).
class Octree {
public:
    /// A root leaf of material 0 covering `size` cells (a power of two) from `origin`.
    Octree(const uint32_t origin[3], int32_t size);

    /// The edge of a root covering `extent` cells: the least power of two not below it (1 for 0 or 1).
    static int32_t rootSize(uint32_t extent);

    /// Gives cell (x, y, z) the material; cells outside the root are ignored.
    void insert(uint32_t x, uint32_t y, uint32_t z, uint32_t material);
    /// Gives a whole block of `size` cells (a power of two) from (x, y, z) the material, as
    /// inserting each of its cells would: the block must be aligned to its size from the root's
    /// origin. The tree left by any order of insertions is the same, so a caller that knows a
    /// block is uniform saves splitting it into single cells only to merge them again.
    void insertBlock(uint32_t x, uint32_t y, uint32_t z, int32_t size, uint32_t material);

    static constexpr uint32_t rootIndex = 0;
    const OctreeNode &node(uint32_t index) const { return m_nodes[index]; }
    const OctreeNode &root() const { return m_nodes[rootIndex]; }
    /// The leaf that holds cell (x, y, z), or OctreeNode::none outside the root.
    uint32_t leafAt(uint32_t x, uint32_t y, uint32_t z) const;
    /// Across face `face` (face table numbering) of a node: the node of the same size there, or the
    /// leaf of a larger size that covers that place, or OctreeNode::none beyond the root.
    uint32_t neighbour(uint32_t index, unsigned face) const;

    size_t leafCount() const;
    size_t nodeCount() const;
    size_t storedBytes() const { return m_nodes.capacity() * sizeof(OctreeNode); }

private:
    void split(uint32_t index);
    /// Makes an inner node a leaf again, giving its descendants' blocks back.
    void prune(uint32_t index);
    uint32_t mergeUpwards(uint32_t index);

    std::vector<OctreeNode> m_nodes;
    /// Blocks of eight children given back by merges, for the next split.
    std::vector<uint32_t> m_freeBlocks;
    /// Where the last insertion ended: the next cell is most often close by.
    uint32_t m_cursor = rootIndex;
};

} // namespace Automaton
} // namespace Model
