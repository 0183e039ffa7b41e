#include "randomwalkdopinginput.h"

#include "randomwalkdoping.h"

namespace Core {
namespace Operations {

QString RandomWalkDopingInput::problem() const
{
    struct Input {
        const char *name;
        double value;
        Util::ValueRange range;
    };
    const Input inputs[] = {{"Doping Time", dopingTimeMinutes, dopingTimeRange},
                            {"Diffusion Coefficient", diffusionCoefficientCm2PerS, diffusionCoefficientRange},
                            {"Cell Size", cellSizeMicrometres, cellSizeRange},
                            {"Time Step Duration", timeStepSeconds, timeStepRange},
                            {"Dopant concentration", surfaceConcentrationPerCm3, surfaceConcentrationRange},
                            {"Threshold", thresholdPercent, thresholdRange}};
    for (const Input &input : inputs) {
        if (!input.range.contains(input.value))
            return input.range.refusal(QLatin1String(input.name), input.value) + QLatin1Char('.');
    }
    return RandomWalkDoping::checkParameters(diffusionCoefficient(), timeStep(), cellSize(), dopantConcentration(),
                                             thresholdConcentration(), dopingTime());
}

} // namespace Operations
} // namespace Core
