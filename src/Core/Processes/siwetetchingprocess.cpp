#include "Core/Processes/siwetetchingprocess.h"

#include "Core/Engines/DistanceCounting/simplesioxidation.h"
#include "Core/Engines/Lattice/bondcountingwetetchengine.h"
#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "Core/Engines/Lattice/etchant.h"
#include "Core/Engines/Lattice/etchanttables.h"
#include "Core/Processes/parameternames.h"
#include "Core/workspace.h"
#include "Model/Volume/silattice.h"

#include <cmath>

namespace Core {
namespace Processes {

namespace {

constexpr const char *bondCounting = "BCA";
constexpr const char *continuousAutomaton = "CCA";

/// nm/min: well above the oxide rates of anisotropic baths, which are a few nm/min.
constexpr double maximumOxideEtchRate = 1000.0;

/// What an etch in a bath needs besides the etchant.
const char *const bathParameters[] = {Parameter::Concentration, Parameter::Temperature, Parameter::EtchTime,
                                      Parameter::CellSize};

} // namespace

SiWetEtchingProcess::SiWetEtchingProcess()
    : TypedProcessDescriptor(
          ProcessType::SiWetEtching, QStringLiteral("Si wet etching"), QStringLiteral("Si Wet Etching"),
          {{Parameter::Depth, ParameterKind::Double, Shown::WhenNoEtchant,
            Util::ValueRange::notNegative(DBL_MAX, "units")},
           // May be absent: such a step etches by bond counting.
           {Parameter::EtchModel, ParameterKind::String, Shown::Always},
           // The bath: all absent in a step that etches by depth.
           {Parameter::Etchant, ParameterKind::String, Shown::WhenEtchant},
           {Parameter::Concentration, ParameterKind::Double, Shown::WhenEtchant,
            Util::ValueRange(Operations::EtchantTables::kohConcentration.minimum,
                             Operations::EtchantTables::kohConcentration.maximum, "wt %")},
           {Parameter::Temperature, ParameterKind::Double, Shown::WhenEtchant,
            Util::ValueRange(Operations::EtchantTables::kohTemperature.minimum,
                             Operations::EtchantTables::kohTemperature.maximum, "\u00b0C")},
           {Parameter::EtchTime, ParameterKind::Double, Shown::WhenEtchant, Util::ValueRange::aboveZero(1e7, "min")},
           {Parameter::CellSize, ParameterKind::Double, Shown::WhenEtchant,
            Util::ValueRange::aboveZero(1e6, "\u00b5m")},
           {Parameter::WaferOrientation, ParameterKind::String, Shown::WhenEtchant},
           {Parameter::FlatAngle, ParameterKind::Double, Shown::WhenEtchant,
            Util::ValueRange(-360.0, 360.0, "degrees")},
           // The user's: no citable table of thermal oxide in KOH is held (a few nm/min at 70-80 degC).
           // Optional, read only with an etchant: a bath step without it leaves the oxide as it is.
           {Parameter::OxideEtchRate, ParameterKind::Double, Shown::WhenGiven,
            Util::ValueRange(0.0, maximumOxideEtchRate, "nm/min")}},
          {{CommandId::BondCountingWetEtch, "BCA Wet Etch", 28, "BCAWetEtch", {{Parameter::EtchModel, bondCounting}}},
           {CommandId::ContinuousWetEtch,
            "Continuous Wet Etch",
            29,
            "CCAWetEtch",
            {{Parameter::EtchModel, continuousAutomaton}}}})
{
}

SiWetEtchingParameters SiWetEtchingProcess::read(ParameterReader &reader) const
{
    Params params;
    const ProcessStep &step = reader.step();
    if (step.hasParameter(Parameter::Etchant)) {
        params.etchant = step.getProcessParameter(Parameter::Etchant).toString();
        // In a bath the continuous model runs unless the step asks for another.
        params.model = QLatin1String(continuousAutomaton);
        params.concentration = reader.toDouble(Parameter::Concentration);
        params.temperature = reader.toDouble(Parameter::Temperature);
        params.etchTime = reader.toDouble(Parameter::EtchTime);
        params.cellSize = reader.toDouble(Parameter::CellSize);
        if (step.hasParameter(Parameter::WaferOrientation))
            params.orientation = step.getProcessParameter(Parameter::WaferOrientation).toString();
        if (step.hasParameter(Parameter::FlatAngle))
            params.flatAngle = reader.toDouble(Parameter::FlatAngle);
        if (step.hasParameter(Parameter::OxideEtchRate))
            params.oxideEtchRate = reader.toDouble(Parameter::OxideEtchRate);
    } else {
        params.depth = reader.toDouble(Parameter::Depth);
    }
    // Lists written before the model could be chosen etch by bond counting, as they always did.
    if (step.hasParameter(Parameter::EtchModel))
        params.model = step.getProcessParameter(Parameter::EtchModel).toString();
    return params;
}

QVariantMap SiWetEtchingProcess::values(const Params &params) const
{
    // Without an etchant the step keeps exactly the values it always had; the bath's are removed.
    const bool bath = !params.etchant.isEmpty();
    auto inBath = [bath](const QVariant &value) { return bath ? value : QVariant(); };
    return {{Parameter::Depth, bath ? QVariant() : QVariant(params.depth)},
            {Parameter::EtchModel, params.model},
            {Parameter::Etchant, inBath(params.etchant)},
            {Parameter::Concentration, inBath(params.concentration)},
            {Parameter::Temperature, inBath(params.temperature)},
            {Parameter::EtchTime, inBath(params.etchTime)},
            {Parameter::CellSize, inBath(params.cellSize)},
            {Parameter::WaferOrientation, inBath(params.orientation)},
            {Parameter::FlatAngle, inBath(params.flatAngle)},
            // A bath that leaves the oxide as it is keeps the values it had before the rate existed.
            {Parameter::OxideEtchRate, params.oxideEtchRate > 0.0 ? inBath(params.oxideEtchRate) : QVariant()}};
}

QString SiWetEtchingProcess::validate(const Params &params) const
{
    if (params.model != QLatin1String(bondCounting) && params.model != QLatin1String(continuousAutomaton))
        return QStringLiteral("invalid: Etch Model must be BCA or CCA, not \"%1\"").arg(params.model);
    if (params.etchant.isEmpty())
        return QString();
    if (params.model == QLatin1String(bondCounting))
        return QStringLiteral("invalid: \"Etch Model\" BCA is refused with an \"Etchant\": the bath's rates are "
                              "those of the continuous model (CCA); bond counting etches by \"Depth\"");
    QString refusal;
    if (!Operations::Etchant::rates(params.etchant, params.concentration, params.temperature, &refusal))
        return QStringLiteral("invalid: ") + refusal;
    if (params.orientation != QLatin1String("100") && params.orientation != QLatin1String("110") &&
        params.orientation != QLatin1String("111") && params.orientation != QLatin1String("311"))
        return QStringLiteral("invalid: \"Wafer Orientation\" must be 100, 110, 111 or 311, not \"%1\"")
            .arg(params.orientation);
    return QString();
}

Model::Automaton::SiOrientation SiWetEtchingProcess::latticeOrientation(const Params &params)
{
    using Normal = Model::Automaton::SiOrientation::Normal;
    Model::Automaton::SiOrientation orientation;
    // A step without a bath etches the (100) wafer of flat angle 0, as it always did.
    if (params.etchant.isEmpty())
        return orientation;
    if (params.orientation == QLatin1String("110"))
        orientation.normal = Normal::N110;
    else if (params.orientation == QLatin1String("111"))
        orientation.normal = Normal::N111;
    else if (params.orientation == QLatin1String("311"))
        orientation.normal = Normal::N311;
    orientation.flatAngle = params.flatAngle;
    return orientation;
}

QStringList SiWetEtchingProcess::stepRefusals(const ProcessStep &step) const
{
    if (!step.hasParameter(Parameter::Etchant))
        return QStringList();
    // An empty etchant would read as an etch by depth without one.
    if (step.getProcessParameter(Parameter::Etchant).toString().isEmpty())
        return {QStringLiteral("\"Etchant\" must be KOH or TMAH, not \"\"")};
    QStringList refusals;
    for (const char *name : bathParameters) {
        if (!step.hasParameter(QLatin1String(name)))
            refusals << QStringLiteral("\"%1\" is missing: with an \"Etchant\" it must be given, %2")
                            .arg(QLatin1String(name), parameter(QLatin1String(name))->range->text());
    }
    if (!refusals.isEmpty())
        return refusals;
    ParameterReader reader(step);
    const Params params = read(reader);
    if (!reader.ok())
        return QStringList(); // the step's reading says what is wrong when it runs
    const QString problem = validate(params);
    if (!problem.isEmpty())
        refusals << problem.mid(problem.indexOf(QLatin1Char(' ')) + 1);
    return refusals;
}

uint64_t SiWetEtchingProcess::calibratedSteps(const Params &params)
{
    const auto rates = Operations::Etchant::rates(params.etchant, params.concentration, params.temperature, nullptr);
    if (!rates)
        return 0;
    return Operations::LatticeEtchEngine::roundedSteps(
        Operations::Etchant::steps(rates->r100, params.etchTime, params.cellSize));
}

uint32_t SiWetEtchingProcess::thermalOxideMaterial() { return Operations::SimpleSiOxidation::oxideMaterial; }

double SiWetEtchingProcess::oxideStepsPerCell(const Params &params)
{
    if (!(params.oxideEtchRate > 0.0))
        return 0.0;
    const auto rates = Operations::Etchant::rates(params.etchant, params.concentration, params.temperature, nullptr);
    if (!rates)
        return 0.0;
    const double minutesPerCell = params.cellSize * 1000.0 / params.oxideEtchRate;
    return minutesPerCell * Operations::Etchant::steps(rates->r100, 1.0, params.cellSize);
}

void SiWetEtchingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Core::Workspace &workspace = run.workspace;
    const Model::Automaton::SiOrientation orientation = latticeOrientation(params);
    // A step on a wafer of another orientation or flat angle lays the lattice anew from the cells.
    if (!volume.siLattice() || workspace.isLatticeOutOfDate(volume.id()) ||
        volume.siLattice()->orientation() != orientation) {
        // Marked first: a build that fails part way leaves no lattice to trust.
        workspace.setLatticeOutOfDate(volume.id(), true);
        volume.createSiLattice(orientation);
    }
    if (!params.etchant.isEmpty()) {
        Operations::ContinuousWetEtchEngine engine(volume, calibratedSteps(params),
                                                   Operations::ContinuousWetEtchEngine::Calibrated{});
        engine.setMaskErosion(thermalOxideMaterial(), oxideStepsPerCell(params));
        engine.setRunControl(run.control);
        engine.run();
    } else if (params.model == QLatin1String(continuousAutomaton)) {
        Operations::ContinuousWetEtchEngine engine(volume, params.depth);
        engine.setRunControl(run.control);
        engine.run();
    } else {
        Operations::BondCountingWetEtchEngine engine(volume, params.depth);
        engine.setRunControl(run.control);
        engine.run();
    }
    // The atoms are those of a partial etch; the next wet etch lays them anew from the cells.
    if (run.control && run.control->wasStopped())
        workspace.setLatticeOutOfDate(volume.id(), true);
}

void SiWetEtchingProcess::afterRun(Model::Automaton::TotalVolume &volume, const Params &, ProcessRun &run) const
{
    run.workspace.setLatticeOutOfDate(volume.id(), false);
}

uint32_t SiWetEtchingProcess::recordedTypeCode(const Params &params) const
{
    return commands().at(params.model == QLatin1String(continuousAutomaton) ? 1 : 0).typeCode;
}

Operations::ProcessSnapshot::Scope SiWetEtchingProcess::undoScope(const Core::Processes::ProcessStep &) const
{
    Operations::ProcessSnapshot::Scope scope;
    scope.atomCounts = true;
    scope.lattice = true;
    return scope;
}

} // namespace Processes
} // namespace Core
