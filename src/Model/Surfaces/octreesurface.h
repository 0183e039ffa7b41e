#pragma once

#include "Model/Surfaces/cubicfacegenerator.h"
#include "Model/Surfaces/facepalette.h"
#include "Model/Surfaces/nodeface.h"
#include "Model/Surfaces/quadface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {

class Octree;
class SurfaceMesh;
class TotalVolume;

/// A compact surface of the cells: the window's cells go into an octree, whose uniform blocks are
/// single leaves, and every leaf shows the parts of its faces that border space it shows a face
/// to (the rules of the direct cubic faces: an opaque block towards anything not opaque, a
/// transparent one towards anything neither opaque nor of its own material). A face is cut to the
/// smaller of the two blocks it lies between, so the surface covers exactly the cubic faces, once,
/// with fewer and larger faces.
class OctreeSurface {
public:
    /// What a draw of the surface reads, valid while withFaces() runs.
    struct Faces {
        const FacePalette &palette;
        const std::vector<Geometry::NodeFace> &opaque;
        const std::vector<Geometry::NodeFace> &transparent;
        const float *cellSize;
    };

    explicit OctreeSurface(TotalVolume &volume);
    OctreeSurface(const OctreeSurface &) = delete;
    OctreeSurface &operator=(const OctreeSurface &) = delete;

    /// Rebuilds the tree and the faces of the window [lower, upper) (locks the cells meanwhile);
    /// `colors` gives the materials' colours and so their opacity.
    void generate(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper,
                  const FacePalette::ColorMap &colors, const GenerationProbe &probe = GenerationProbe());
    /// Forgets the faces.
    void release();
    /// New colours for the same faces, highlighted when `selected`.
    void recolor(const FacePalette::ColorMap &colors, bool selected);

    /// Calls `use` with the faces under the surface's lock, so that it never sees half a generation.
    void withFaces(const std::function<void(const Faces &)> &use) const;

    /// Adds the faces to a mesh (opaque, then transparent) in their materials' colours.
    void appendTo(SurfaceMesh &mesh, const FacePalette::ColorMap &colors) const;

    size_t opaqueFaceCount() const;
    size_t transparentFaceCount() const;
    std::vector<Geometry::QuadFace> opaqueFaces() const;
    std::vector<Geometry::QuadFace> transparentFaces() const;
    /// The last tree's root edge (cells), and its leaves and nodes.
    int32_t rootSize() const;
    size_t leafCount() const;
    size_t nodeCount() const;
    size_t storedBytes() const;

    /// The faces of a tree as this surface emits them (opaque faces, then transparent ones).
    static void emitFaces(const Octree &tree, const FacePalette &palette, std::vector<Geometry::NodeFace> &opaque,
                          std::vector<Geometry::NodeFace> &transparent);

private:
    Geometry::QuadFace quadFace(const Geometry::NodeFace &face) const;

    TotalVolume &m_volume;
    float m_cellSize[3];

    mutable std::mutex m_mutex;
    FacePalette m_palette;
    std::vector<Geometry::NodeFace> m_opaque;
    std::vector<Geometry::NodeFace> m_transparent;
    int32_t m_rootSize = 0;
    size_t m_leafCount = 0;
    size_t m_nodeCount = 0;
};

} // namespace Automaton
} // namespace Model
