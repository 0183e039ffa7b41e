#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct IsotropicEtchingParameters {
    uint32_t material = 0;
    /// In cells; the engine takes it as a float.
    double depth = 0.0;
};

/// "Isotropic etching": removes one material to the same depth in every direction from where it
/// touches empty space.
class IsotropicEtchingProcess : public TypedProcessDescriptor<IsotropicEtchingParameters> {
public:
    using Params = IsotropicEtchingParameters;

    IsotropicEtchingProcess();

    uint32_t compatibleProcessId() const override { return 10; }
    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
