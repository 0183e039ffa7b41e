#include "processvocabulary.h"

#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"
#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"

#include <QColor>
#include <QStringList>

#include <algorithm>

namespace Core {
namespace BatchRun {

namespace {

using K = ParameterKind;
using S = Shown;
using Processes::ProcessRegistry;

void addMaterial(QList<ParameterDefinition> &definitions, const QString &base, Shown idShown = S::Never)
{
    definitions << Processes::materialParameters(base, idShown);
}

// The parameters of the processes that have no descriptor yet.
QList<ParameterDefinition> unsortedDefinitions(int type)
{
    QList<ParameterDefinition> s;
    switch (type) {
    case Planarization:
        s << ParameterDefinition{QStringLiteral("Maximum Height"), K::UInt, S::Always}
          << ParameterDefinition{QStringLiteral("Minimum Height"), K::UInt, S::Always};
        break;
    case Doping:
        s << ParameterDefinition{QStringLiteral("Doping Depth"), K::Float, S::Always};
        addMaterial(s, QStringLiteral("Doped Material"), S::Always);
        break;
    case SpinCoating:
        addMaterial(s, QStringLiteral("Material"));
        s << ParameterDefinition{QStringLiteral("Maximum Height"), K::UInt, S::Always};
        break;
    case SaveImage:
        s << ParameterDefinition{QStringLiteral("Filename"), K::String, S::Always};
        break;
    case CreateSubstrate:
        addMaterial(s, QStringLiteral("Material"));
        s << ParameterDefinition{QStringLiteral("Lower Left Front Corner"), K::Vector3D, S::Always};
        for (const char *axis : {"X", "Y", "Z"})
            s << ParameterDefinition{QStringLiteral("Volume Size ") + QLatin1String(axis), K::UInt, S::Always};
        s << ParameterDefinition{QStringLiteral("SphericalSubstrate"), K::Bool, S::Never};
        for (const char *axis : {"X", "Y", "Z"}) {
            s << ParameterDefinition{QStringLiteral("Substrate Size ") + QLatin1String(axis), K::UInt, S::WhenBox}
              << ParameterDefinition{QStringLiteral("Substrate Delta ") + QLatin1String(axis), K::UInt, S::WhenBox}
              << ParameterDefinition{QStringLiteral("Substrate Center ") + QLatin1String(axis), K::UInt, S::WhenSphere};
        }
        s << ParameterDefinition{QStringLiteral("Substrate Radius"), K::UInt, S::WhenSphere};
        break;
    case IonImplantation:
        s << ParameterDefinition{QStringLiteral("Annealing Distance"), K::Float, S::Always}
          << ParameterDefinition{QStringLiteral("Implantation Depth"), K::Float, S::Always}
          << ParameterDefinition{QStringLiteral("Vertical Spread"), K::Float, S::Always};
        addMaterial(s, QStringLiteral("Doped Material"), S::Always);
        break;
    case SiOxidation:
        s << ParameterDefinition{QStringLiteral("Micron Conversion"), K::Double, S::Always}
          << ParameterDefinition{QStringLiteral("Oxidation Pressure"), K::Double, S::WhenByTime}
          << ParameterDefinition{QStringLiteral("Oxidation Temperature"), K::Double, S::WhenByTime}
          << ParameterDefinition{QStringLiteral("Oxidation Time"), K::Double, S::WhenByTime}
          << ParameterDefinition{QStringLiteral("OxidationTimeSet"), K::Bool, S::Never}
          << ParameterDefinition{QStringLiteral("Oxidation Thickness"), K::Double, S::WhenByThickness}
          << ParameterDefinition{QStringLiteral("OxidationThicknessSet"), K::Bool, S::Never};
        break;
    case RandomWalkDoping:
        for (const char *name : {"Diffusion Coefficient", "Cell Size", "Time Step Duration", "Surface Concentration",
                                 "Doping Time", "Doping Threshold"})
            s << ParameterDefinition{QLatin1String(name), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"), S::Always);
        break;
    default:
        break;
    }
    return s;
}

// The names of the processes that have no descriptor yet.
const char *legacyName(int type)
{
    static const char *const names[] = {"",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "Planarization",
                                        "",
                                        "Doping",
                                        "Spin Coating",
                                        "Save Image",
                                        "Create Substrate",
                                        "",
                                        "",
                                        "Ion Implantation",
                                        "Si Oxidation",
                                        "",
                                        "",
                                        "",
                                        "Doping (Random Walk CA)"};
    return names[type];
}

// The entries of the "add process" choice for the processes that have no descriptor yet.
const char *legacyChoiceName(int type)
{
    static const char *const names[] = {"",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "Planarization",
                                        "",
                                        "Doping",
                                        "Pour Material",
                                        "Save Image",
                                        "Create Substrate",
                                        "",
                                        "",
                                        "Ion Implantation",
                                        "Thermal Oxidation",
                                        "",
                                        "",
                                        "",
                                        "Random Walk Doping"};
    return names[type];
}

} // namespace

QString displayName(int type)
{
    if (type < 0 || type > LastProcessType)
        return QStringLiteral("Unknown process");
    if (const auto *descriptor = ProcessRegistry::descriptor(type))
        return descriptor->displayName();
    return QLatin1String(legacyName(type));
}

QList<ParameterDefinition> parameterDefinitions(int type)
{
    if (const auto *descriptor = ProcessRegistry::descriptor(type))
        return descriptor->parameters();
    QList<ParameterDefinition> definitions = unsortedDefinitions(type);
    // The list view and the files order parameters by name, as the step's map does.
    std::sort(definitions.begin(), definitions.end(),
              [](const ParameterDefinition &a, const ParameterDefinition &b) { return a.name < b.name; });
    return definitions;
}

QStringList materialBases(int type)
{
    if (const auto *descriptor = ProcessRegistry::descriptor(type))
        return descriptor->materialBases();
    QStringList bases;
    for (const ParameterDefinition &definition : unsortedDefinitions(type)) {
        if (definition.name.endsWith(QLatin1String("_Id")))
            bases << definition.name.left(definition.name.size() - 3);
    }
    return bases;
}

QList<QPair<QString, int>> addableProcesses()
{
    // In the order the dialog shows them.
    static const int order[] = {AnisotropicDeposition,
                                AnisotropicEtching,
                                CreateSubstrate,
                                Cvd,
                                Doping,
                                Electroplating,
                                IonImplantation,
                                IsotropicEtching,
                                IsotropicDeposition,
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
        const auto *descriptor = ProcessRegistry::descriptor(type);
        entries << qMakePair(descriptor ? descriptor->choiceName() : QString(QLatin1String(legacyChoiceName(type))),
                             type);
    }
    return entries;
}

uint32_t compatibleProcessId(int type)
{
    if (const auto *descriptor = ProcessRegistry::descriptor(type))
        return descriptor->compatibleProcessId();
    switch (type) {
    case Doping:
        return 13;
    case IonImplantation:
        return 15;
    default:
        return 0;
    }
}

void setMaterialParameters(Ui::ProcessData &step, const QString &base, const Model::Materials::Material &material,
                           bool idShown)
{
    const QColor color = Model::Materials::toQColor(material.color());
    step.setParameter(base + QStringLiteral("_Id"), QVariant::fromValue<uint>(material.id()), idShown);
    step.setParameter(base, material.name(), true);
    step.setParameter(base + QStringLiteral("_Color"), color, false);
}

void completeDerivedParameters(Ui::ProcessData &step)
{
    if (const auto *descriptor = ProcessRegistry::descriptor(step.getProcessType())) {
        descriptor->completeDerivedParameters(step);
        return;
    }
    const auto parameters = step.getParameters();
    for (const QString &base : materialBases(step.getProcessType())) {
        const QString idName = base + QStringLiteral("_Id");
        if (!parameters.contains(idName))
            continue;
        const auto material =
            Model::Materials::MaterialFactory::instance()->getMaterial(parameters.value(idName).toUInt());
        step.setParameterValue(base, material.name());
        step.setParameterValue(base + QStringLiteral("_Color"), Model::Materials::toQColor(material.color()));
    }
}

void applyDefaultVisibility(Ui::ProcessData &step)
{
    const bool sphere = step.getParameters().value(QStringLiteral("SphericalSubstrate")).toBool();
    const bool byTime = step.getParameters().value(QStringLiteral("OxidationTimeSet")).toBool();
    const auto parameters = step.getParameters();
    for (const ParameterDefinition &definition : parameterDefinitions(step.getProcessType())) {
        if (!parameters.contains(definition.name))
            continue;
        bool shown = true;
        switch (definition.shown) {
        case S::Always:
            shown = true;
            break;
        case S::Never:
            shown = false;
            break;
        case S::WhenBox:
            shown = !sphere;
            break;
        case S::WhenSphere:
            shown = sphere;
            break;
        case S::WhenByTime:
            shown = byTime;
            break;
        case S::WhenByThickness:
            shown = !byTime;
            break;
        }
        step.setParameter(definition.name, parameters.value(definition.name), shown);
    }
}

} // namespace BatchRun
} // namespace Core
