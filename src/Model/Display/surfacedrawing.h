#pragma once

#include "Model/Surfaces/facepalette.h"
#include "Util/vector3d.h"

namespace Model {
namespace Automaton {
class FaceMesh;
class FieldPainter;
class MarchingCubeSurface;
class OctreeSurface;
} // namespace Automaton

namespace Display {

// The GL drawing of the parts of a shown surface (Model/Surfaces). Each needs a current GL context
// and draws in the volume's own coordinates.

/// The directions of a merged face mesh that can face the eye (all when `eyeKnown` is false), in
/// the palette's colours. Needs vertex arrays enabled; `cellSize` scales compact positions.
void drawFaceMesh(const Automaton::FaceMesh &mesh, const Automaton::FacePalette &palette, const double eye[3],
                  bool eyeKnown, const float cellSize[3]);
/// The marching-cubes triangles with their normals, coloured by material (highlighted when `selected`).
void drawMarchingCubes(Automaton::MarchingCubeSurface &surface, const Automaton::FacePalette::ColorMap &colors,
                       bool selected);
/// Opaque faces, then face outlines when `showEdges`, then transparent faces in list order.
/// Needs vertex arrays enabled.
void drawOctree(const Automaton::OctreeSurface &surface, bool showEdges);
/// The particle count field view: opaque faces from the merged mesh, edges when asked, transparent
/// faces in list order; `localEye` is in the volume's coordinates.
void drawField(const Automaton::FieldPainter &field, bool showEdges, const Util::Vector3D &localEye);

} // namespace Display
} // namespace Model
