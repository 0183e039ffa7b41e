#include "randomwalkdopinginput.h"

#include "randomwalkdoping.h"

namespace Core {
namespace Operations {

QString RandomWalkDopingInput::problem() const
{
    return RandomWalkDoping::checkParameters(diffusionCoefficient(), timeStep(), cellSize(), dopantConcentration(),
                                             thresholdConcentration(), dopingTime());
}

} // namespace Operations
} // namespace Core
