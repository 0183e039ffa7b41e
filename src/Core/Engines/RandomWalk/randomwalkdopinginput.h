#pragma once

#include "Util/valuerange.h"

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

    // The values each input may take. Beyond them a value means nothing or its conversion leaves
    // the double numbers: no solid holds more than about 2e23 atoms per cm^3 (diamond 1.76e23), cells
    // are at most a metre, and time and threshold end where the dialog's fields end.
    static constexpr Util::ValueRange dopingTimeRange = Util::ValueRange::notNegative(1e9, "minutes");
    static constexpr Util::ValueRange diffusionCoefficientRange = Util::ValueRange::notNegative(DBL_MAX, "cm^2/s");
    static constexpr Util::ValueRange cellSizeRange = Util::ValueRange::aboveZero(1e6, "micrometres");
    static constexpr Util::ValueRange timeStepRange = Util::ValueRange::aboveZero(DBL_MAX, "s");
    static constexpr Util::ValueRange surfaceConcentrationRange = Util::ValueRange::notNegative(1e24, "cm^-3");
    static constexpr Util::ValueRange thresholdRange = Util::ValueRange::notNegative(1e9, "%");

    /// A value outside its range, named as in the dialog, or why the engine would refuse these
    /// values (RandomWalkDoping::checkParameters), or empty.
    QString problem() const;

    /// Runs longer than this (seconds) are announced before they start.
    static constexpr double longRunSeconds = 3600.0;
    /// The time steps the doping runs.
    uint64_t stepCount() const;
    /// The least time the doping takes on a volume of `cells` cells, in seconds (0 for values the
    /// engine refuses).
    double estimatedSeconds(uint64_t cells) const;
    /// "at least 3.5 hours (4000 time steps over 1000000 cells)": the estimate and what it counts.
    QString estimateText(uint64_t cells) const;
    /// A duration in the largest unit that fits: "45 seconds", "3.5 hours", "265 days", or "less
    /// than a second".
    static QString durationText(double seconds);
};

} // namespace Operations
} // namespace Core
