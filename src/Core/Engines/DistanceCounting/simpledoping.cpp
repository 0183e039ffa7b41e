#include "Core/Engines/DistanceCounting/simpledoping.h"

namespace Core {
namespace Operations {

SimpleDoping::SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth)
    : SimpleDoping(volume, dopedMaterial, depth, MaterialSet::compatibleWith(dopableProcess))
{
}

// A front moves only into dopable cells, whatever they have become: a doped cell that is not dopable itself keeps
// the distance it was doped with.
SimpleDoping::SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth,
                           const MaterialSet &dopable)
    : FilmEtchingEngine(volume, dopable, dopedMaterial, dopable.materials(), depth)
{
}

} // namespace Operations
} // namespace Core
