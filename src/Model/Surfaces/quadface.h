#pragma once

#include <array>
#include <cstdint>

namespace Model {
namespace Geometry {

/// The six faces of a cell: corner offsets from the cell's lowest corner, in units of the cell
/// edge, and outward normals. Face 0 is -z, 1 +z, 2 -y, 3 +y, 4 -x, 5 +x.
namespace FaceTable {
extern const float corners[6][4][3];
extern const float normals[6][3];
/// Neighbour offsets (dx, dy, dz) across each face.
extern const int neighbours[6][3];
} // namespace FaceTable

/// One flat four-cornered face of a generated surface, in coordinates relative to its volume.
struct QuadFace {
    QuadFace() = default;
    QuadFace(const float corners[4][3], unsigned faceNumber, const std::array<float, 4> &fillColor,
             const std::array<float, 4> &edgeColor, uint32_t material);
    /// The face `faceNumber` of the cell whose lowest corner is `origin`, with edges `size`.
    static QuadFace cellFace(const float origin[3], const float size[3], unsigned faceNumber,
                             const std::array<float, 4> &color, uint32_t material);

    /// 0..5: which entry of the face table the normal is.
    unsigned faceNumber() const { return static_cast<unsigned>((normal - &FaceTable::normals[0][0]) / 3); }

    float corners[4][3] = {};
    std::array<float, 4> fillColor{};
    std::array<float, 4> edgeColor{};
    /// Shared entry of the face table, never owned.
    const float *normal = FaceTable::normals[0];
    uint32_t material = 0;
};

} // namespace Geometry
} // namespace Model
