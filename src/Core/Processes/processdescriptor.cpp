#include "Core/Processes/processdescriptor.h"

#include "Core/Processes/parameternames.h"
#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"

#include <algorithm>

namespace Core {
namespace Processes {

ProcessDescriptor::ProcessDescriptor(ProcessType type, const QString &displayName, const QString &choiceName,
                                     QList<ParameterDefinition> parameters, QList<ProcessCommand> commands)
    : m_type(type)
    , m_displayName(displayName)
    , m_choiceName(choiceName)
    , m_parameters(std::move(parameters))
    , m_commands(std::move(commands))
{
    const QString idSuffix = Parameter::materialId(QString());
    for (const ParameterDefinition &definition : m_parameters) {
        if (definition.name.endsWith(idSuffix))
            m_materialBases << definition.name.left(definition.name.size() - idSuffix.size());
    }
    // The list view and the files order parameters by name, as the step's map does.
    std::sort(m_parameters.begin(), m_parameters.end(),
              [](const ParameterDefinition &a, const ParameterDefinition &b) { return a.name < b.name; });
}

const ParameterDefinition *ProcessDescriptor::parameter(const QString &name) const
{
    for (const ParameterDefinition &definition : m_parameters) {
        if (definition.name == name)
            return &definition;
    }
    return nullptr;
}

const ProcessCommand *ProcessDescriptor::command(CommandId id) const
{
    for (const ProcessCommand &command : m_commands) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

StepEstimate ProcessDescriptor::estimate(const ProcessStep &, const Model::Automaton::TotalVolume &) const
{
    return StepEstimate();
}

Operations::ProcessSnapshot::Scope ProcessDescriptor::undoScope(const ProcessStep &) const
{
    return Operations::ProcessSnapshot::Scope();
}

bool ProcessDescriptor::preview(Model::Automaton::TotalVolume &, const QVariantMap &) const { return false; }

void ProcessDescriptor::completeDerivedParameters(ProcessStep &step) const
{
    const auto parameters = step.getParameters();
    for (const QString &base : m_materialBases) {
        const QString idName = Parameter::materialId(base);
        if (!parameters.contains(idName))
            continue;
        const auto material =
            Model::Materials::MaterialFactory::instance()->getMaterial(parameters.value(idName).toUInt());
        step.setParameterValue(base, material.name());
        step.setParameterValue(Parameter::materialColor(base), Model::Materials::toQColor(material.color()));
    }
}

void ProcessDescriptor::applyValues(ProcessStep &step, const QVariantMap &values) const
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (it.value().isValid())
            step.setParameterValue(it.key(), it.value());
        else
            step.removeParameter(it.key());
    }
}

} // namespace Processes
} // namespace Core
