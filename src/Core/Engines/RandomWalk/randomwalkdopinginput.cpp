#include "Core/Engines/RandomWalk/randomwalkdopinginput.h"

#include "Core/Engines/RandomWalk/randomwalkdoping.h"

#include <cmath>

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

uint64_t RandomWalkDopingInput::stepCount() const { return RandomWalkDoping::stepCount(dopingTime(), timeStep()); }

double RandomWalkDopingInput::estimatedSeconds(uint64_t cells) const
{
    if (!problem().isEmpty())
        return 0.0;
    return RandomWalkDoping::estimatedSeconds(cells, stepCount());
}

QString RandomWalkDopingInput::estimateText(uint64_t cells) const
{
    return QStringLiteral("at least %1 (%2 time steps over %3 cells)")
        .arg(durationText(estimatedSeconds(cells)))
        .arg(stepCount())
        .arg(cells);
}

QString RandomWalkDopingInput::durationText(double seconds)
{
    struct Unit {
        double seconds;
        const char *name;
    };
    static const Unit units[] = {
        {365.25 * 86400.0, "years"}, {86400.0, "days"}, {3600.0, "hours"}, {60.0, "minutes"}, {1.0, "seconds"}};
    if (!(seconds >= 1.0))
        return QStringLiteral("less than a second");
    for (const Unit &unit : units) {
        if (seconds < unit.seconds)
            continue;
        const double value = seconds / unit.seconds;
        // Two figures are all an estimate has.
        const QString number =
            value < 10.0 ? QString::number(value, 'f', 1) : QString::number(std::round(value), 'f', 0);
        return number + QLatin1Char(' ') + QLatin1String(unit.name);
    }
    return QString();
}

} // namespace Operations
} // namespace Core
