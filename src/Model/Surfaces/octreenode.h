#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// One node of an octree over a window of cells: a cube of `size` cells (a power of two) whose
/// lowest cell is `origin`. A leaf holds one material (0 empty) for the whole cube; an inner node
/// has eight children, stored one after the other from `firstChild`, child 4 * ix + 2 * iy + iz
/// covering the upper half of an axis where its bit is 1. Links are indices into the tree's nodes.
struct OctreeNode {
    static constexpr uint32_t none = 0xffffffffu;

    uint32_t material = 0;
    uint32_t parent = none;
    uint32_t firstChild = none;
    uint32_t origin[3] = {0, 0, 0};
    int32_t size = 1;
    bool leaf = true;

    uint32_t child(unsigned i) const { return firstChild + i; }
    bool contains(uint32_t x, uint32_t y, uint32_t z) const
    {
        const uint32_t s = uint32_t(size);
        return x - origin[0] < s && y - origin[1] < s && z - origin[2] < s;
    }
};

} // namespace Automaton
} // namespace Model
