#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

/// The 256 sRGB colours of viridis (S. van der Walt and N. Smith, 2015, as matplotlib ships it),
/// from dark blue to yellow, written by scripts/viridis-table.
extern const uint8_t viridisTable[256][3];

} // namespace Automaton
} // namespace Model
