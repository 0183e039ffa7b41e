#include "octree.h"

#include <vector>

namespace Model {
namespace Automaton {

Octree::Octree(const uint32_t origin[3], int32_t size)
{
    OctreeNode root;
    root.origin[0] = origin[0];
    root.origin[1] = origin[1];
    root.origin[2] = origin[2];
    root.size = size;
    m_nodes.push_back(root);
}

int32_t Octree::rootSize(uint32_t extent)
{
    int32_t size = 1;
    while (uint32_t(size) < extent)
        size *= 2;
    return size;
}

void Octree::insert(uint32_t x, uint32_t y, uint32_t z, uint32_t material) { insertBlock(x, y, z, 1, material); }

void Octree::insertBlock(uint32_t x, uint32_t y, uint32_t z, int32_t size, uint32_t material)
{
    // The walk from the root would pass unchanged through the inner nodes above the last
    // insertion's end that hold this cell too: start from the lowest of them.
    uint32_t at = m_cursor;
    while (!m_nodes[at].contains(x, y, z) || m_nodes[at].size < size) {
        at = m_nodes[at].parent;
        if (at == OctreeNode::none)
            return;
    }
    for (;;) {
        OctreeNode &node = m_nodes[at];
        if (node.size <= size) {
            if (!node.leaf)
                prune(at);
            m_nodes[at].material = material;
            m_cursor = mergeUpwards(at);
            return;
        }
        if (node.leaf) {
            if (node.material == material) {
                m_cursor = at;
                return;
            }
            split(at);
        }
        const OctreeNode &inner = m_nodes[at];
        const uint32_t half = uint32_t(inner.size) / 2;
        const unsigned child = (x - inner.origin[0] >= half ? 4u : 0u) | (y - inner.origin[1] >= half ? 2u : 0u) |
                               (z - inner.origin[2] >= half ? 1u : 0u);
        at = inner.child(child);
    }
}

void Octree::split(uint32_t index)
{
    uint32_t first;
    if (!m_freeBlocks.empty()) {
        first = m_freeBlocks.back();
        m_freeBlocks.pop_back();
    } else {
        first = uint32_t(m_nodes.size());
        m_nodes.resize(m_nodes.size() + 8);
    }
    OctreeNode &node = m_nodes[index];
    const int32_t half = node.size / 2;
    for (unsigned i = 0; i < 8; ++i) {
        OctreeNode &child = m_nodes[first + i];
        child.material = node.material;
        child.parent = index;
        child.firstChild = OctreeNode::none;
        child.origin[0] = node.origin[0] + ((i >> 2) & 1u) * uint32_t(half);
        child.origin[1] = node.origin[1] + ((i >> 1) & 1u) * uint32_t(half);
        child.origin[2] = node.origin[2] + (i & 1u) * uint32_t(half);
        child.size = half;
        child.leaf = true;
    }
    node.leaf = false;
    node.firstChild = first;
}

void Octree::prune(uint32_t index)
{
    std::vector<uint32_t> inner{index};
    while (!inner.empty()) {
        OctreeNode &node = m_nodes[inner.back()];
        inner.pop_back();
        if (node.leaf)
            continue;
        for (unsigned i = 0; i < 8; ++i)
            inner.push_back(node.child(i));
        m_freeBlocks.push_back(node.firstChild);
        node.firstChild = OctreeNode::none;
        node.leaf = true;
    }
}

uint32_t Octree::mergeUpwards(uint32_t index)
{
    for (;;) {
        const uint32_t parentIndex = m_nodes[index].parent;
        if (parentIndex == OctreeNode::none)
            return index;
        OctreeNode &parent = m_nodes[parentIndex];
        const uint32_t material = m_nodes[index].material;
        // Only leaves count: an inner node's own material is what it held before it was split.
        for (unsigned i = 0; i < 8; ++i) {
            const OctreeNode &child = m_nodes[parent.child(i)];
            if (!child.leaf || child.material != material)
                return index;
        }
        m_freeBlocks.push_back(parent.firstChild);
        parent.firstChild = OctreeNode::none;
        parent.leaf = true;
        parent.material = material;
        index = parentIndex;
    }
}

uint32_t Octree::leafAt(uint32_t x, uint32_t y, uint32_t z) const
{
    if (!root().contains(x, y, z))
        return OctreeNode::none;
    uint32_t at = rootIndex;
    while (!m_nodes[at].leaf) {
        const OctreeNode &node = m_nodes[at];
        const uint32_t half = uint32_t(node.size) / 2;
        at = node.child((x - node.origin[0] >= half ? 4u : 0u) | (y - node.origin[1] >= half ? 2u : 0u) |
                        (z - node.origin[2] >= half ? 1u : 0u));
    }
    return at;
}

uint32_t Octree::neighbour(uint32_t index, unsigned face) const
{
    const uint32_t parentIndex = m_nodes[index].parent;
    if (parentIndex == OctreeNode::none)
        return OctreeNode::none;
    const OctreeNode &parent = m_nodes[parentIndex];
    const unsigned child = index - parent.firstChild;
    // Faces 0, 1 cross z (child bit 0), 2, 3 cross y (bit 1), 4, 5 cross x (bit 2).
    const unsigned bit = 1u << (face / 2);
    const bool upwards = face & 1u;
    if (bool(child & bit) != upwards)
        return parent.child(child ^ bit);
    const uint32_t across = neighbour(parentIndex, face);
    if (across == OctreeNode::none || m_nodes[across].leaf)
        return across;
    return m_nodes[across].child(child ^ bit);
}

size_t Octree::leafCount() const
{
    size_t leaves = 0;
    std::vector<uint32_t> stack{rootIndex};
    while (!stack.empty()) {
        const OctreeNode &node = m_nodes[stack.back()];
        stack.pop_back();
        if (node.leaf) {
            ++leaves;
            continue;
        }
        for (unsigned i = 0; i < 8; ++i)
            stack.push_back(node.child(i));
    }
    return leaves;
}

size_t Octree::nodeCount() const { return m_nodes.size() - 8 * m_freeBlocks.size(); }

} // namespace Automaton
} // namespace Model
