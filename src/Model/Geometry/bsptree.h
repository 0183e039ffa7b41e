#pragma once

#include "Util/vector4d.h"
#include "quadface.h"

#include <memory>
#include <stdexcept>
#include <vector>

namespace Model {
namespace Geometry {

/// A face crossed a splitting plane; the tree does not split faces (cell faces never need it).
class BSPTreeError : public std::logic_error {
public:
    BSPTreeError()
        : std::logic_error("Method not implemented!")
    {
    }
};

/// Depth-sorting tree of transparent faces: drawn back to front from any eye point.
/// Built and walked with explicit stacks, so deep trees cannot overflow the call stack.
class BSPTree {
public:
    struct Node {
        /// a, b, c, d of the plane a*x + b*y + c*z + d = 0.
        Util::Vector4D plane;
        /// The faces lying in the plane, as indices into the tree's face list.
        std::vector<uint32_t> faces;
        std::shared_ptr<Node> front;
        std::shared_ptr<Node> back;
    };

    static constexpr double tolerance = 1e-05;

    /// Null for an empty list; throws BSPTreeError when a face spans a splitting plane.
    static std::shared_ptr<BSPTree> build(const std::vector<QuadFace> &faces);
    ~BSPTree();

    const std::shared_ptr<Node> &root() const { return m_root; }
    const std::vector<QuadFace> &faces() const { return m_faces; }

    /// Indices into faces(), farthest from `eye` first.
    std::vector<uint32_t> backToFront(const Util::Vector4D &eye) const;

    /// Signed distance of a point from a plane.
    static double distance(const Util::Vector4D &plane, double x, double y, double z)
    {
        return plane.x * x + plane.y * y + plane.z * z + plane.w;
    }

private:
    BSPTree() = default;

    std::shared_ptr<Node> m_root;
    std::vector<QuadFace> m_faces;
};

using BSPTreePtr = std::shared_ptr<BSPTree>;

} // namespace Geometry
} // namespace Model
