#include "quadface.h"

namespace Model {
namespace Geometry {

namespace FaceTable {
// Corner order runs counter-clockwise seen from outside, so back-face culling keeps the outer side.
const float corners[6][4][3] = {
    {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
    {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},
    {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}},
};
const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
const int neighbours[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
} // namespace FaceTable

QuadFace::QuadFace(const float c[4][3], unsigned faceNumber, const std::array<float, 4> &fill,
                   const std::array<float, 4> &edge, uint32_t mat)
    : fillColor(fill)
    , edgeColor(edge)
    , normal(FaceTable::normals[faceNumber % 6])
    , material(mat)
{
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 3; ++i)
            corners[k][i] = c[k][i];
}

QuadFace QuadFace::cellFace(const float origin[3], const float size[3], unsigned f, const std::array<float, 4> &color,
                            uint32_t mat)
{
    QuadFace face;
    face.fillColor = color;
    face.edgeColor = color;
    face.normal = FaceTable::normals[f];
    face.material = mat;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 3; ++i)
            face.corners[k][i] = (origin[i] + FaceTable::corners[f][k][i]) * size[i];
    return face;
}

} // namespace Geometry
} // namespace Model
