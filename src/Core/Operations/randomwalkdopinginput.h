#pragma once

#include <QString>

#include <cstdint>

namespace Core {
namespace Operations {

/// The values of a random-walk doping as the user gives them, in the units of the dialog and of
/// process lists, and their conversion to the SI units of the engine. The dialog's observer and
/// the batch runner both convert through here, so that a list runs exactly as the dialog would.
struct RandomWalkDopingInput {
    double dopingTimeMinutes = 60.0;
    uint32_t material = 0;
    double diffusionCoefficientCm2PerS = 0.0;
    double cellSizeMicrometres = 0.0;
    double timeStepSeconds = 0.0;
    double surfaceConcentrationPerCm3 = 0.0;
    double thresholdPercent = 10.0;

    double dopingTime() const { return dopingTimeMinutes * 60.0; }
    double diffusionCoefficient() const { return diffusionCoefficientCm2PerS * 0.0001; }
    double cellSize() const { return cellSizeMicrometres * 1e-6; }
    double timeStep() const { return timeStepSeconds; }
    double dopantConcentration() const { return surfaceConcentrationPerCm3 * 1e6; }
    /// The threshold as a share of the surface concentration, in m^-3.
    double thresholdConcentration() const { return thresholdPercent * dopantConcentration() * 0.01; }

    /// Why the engine would refuse these values (RandomWalkDoping::checkParameters), or empty.
    QString problem() const;
};

} // namespace Operations
} // namespace Core
