#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// The marching-cubes tables. A cube's corners are numbered 0 to 7 at the offsets `corners`; bit n
/// of a cube's index is set when corner n lies inside the material. Edge e joins the corners
/// `edgeCorners[e]`. For every index, `edgeTable` has bit e set when edge e crosses the surface,
/// and `triangleTable` lists the surface's triangles as triples of edge numbers, ending in -1.
/// Triangles wind counter-clockwise seen from outside the material, so their normals point out.
namespace MarchingCubeTables {
extern const uint8_t corners[8][3];
extern const uint8_t edgeCorners[12][2];
extern const uint16_t edgeTable[256];
extern const int8_t triangleTable[256][16];
} // namespace MarchingCubeTables

} // namespace Automaton
} // namespace Model
