#pragma once

#include "Model/Volume/latticedisplayflags.h"

namespace Model {
namespace Automaton {
class SiLatticeDisplay;
}

namespace Display {

// The GL drawing of a volume's lattice display (atoms, links, unit cells) in the volume's own
// coordinates; `flags` are the view's. Each needs a current GL context.

/// Atoms, links and unit-cell outlines (the opaque pass).
void drawLatticeSolid(const Automaton::SiLatticeDisplay &lattice, const Automaton::LatticeDisplayFlags &flags);
/// Translucent unit cells (the transparent pass: blending on, depth writes off).
void drawLatticeTransparent(const Automaton::SiLatticeDisplay &lattice, const Automaton::LatticeDisplayFlags &flags);

} // namespace Display
} // namespace Model
