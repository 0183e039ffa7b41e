#pragma once

#include "Model/Surfaces/cellface.h"
#include "Util/vector3d.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace Model {
namespace Geometry {

/// Depth-sorting tree of transparent cell faces: gives them back to front from any eye point.
///
/// Cell faces lie on the integer planes x = i, y = j, z = k and never cross another such plane, so
/// the tree splits space by these planes alone (a k-d tree, which is a BSP tree with axis-aligned
/// splitters): first by x planes, between two x planes by y planes, between two y planes by z
/// planes. The tree is implicit in the order of its face list, which is sorted by (x item, y item,
/// z item), an item being a plane or the slab between two planes. Building it is one sort (nothing
/// when the faces already come in that order, as the painter generates them); a walk from an eye
/// is linear in the number of faces, and the depth is three whatever the faces.
class BSPTree {
public:
    /// Distance from a plane within which the eye counts as on it, in scene units.
    static constexpr double tolerance = 1e-05;
    /// Called with runs [begin, end) of faces(); runs come farthest first.
    using RangeVisitor = std::function<void(size_t begin, size_t end)>;

    /// Null for no faces. Takes the faces and puts them in the tree's order; `cellSize` gives
    /// the scene size of a cell along x, y and z.
    static std::shared_ptr<const BSPTree> build(std::vector<CellFace> faces, const float cellSize[3]);
    /// Whether the faces are in the tree's order already.
    static bool inTreeOrder(const std::vector<CellFace> &faces);
    /// The tree's order: by the item (plane or slab) along x, then along y, then along z.
    static bool lessInTreeOrder(const CellFace &a, const CellFace &b);

    /// The faces in the tree's order.
    const std::vector<CellFace> &faces() const { return m_faces; }
    /// Visits every face once, farthest from `eye` (scene coordinates of the faces) first.
    void backToFront(const Util::Vector3D &eye, const RangeVisitor &visit) const;
    /// The same as indices into faces().
    std::vector<uint32_t> backToFront(const Util::Vector3D &eye) const;
    /// Bytes the tree keeps.
    size_t storedBytes() const { return sizeof(*this) + m_faces.capacity() * sizeof(CellFace); }

private:
    BSPTree() = default;
    void walk(unsigned level, size_t begin, size_t end, const double eye[3], const RangeVisitor &visit) const;

    std::vector<CellFace> m_faces;
    double m_cellSize[3] = {1, 1, 1};
};

using BSPTreePtr = std::shared_ptr<const BSPTree>;

} // namespace Geometry
} // namespace Model
