#include "Core/Engines/Volume/sideplacement.h"

#include "Model/Volume/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

namespace {

double largestCell(const Model::Automaton::TotalVolume &volume)
{
    return std::max({double(volume.cellSizeX()), double(volume.cellSizeY()), double(volume.cellSizeZ())});
}

/// Whether two boxes share inner points (boxes that only touch do not).
bool overlaps(const Model::Extent &a, const Model::Extent &b)
{
    return a.low.x < b.high.x && b.low.x < a.high.x && a.low.y < b.high.y && b.low.y < a.high.y && a.low.z < b.high.z &&
           b.low.z < a.high.z;
}

} // namespace

double SidePlacement::xBeside(const Model::Automaton::TotalVolume &reference)
{
    return reference.position().x + (double(reference.sizeX()) + gapCells) * largestCell(reference);
}

bool SidePlacement::besideAll(const QList<Model::ObjectPtr> &others, const Model::Automaton::TotalVolume &placed,
                              double &x)
{
    const auto own = placed.extent();
    bool inside = false;
    double beyond = 0.0;
    bool first = true;
    for (const auto &object : others) {
        if (!object || object.get() == &placed)
            continue;
        const auto extent = object->extent();
        if (!extent)
            continue;
        inside = inside || overlaps(*own, *extent);
        const auto *volume = dynamic_cast<const Model::Automaton::TotalVolume *>(object.get());
        const double end = volume ? xBeside(*volume) : extent->high.x + gapCells * largestCell(placed);
        beyond = first ? end : std::max(beyond, end);
        first = false;
    }
    x = inside ? beyond : placed.position().x;
    return inside;
}

} // namespace Operations
} // namespace Core
