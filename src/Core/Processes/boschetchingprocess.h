#pragma once

#include "Core/Processes/typedprocessdescriptor.h"
#include "Model/Materials/materialfactory.h"

#include <optional>

namespace Core {
namespace Processes {

struct BoschEtchingParameters {
    /// The etched material; other materials are masks.
    uint32_t material = 1;
    uint32_t cycles = 1;
    /// Cells removed from a flat open surface per cycle.
    double etchPerCycle = 1.0;
    /// Cells of passivating film per cycle.
    double passivationThickness = 1.0;
    /// The share of the radicals that react where they meet the material.
    double reactionProbability = 0.1;
    uint32_t passivationMaterial = Model::Materials::MaterialFactory::fluorocarbonPolymerId;
    bool stripPassivation = true;
    /// The step's own seed; none: the run's (cellforge-batch --seed), or the clock.
    std::optional<uint32_t> seed;
};

/// "Bosch Etching" (type 22): deep reactive-ion etching in cycles of passivation, ion clearing and
/// isotropic etching in line of sight (BoschEtching), the passivating film stripped at the end.
class BoschEtchingProcess : public TypedProcessDescriptor<BoschEtchingParameters> {
public:
    using Params = BoschEtchingParameters;

    BoschEtchingProcess();

    /// The catalogue's "DRIE" process: the materials the dialog offers to etch.
    uint32_t compatibleProcessId() const override { return 2; }

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    /// Values that do not go together (a film of the etched material), before a list runs.
    QStringList stepRefusals(const ProcessStep &step) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
