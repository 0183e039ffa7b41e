#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// The box of cells a surface is generated for: lower corner inclusive, upper corner exclusive.
struct CellWindow {
    uint32_t lower[3] = {0, 0, 0};
    uint32_t upper[3] = {0, 0, 0};
};

} // namespace Automaton
} // namespace Model
