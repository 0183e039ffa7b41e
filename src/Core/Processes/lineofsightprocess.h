#pragma once

#include "Core/Engines/LineOfSight/lineofsighttransport.h"
#include "Core/Processes/typedprocessdescriptor.h"

#include <optional>

namespace Core {
namespace Processes {

struct LineOfSightParameters {
    uint32_t material = 0;
    /// Cells grown on (or removed from) a flat open surface.
    double amount = 0.0;
    /// The sticking coefficient, or the reaction probability when etching.
    double sticking = 1.0;
    double sourceExponent = 1.0;
    /// The step's own seed; none: the run's (cellforge-batch --seed), or the clock.
    std::optional<uint32_t> seed;
};

/// "Line-of-Sight Deposition" (type 20) and "Line-of-Sight Etching" (type 21): particles flown
/// from a source above the volume deposit where they stick, or etch the material where they react
/// (LineOfSightTransport). Shadowed surfaces get less, so films thin down in trenches and etches
/// slow down in narrow openings.
class LineOfSightProcess : public TypedProcessDescriptor<LineOfSightParameters> {
public:
    using Params = LineOfSightParameters;
    using Mode = Operations::LineOfSightTransport::Mode;

    explicit LineOfSightProcess(Mode mode);

    Mode mode() const { return m_mode; }
    /// "Film Thickness" or "Etch Depth".
    QString amountName() const;
    /// "Sticking Coefficient" or "Reaction Probability".
    QString stickingName() const;
    uint32_t compatibleProcessId() const override;

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;

private:
    Mode m_mode;
};

} // namespace Processes
} // namespace Core
