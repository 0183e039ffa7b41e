#pragma once

#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

struct SiWetEtchingParameters {
    /// In cells: how far a (100) surface recedes.
    double depth = 0.0;
    /// "BCA" (bond counting) or "CCA" (continuous cellular automaton).
    QString model = QStringLiteral("BCA");
};

/// "Si wet etching": anisotropic wet etching of silicon on the volume's atomistic lattice, laid
/// first when it is out of date, by bond counting or by the continuous automaton. The window has
/// a command for each model.
class SiWetEtchingProcess : public TypedProcessDescriptor<SiWetEtchingParameters> {
public:
    using Params = SiWetEtchingParameters;

    SiWetEtchingProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    void afterRun(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    uint32_t recordedTypeCode(const Params &params) const override;
    bool marksLatticeOutOfDate(const Params &, const ProcessRun &) const override { return false; }
    Operations::ProcessSnapshot::Scope undoScope(const ProcessStep &step) const override;
};

} // namespace Processes
} // namespace Core
