#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct AnisotropicDepositionParameters {
    uint32_t material = 0;
    /// In cells; the engine takes it and the ratio as floats.
    double thickness = 0.0;
    /// The sideways thickness over the vertical one.
    double ratio = 0.0;
};

/// "Anisotropic Deposition": a conformal film whose sideways thickness is the vertical one times a
/// horizontal-to-vertical ratio.
class AnisotropicDepositionProcess : public TypedProcessDescriptor<AnisotropicDepositionParameters> {
public:
    using Params = AnisotropicDepositionParameters;

    AnisotropicDepositionProcess();

    uint32_t compatibleProcessId() const override { return 16; }
    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
