#pragma once

#include "Core/Processes/typedprocessdescriptor.h"
#include "Model/Volume/siorientation.h"

namespace Core {
namespace Processes {

struct SiWetEtchingParameters {
    /// In cells: how far a (100) surface recedes (without an etchant).
    double depth = 0.0;
    /// "BCA" (bond counting) or "CCA" (continuous cellular automaton).
    QString model = QStringLiteral("BCA");
    /// Empty: the etch goes by its depth. "KOH" or "TMAH": the calibrated continuous model runs for
    /// the etch time in that bath.
    QString etchant = QString();
    double concentration = 30.0; ///< wt %
    double temperature = 70.0;   ///< degC
    double etchTime = 0.0;       ///< min
    double cellSize = 1.0;       ///< um per cell edge
    QString orientation = QStringLiteral("100");
    double flatAngle = 0.0; ///< degrees
    /// nm/min at which the bath wears thermal oxide away; 0: the oxide stays, like every mask.
    double oxideEtchRate = 0.0;
};

/// "Si wet etching": anisotropic wet etching of silicon on the volume's atomistic lattice, laid
/// first when it is out of date, by bond counting or by the continuous automaton, or, with an
/// etchant, by the continuous automaton calibrated to the bath's published rates for a time. The
/// window has a command for each model.
class SiWetEtchingProcess : public TypedProcessDescriptor<SiWetEtchingParameters> {
public:
    using Params = SiWetEtchingParameters;

    SiWetEtchingProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    QStringList stepRefusals(const ProcessStep &step) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    void afterRun(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
    uint32_t recordedTypeCode(const Params &params) const override;
    bool marksLatticeOutOfDate(const Params &, const ProcessRun &) const override { return false; }
    Operations::ProcessSnapshot::Scope undoScope(const ProcessStep &step) const override;

    /// The steps of the calibrated model for the bath and time of `params` (0 without an etchant or
    /// with a refused bath).
    static uint64_t calibratedSteps(const Params &params);
    /// The wafer the lattice is laid for: the bath's "Wafer Orientation" and "Flat Angle", (100) at
    /// flat angle 0 without a bath.
    static Model::Automaton::SiOrientation latticeOrientation(const Params &params);
    /// The steps of the calibrated model in which the bath wears one cell edge of thermal oxide
    /// away at the step's "Oxide Etch Rate" (0 when the oxide stays).
    static double oxideStepsPerCell(const Params &params);
    /// The material the "Oxide Etch Rate" applies to: the catalogue's thermal oxide, the one that
    /// "Si Oxidation" grows. Every other material (nitride, metals, resists) stays.
    static uint32_t thermalOxideMaterial();
};

} // namespace Processes
} // namespace Core
