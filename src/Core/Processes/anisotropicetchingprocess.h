#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct AnisotropicEtchingParameters {
    uint32_t material = 0;
    /// In cells; the engine takes it and the ratio as floats.
    double depth = 0.0;
    /// The sideways depth over the vertical one.
    double ratio = 0.0;
};

/// "Anisotropic Etching": removes one material whose sideways depth is the vertical one times a
/// horizontal-to-vertical ratio.
class AnisotropicEtchingProcess : public TypedProcessDescriptor<AnisotropicEtchingParameters> {
public:
    using Params = AnisotropicEtchingParameters;

    AnisotropicEtchingProcess();

    uint32_t compatibleProcessId() const override { return 17; }
    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
