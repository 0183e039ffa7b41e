#include "Core/Processes/sioxidationprocess.h"

#include "Core/Engines/DistanceCounting/simplesioxidation.h"
#include "Core/Processes/compatiblematerials.h"
#include "Core/Processes/parameternames.h"
#include "Core/workspace.h"

namespace Core {
namespace Processes {

namespace {

// Deal-Grove divides by the temperature and, through the rate constants, by the pressure.
QList<ParameterDefinition> definitions()
{
    using Util::ValueRange;
    return {
        {Parameter::MicronConversion, ParameterKind::Double, Shown::Always,
         ValueRange::aboveZero(DBL_MAX, "cell units per micron")},
        {Parameter::OxidationPressure, ParameterKind::Double, Shown::WhenByTime, ValueRange::aboveZero(DBL_MAX, "atm")},
        {Parameter::OxidationTemperature, ParameterKind::Double, Shown::WhenByTime,
         ValueRange::aboveZero(DBL_MAX, "K")},
        {Parameter::OxidationTime, ParameterKind::Double, Shown::WhenByTime, ValueRange::notNegative(DBL_MAX, "hours")},
        {Parameter::OxidationTimeSet, ParameterKind::Bool, Shown::Never},
        {Parameter::OxidationThickness, ParameterKind::Double, Shown::WhenByThickness,
         ValueRange::notNegative(DBL_MAX, "microns")},
        {Parameter::OxidationThicknessSet, ParameterKind::Bool, Shown::Never}};
}

} // namespace

SiOxidationProcess::SiOxidationProcess()
    : TypedProcessDescriptor(ProcessType::SiOxidation, QStringLiteral("Si Oxidation"),
                             QStringLiteral("Thermal Oxidation"), definitions(),
                             {{CommandId::SiOxidation, "Simple Si Oxidation", 26, "SiOxidation", {}}})
{
}

// Only the values of the chosen mode are read. A missing one, or one out of its range, fails the
// step; a value that does not convert (the mode's flag too) makes a step that runs nothing.
SiOxidationParameters SiOxidationProcess::read(ParameterReader &reader) const
{
    Params params;
    ParameterReader mode(reader.step());
    params.byTime = mode.toBool(Parameter::OxidationTimeSet);
    const bool modeRead = mode.ok();
    const auto readValues = [&params, modeRead](ParameterReader &values) {
        params.conversion = values.toDouble(Parameter::MicronConversion);
        if (modeRead && params.byTime) {
            params.pressure = values.toDouble(Parameter::OxidationPressure);
            params.temperature = values.toDouble(Parameter::OxidationTemperature);
            params.time = values.toDouble(Parameter::OxidationTime);
        } else if (modeRead) {
            params.thickness = values.toDouble(Parameter::OxidationThickness);
        }
    };
    ParameterReader values(reader.step());
    readValues(values);
    // What fails the step is read again by the caller's reader, which then says what it says here.
    if (mode.result() == MissingParameter)
        reader.toBool(Parameter::OxidationTimeSet);
    else if (values.result() == MissingParameter || values.outOfRange())
        readValues(reader);
    else if (!modeRead || !values.ok())
        params.unreadable = modeRead ? values.problem() : mode.problem();
    return params;
}

QVariantMap SiOxidationProcess::values(const Params &params) const
{
    // Both modes' values are kept, so that switching the mode back finds them again.
    return {{Parameter::MicronConversion, params.conversion},  {Parameter::OxidationThickness, params.thickness},
            {Parameter::OxidationTime, params.time},           {Parameter::OxidationTemperature, params.temperature},
            {Parameter::OxidationPressure, params.pressure},   {Parameter::OxidationTimeSet, params.byTime},
            {Parameter::OxidationThicknessSet, !params.byTime}};
}

int SiOxidationProcess::prepare(Params &params, const ProcessStep &, ProcessRun &run) const
{
    if (!params.unreadable.isEmpty()) {
        run.detail = QStringLiteral("not run: ") + params.unreadable;
        run.changedNothing = true;
        return Success;
    }
    return requireCompatibleMaterials(run, Operations::SimpleSiOxidation::oxidizableProcess, "oxidized");
}

void SiOxidationProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Operations::SimpleSiOxidation engine(volume, params.conversion);
    engine.setRunControl(run.control);
    if (params.byTime)
        engine.runForTime(params.time, params.temperature, params.pressure);
    else
        engine.runWithThickness(params.thickness);
    if (run.control && run.control->wasStopped())
        return; // the cells are put back; there is no thickness to tell
    const bool window = run.road == ProcessRun::Road::Window;
    const QString name = QLatin1String(commands().front().operationName) + QStringLiteral(": ");
    if (!(engine.thickness() > 0.0)) {
        if (window) {
            run.workspace.console().writeMessage(
                name +
                QStringLiteral("The oxide thickness is %1 cell units; nothing was oxidized.").arg(engine.thickness()));
        } else {
            // A list does not count a step that oxidized nothing as the volume's last operation.
            run.detail =
                QStringLiteral("the oxide thickness is %1 cell units; nothing was oxidized").arg(engine.thickness());
            run.changedNothing = true;
        }
    } else if (window && params.byTime) {
        run.workspace.console().writeMessage(name + QStringLiteral("Oxide thickness %1 microns (%2 cell units).")
                                                        .arg(engine.thickness() / params.conversion, 0, 'g', 4)
                                                        .arg(engine.thickness(), 0, 'g', 4));
    }
}

void SiOxidationProcess::applyValues(ProcessStep &step, const QVariantMap &values) const
{
    const bool wasByTime = step.getParameters().value(Parameter::OxidationTimeSet).toBool();
    TypedProcessDescriptor::applyValues(step, values);
    const QVariantMap now = step.getParameters();
    const bool byTime = now.value(Parameter::OxidationTimeSet).toBool();
    if (byTime == wasByTime)
        return;
    for (const ParameterDefinition &definition : parameters()) {
        if (!now.contains(definition.name))
            continue;
        const bool shown = definition.shown == Shown::Always || (definition.shown == Shown::WhenByTime && byTime) ||
                           (definition.shown == Shown::WhenByThickness && !byTime);
        step.setParameter(definition.name, now.value(definition.name), shown);
    }
}

} // namespace Processes
} // namespace Core
