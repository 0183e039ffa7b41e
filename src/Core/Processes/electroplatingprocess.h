#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct ElectroplatingParameters {
    uint32_t depositedMaterial = 0;
    uint32_t conductingMaterial = 0;
    /// In cells; the engine takes it as a float.
    double thickness = 0.0;
};

/// "Electroplating": a film of the deposited material that grows only from the conducting one.
/// Its dialogs offer every material of the catalogue.
class ElectroplatingProcess : public TypedProcessDescriptor<ElectroplatingParameters> {
public:
    using Params = ElectroplatingParameters;

    ElectroplatingProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
