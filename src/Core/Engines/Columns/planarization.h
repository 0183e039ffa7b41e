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

/// Polishes a volume down: every cell at or above the maximum height and every cell below the
/// minimum height becomes empty. Heights are in cells along z.
class Planarization : public Util::Controllable {
public:
    Planarization(Model::Automaton::TotalVolume &volume, uint32_t maximumHeight, uint32_t minimumHeight);
    /// One pass over the columns; with a run control it counts columns and stops only before the pass.
    void run();

    uint32_t upperCut() const { return m_upperCut; }
    uint32_t lowerCut() const { return m_lowerCut; }

private:
    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_upperCut;
    uint32_t m_lowerCut;
};

} // namespace Operations
} // namespace Core
