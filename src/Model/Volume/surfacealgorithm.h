#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// How a cell volume's surface is made and shown. The values are the positions of the choices in
/// the visualisation dialog and the numbers the command line's names stand for.
enum class SurfaceAlgorithm : uint32_t {
    CubicFaces = 0,        ///< "Direct Cubic Surface Generation"
    MarchingCubes = 1,     ///< "Marching Cubes"
    Octree = 2,            ///< "Octree Surface Generation"
    ParticleCountField = 3 ///< "Particle Count Field View" (keeps the cubic faces too: an export writes them)
};

} // namespace Automaton
} // namespace Model
