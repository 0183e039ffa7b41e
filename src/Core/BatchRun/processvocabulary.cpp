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
    case MooreDeposition:
        s << ParameterDefinition{QStringLiteral("Thickness"), K::UInt, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case MooreEtching:
        s << ParameterDefinition{QStringLiteral("Depth"), K::UInt, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case IsotropicEtching:
        s << ParameterDefinition{QStringLiteral("Depth"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case Electroplating:
        s << ParameterDefinition{QStringLiteral("Film Thickness"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Conducting Material"));
        addMaterial(s, QStringLiteral("Deposited Material"));
        break;
        break;
    case Pvd:
        s << ParameterDefinition{QStringLiteral("Thickness"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        s << ParameterDefinition{QStringLiteral("DepositOn"), K::Int, S::Never}
          << ParameterDefinition{QStringLiteral("Deposit On"), K::String, S::Always}
          << ParameterDefinition{QStringLiteral("Horizontal to Vertical Ratio"), K::Double, S::Always};
        break;
    case AnisotropicDeposition:
        s << ParameterDefinition{QStringLiteral("Film Thickness"), K::Double, S::Always}
          << ParameterDefinition{QStringLiteral("Horizontal to Vertical Ratio"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case AnisotropicEtching:
        s << ParameterDefinition{QStringLiteral("Etch Depth"), K::Double, S::Always}
          << ParameterDefinition{QStringLiteral("Horizontal to Vertical Ratio"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
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
                                        "Moore deposition",
                                        "Moore etching",
                                        "",
                                        "Isotropic etching",
                                        "",
                                        "Electroplating",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "PVD",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "Anisotropic Deposition",
                                        "Anisotropic Etching",
                                        ""};
    return names[type];
}

// The entries of the "add process" choice for the processes that have no descriptor yet.
const char *legacyChoiceName(int type)
{
    static const char *const names[] = {"",
                                        "",
                                        "Moore Deposition",
                                        "Moore Etching",
                                        "",
                                        "Isotropic Etching",
                                        "",
                                        "Electroplating",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "PVD",
                                        "",
                                        "",
                                        "",
                                        "",
                                        "Anisotropic Deposition",
                                        "Anisotropic Etching",
                                        ""};
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
    case AnisotropicDeposition:
        return 16;
    case AnisotropicEtching:
        return 17;
    case IsotropicEtching:
        return 10;
    case Pvd:
        return 4;
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
    if (step.getProcessType() == Pvd && parameters.contains(QStringLiteral("DepositOn"))) {
        static const char *const texts[] = {"", "On Top", "On Bottom", "On Top and Bottom"};
        const int on = parameters.value(QStringLiteral("DepositOn")).toInt();
        step.setParameterValue(QStringLiteral("Deposit On"), QLatin1String(on >= 1 && on <= 3 ? texts[on] : ""));
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
