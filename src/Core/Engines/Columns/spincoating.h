#pragma once

#include "Util/controllable.h"

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Pours a material onto a structure: every empty cell below the deposition height is filled;
/// occupied cells stay as they are.
class SpinCoating : public Util::Controllable {
public:
    SpinCoating(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t depositionHeight);
    /// One pass over the columns; with a run control it counts columns and stops only before the pass.
    void run();

    uint32_t fillHeight() const { return m_fillHeight; }

private:
    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    uint32_t m_fillHeight;
};

} // namespace Operations
} // namespace Core
