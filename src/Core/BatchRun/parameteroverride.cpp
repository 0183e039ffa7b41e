#include "Core/BatchRun/parameteroverride.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/materialfactory.h"

namespace Core {
namespace BatchRun {

std::optional<ParameterOverride> ParameterOverride::fromColumn(const QString &text)
{
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot <= 0)
        return std::nullopt;
    bool ok = false;
    ParameterOverride o;
    o.step = text.left(dot).toInt(&ok);
    o.parameter = text.mid(dot + 1);
    if (!ok || o.step < 1 || o.parameter.isEmpty() || text.left(dot).trimmed() != text.left(dot))
        return std::nullopt;
    return o;
}

std::optional<ParameterOverride> ParameterOverride::fromText(const QString &text)
{
    const int equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    auto o = fromColumn(text.left(equals));
    if (o)
        o->value = text.mid(equals + 1);
    return o;
}

namespace {

/// Sets a material base ("Material") of a step from a material's name: its identifier, name and colour.
QString setMaterial(const Processes::ProcessDescriptor &process, const ParameterOverride &o,
                    Processes::ProcessStep &step)
{
    const auto material = Model::Materials::MaterialFactory::instance()->getMaterialByName(o.value);
    if (material.name() != o.value || material.id() == 0)
        return QStringLiteral("%1=%2: the material catalogue holds no material \"%2\"").arg(o.column(), o.value);
    const QString idName = Processes::Parameter::materialId(o.parameter);
    step.removeParameter(idName);
    const auto *definition = process.parameter(idName);
    const bool idShown = definition && definition->shown == Processes::Shown::Always;
    setMaterialParameters(step, o.parameter, material, idShown);
    return QString();
}

} // namespace

QString ParameterOverride::apply(const QList<ParameterOverride> &overrides, QList<Processes::ProcessStep> &steps)
{
    for (const ParameterOverride &o : overrides) {
        if (o.step < 1 || o.step > steps.size())
            return QStringLiteral("%1: step %2 does not exist: the list has %3 step%4")
                .arg(o.column())
                .arg(o.step)
                .arg(steps.size())
                .arg(steps.size() == 1 ? QString() : QStringLiteral("s"));
        Processes::ProcessStep &step = steps[o.step - 1];
        const auto *process = Processes::ProcessRegistry::descriptor(step.getProcessType());
        if (process && process->materialBases().contains(o.parameter)) {
            const QString problem = setMaterial(*process, o, step);
            if (!problem.isEmpty())
                return problem;
            continue;
        }
        // The kind the process gives the name or, for a name it does not define, the kind of the list's value.
        const auto *definition = process ? process->parameter(o.parameter) : nullptr;
        if (!definition && !step.hasParameter(o.parameter))
            return QStringLiteral("%1: step %2 (%3) has no parameter \"%4\"")
                .arg(o.column())
                .arg(o.step)
                .arg(displayName(step.getProcessType()), o.parameter);
        const QString typeName = definition ? kindName(definition->kind)
                                            : ProcessListFile::valueTypeName(step.getParameters().value(o.parameter));
        bool converted = true;
        const QVariant value = ProcessListFile::valueFromText(typeName, o.value, &converted);
        const bool shown = !step.hasParameter(o.parameter) || step.getVisibilities().value(o.parameter, true);
        step.removeParameter(o.parameter);
        step.setParameter(o.parameter, value, shown);
        if (!converted)
            step.markUnconverted(o.parameter, o.value);
    }
    return QString();
}

} // namespace BatchRun
} // namespace Core
