#include "Core/BatchRun/processvocabulary.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/colorbytes.h"

#include <QColor>
#include <QStringList>

namespace Core {
namespace BatchRun {

using Processes::ProcessRegistry;

QString displayName(int type)
{
    if (type < 0 || type > LastProcessType)
        return QStringLiteral("Unknown process");
    const auto *descriptor = ProcessRegistry::descriptor(type);
    return descriptor ? descriptor->displayName() : QStringLiteral("Unknown process");
}

QList<ParameterDefinition> parameterDefinitions(int type)
{
    const auto *descriptor = ProcessRegistry::descriptor(type);
    return descriptor ? descriptor->parameters() : QList<ParameterDefinition>();
}

QStringList materialBases(int type)
{
    const auto *descriptor = ProcessRegistry::descriptor(type);
    return descriptor ? descriptor->materialBases() : QStringList();
}

QList<QPair<QString, int>> addableProcesses()
{
    // In the order the dialog shows them.
    static const int order[] = {AnisotropicDeposition,
                                AnisotropicEtching,
                                BoschEtching,
                                CreateSubstrate,
                                Cvd,
                                Doping,
                                Electroplating,
                                IonImplantation,
                                IsotropicEtching,
                                IsotropicDeposition,
                                LineOfSightDeposition,
                                LineOfSightEtching,
                                Measure,
                                MooreDeposition,
                                MooreEtching,
                                Photolithography,
                                Planarization,
                                SpinCoating,
                                RandomWalkDoping,
                                Pvd,
                                SimpleRie,
                                SaveImage,
                                SiWetEtching,
                                SiOxidation};
    QList<QPair<QString, int>> entries;
    for (int type : order) {
        entries << qMakePair(ProcessRegistry::descriptor(type)->choiceName(), type);
    }
    return entries;
}

uint32_t compatibleProcessId(int type)
{
    const auto *descriptor = ProcessRegistry::descriptor(type);
    return descriptor ? descriptor->compatibleProcessId() : 0;
}

void setMaterialParameters(Processes::ProcessStep &step, const QString &base,
                           const Model::Materials::Material &material, bool idShown)
{
    const QColor color = Model::Materials::toQColor(material.color());
    step.setParameter(base + QStringLiteral("_Id"), QVariant::fromValue<uint>(material.id()), idShown);
    step.setParameter(base, material.name(), true);
    step.setParameter(base + QStringLiteral("_Color"), color, false);
}

void completeDerivedParameters(Processes::ProcessStep &step)
{
    if (const auto *descriptor = ProcessRegistry::descriptor(step.getProcessType()))
        descriptor->completeDerivedParameters(step);
}

void applyDefaultVisibility(Processes::ProcessStep &step)
{
    const bool sphere = step.getParameters().value(QStringLiteral("SphericalSubstrate")).toBool();
    const bool byTime = step.getParameters().value(QStringLiteral("OxidationTimeSet")).toBool();
    const bool bath = step.hasParameter(QLatin1String(Processes::Parameter::Etchant));
    const auto parameters = step.getParameters();
    for (const ParameterDefinition &definition : parameterDefinitions(step.getProcessType())) {
        if (!parameters.contains(definition.name))
            continue;
        bool shown = true;
        switch (definition.shown) {
        case Shown::Always:
            shown = true;
            break;
        case Shown::Never:
            shown = false;
            break;
        case Shown::WhenBox:
            shown = !sphere;
            break;
        case Shown::WhenSphere:
            shown = sphere;
            break;
        case Shown::WhenByTime:
            shown = byTime;
            break;
        case Shown::WhenByThickness:
            shown = !byTime;
            break;
        case Shown::WhenEtchant:
            shown = bath;
            break;
        case Shown::WhenNoEtchant:
            shown = !bath;
            break;
        case Shown::WhenGiven:
            shown = true;
            break;
        }
        step.setParameter(definition.name, parameters.value(definition.name), shown);
    }
}

} // namespace BatchRun
} // namespace Core
