#pragma once

#include "Core/Engines/Columns/columnetching.h"

namespace Core {
namespace Operations {

/// Strictly vertical etching of one material, one layer per step, from exposed top surfaces
/// (direction bit 0, `fromTop`) and/or exposed bottom surfaces (bit 1, `fromBelow`) of every
/// column, `depth` layers deep.
class SimpleReactiveIonEtching : public ColumnEtching {
public:
    SimpleReactiveIonEtching(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t depth,
                             uint8_t direction);
};

} // namespace Operations
} // namespace Core
