#pragma once

#include "Model/object.h"

#include <QList>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Where a new cell volume goes so that it lies beside the volumes already in the scene: along x,
/// `gapCells` of the largest cells beyond the far end of the reference volume, at the same y and z.
/// Extract Film places its film beside its source this way, and a process list its new substrate
/// beside everything in the document.
class SidePlacement {
public:
    static constexpr double gapCells = 10.0;

    /// The x of the lower corner of a volume placed beside `reference`: the reference's x plus
    /// (its nx + gapCells) times its largest cell size.
    static double xBeside(const Model::Automaton::TotalVolume &reference);

    /// The x beyond every object of `others` (each cell volume by xBeside, any other object by
    /// its extent and gapCells of `placed`'s largest cells), or `placed`'s own x when `placed`
    /// overlaps none of them. False when it needs no move.
    static bool besideAll(const QList<Model::ObjectPtr> &others, const Model::Automaton::TotalVolume &placed,
                          double &x);
};

} // namespace Operations
} // namespace Core
