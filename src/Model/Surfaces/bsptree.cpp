#include "bsptree.h"

#include <algorithm>

namespace Model {
namespace Geometry {

namespace {

// The item of a face along axis `level` of the tree: 2p for the plane p, 2c + 1 for the slab
// between the planes c and c + 1. A face perpendicular to the axis sits in its plane; any other
// face in the slab of its cell. Faces perpendicular to an earlier axis never reach a deeper level.
uint64_t itemOf(const CellFace &face, unsigned level)
{
    if (face.axis() == level)
        return 2 * uint64_t(face.plane());
    return 2 * uint64_t(face.coordinate(level)) + 1;
}

// Where an item lies from the eye along one axis: wholly before it, around it, or wholly beyond.
enum class Side { Before, Around, Beyond };

Side sideOf(uint64_t item, double eye, double cellSize)
{
    const double low = double(item / 2) * cellSize;
    if (item % 2 == 0) {
        if (low < eye - BSPTree::tolerance)
            return Side::Before;
        return low > eye + BSPTree::tolerance ? Side::Beyond : Side::Around;
    }
    if (low + cellSize <= eye + BSPTree::tolerance)
        return Side::Before;
    return low >= eye - BSPTree::tolerance ? Side::Beyond : Side::Around;
}

} // namespace

bool BSPTree::lessInTreeOrder(const CellFace &a, const CellFace &b)
{
    for (unsigned level = 0; level < 3; ++level) {
        const uint64_t ia = itemOf(a, level);
        const uint64_t ib = itemOf(b, level);
        if (ia != ib)
            return ia < ib;
        // Both in the same plane: their order within it does not matter.
        if (ia % 2 == 0)
            return false;
    }
    return false;
}

bool BSPTree::inTreeOrder(const std::vector<CellFace> &faces)
{
    return std::is_sorted(faces.begin(), faces.end(), lessInTreeOrder);
}

std::shared_ptr<const BSPTree> BSPTree::build(std::vector<CellFace> faces, const float cellSize[3])
{
    if (faces.empty())
        return nullptr;
    std::shared_ptr<BSPTree> tree(new BSPTree);
    if (!inTreeOrder(faces))
        std::stable_sort(faces.begin(), faces.end(), lessInTreeOrder);
    tree->m_faces = std::move(faces);
    for (int i = 0; i < 3; ++i)
        tree->m_cellSize[i] = cellSize[i];
    return tree;
}

void BSPTree::backToFront(const Util::Vector3D &eye, const RangeVisitor &visit) const
{
    const double position[3] = {eye.x, eye.y, eye.z};
    walk(0, 0, m_faces.size(), position, visit);
}

std::vector<uint32_t> BSPTree::backToFront(const Util::Vector3D &eye) const
{
    std::vector<uint32_t> order;
    order.reserve(m_faces.size());
    backToFront(eye, [&order](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i)
            order.push_back(static_cast<uint32_t>(i));
    });
    return order;
}

// The faces [begin, end) share their items along the axes before `level` and are sorted by the item
// along it. Items wholly before the eye are drawn from the first on, items wholly beyond it from
// the last back; the two groups lie on either side of a plane through the eye, so they cannot
// cover each other and either may come first. The item around the eye comes last: every other
// item lies behind one of its planes as seen from the eye. A slab recurses into the next axis;
// a plane is a run of coplanar faces, drawn in any order.
void BSPTree::walk(unsigned level, size_t begin, size_t end, const double eye[3], const RangeVisitor &visit) const
{
    const CellFace *faces = m_faces.data();
    const double e = eye[level];
    const double size = m_cellSize[level];
    auto descend = [&](size_t from, size_t to) {
        if (itemOf(faces[from], level) % 2 == 0 || level == 2)
            visit(from, to);
        else
            walk(level + 1, from, to, eye, visit);
    };
    auto groupEnd = [&](size_t from, size_t limit) {
        const uint64_t item = itemOf(faces[from], level);
        size_t to = from + 1;
        while (to < limit && itemOf(faces[to], level) == item)
            ++to;
        return to;
    };

    const CellFace *first = faces + begin;
    const CellFace *last = faces + end;
    const size_t before =
        size_t(std::partition_point(
                   first, last, [&](const CellFace &f) { return sideOf(itemOf(f, level), e, size) == Side::Before; }) -
               faces);
    const size_t beyond = size_t(
        std::partition_point(faces + before, last,
                             [&](const CellFace &f) { return sideOf(itemOf(f, level), e, size) != Side::Beyond; }) -
        faces);

    for (size_t i = begin; i < before;) {
        const size_t to = groupEnd(i, before);
        descend(i, to);
        i = to;
    }
    for (size_t to = end; to > beyond;) {
        const uint64_t item = itemOf(faces[to - 1], level);
        size_t from = to - 1;
        while (from > beyond && itemOf(faces[from - 1], level) == item)
            --from;
        descend(from, to);
        to = from;
    }
    for (size_t i = before; i < beyond;) {
        const size_t to = groupEnd(i, beyond);
        descend(i, to);
        i = to;
    }
}

} // namespace Geometry
} // namespace Model
