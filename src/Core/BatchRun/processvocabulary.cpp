#include "processvocabulary.h"

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

void addMaterial(QList<ParameterDefinition> &definitions, const QString &base, Shown idShown = S::Never)
{
    definitions << ParameterDefinition{base + QStringLiteral("_Id"), K::UInt, idShown}
                << ParameterDefinition{base, K::String, S::Always}
                << ParameterDefinition{base + QStringLiteral("_Color"), K::Color, S::Never};
}

QList<ParameterDefinition> unsortedDefinitions(int type)
{
    QList<ParameterDefinition> s;
    switch (type) {
    case Photolithography:
        addMaterial(s, QStringLiteral("Material"));
        for (const char *side : {"Top", "Bottom"}) {
            s << ParameterDefinition{QLatin1String(side) + QStringLiteral(" Mask"), K::Mask, S::Never}
              << ParameterDefinition{QLatin1String(side) + QStringLiteral(" Mask File"), K::String, S::Always}
              << ParameterDefinition{QLatin1String(side) + QStringLiteral(" Mask Height"), K::UInt, S::Always}
              << ParameterDefinition{QLatin1String(side) + QStringLiteral(" Mask Width"), K::UInt, S::Always};
        }
        break;
    case SiWetEtching:
        // "Etch Model" ("BCA" or "CCA") may be absent: such a step etches by bond counting.
        s << ParameterDefinition{QStringLiteral("Depth"), K::Double, S::Always}
          << ParameterDefinition{QStringLiteral("Etch Model"), K::String, S::Always};
        break;
    case MooreDeposition:
        s << ParameterDefinition{QStringLiteral("Thickness"), K::UInt, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case MooreEtching:
        s << ParameterDefinition{QStringLiteral("Depth"), K::UInt, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case Cvd:
        s << ParameterDefinition{QStringLiteral("Thickness"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case IsotropicEtching:
        s << ParameterDefinition{QStringLiteral("Depth"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        break;
    case Planarization:
        s << ParameterDefinition{QStringLiteral("Maximum Height"), K::UInt, S::Always}
          << ParameterDefinition{QStringLiteral("Minimum Height"), K::UInt, S::Always};
        break;
    case Electroplating:
        s << ParameterDefinition{QStringLiteral("Film Thickness"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Conducting Material"));
        addMaterial(s, QStringLiteral("Deposited Material"));
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
    case Pvd:
        s << ParameterDefinition{QStringLiteral("Thickness"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
        s << ParameterDefinition{QStringLiteral("DepositOn"), K::Int, S::Never}
          << ParameterDefinition{QStringLiteral("Deposit On"), K::String, S::Always}
          << ParameterDefinition{QStringLiteral("Horizontal to Vertical Ratio"), K::Double, S::Always};
        break;
    case SimpleRie:
        addMaterial(s, QStringLiteral("Material"));
        s << ParameterDefinition{QStringLiteral("Etch Depth"), K::UInt, S::Always}
          << ParameterDefinition{QStringLiteral("EtchDirectionValue"), K::Int, S::Never}
          << ParameterDefinition{QStringLiteral("Etch Direction"), K::String, S::Always};
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
    case IsotropicDeposition:
        s << ParameterDefinition{QStringLiteral("Film Thickness"), K::Double, S::Always};
        addMaterial(s, QStringLiteral("Material"));
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

} // namespace

QString displayName(int type)
{
    static const char *const names[] = {"Photolithography",
                                        "Si wet etching",
                                        "Moore deposition",
                                        "Moore etching",
                                        "CVD",
                                        "Isotropic etching",
                                        "Planarization",
                                        "Electroplating",
                                        "Doping",
                                        "Spin Coating",
                                        "Save Image",
                                        "Create Substrate",
                                        "PVD",
                                        "Simple RIE",
                                        "Ion Implantation",
                                        "Si Oxidation",
                                        "Isotropic Deposition",
                                        "Anisotropic Deposition",
                                        "Anisotropic Etching",
                                        "Doping (Random Walk CA)"};
    if (type < 0 || type > LastProcessType)
        return QStringLiteral("Unknown process");
    return QLatin1String(names[type]);
}

QString resultMessage(int code)
{
    switch (code) {
    case Success:
        return QStringLiteral("No error, process was run successfully.");
    case MissingParameter:
        return QStringLiteral("A required parameter was not found. Check input list.");
    case InvalidValue:
        return QStringLiteral("Value for a required parameter is invalid. Check input list.");
    case NotImplemented:
        return QStringLiteral("Process is not implemented. Remove process from the list.");
    case OutOfMemory:
        return QStringLiteral("Not enough memory to run this process on the cell volume.");
    case Stopped:
        return QStringLiteral("The process was stopped before its end.");
    default:
        return QStringLiteral("Unknown process. Remove process from the list.");
    }
}

QString kindName(ParameterKind kind)
{
    switch (kind) {
    case K::Bool:
        return QStringLiteral("bool");
    case K::Int:
        return QStringLiteral("int");
    case K::UInt:
        return QStringLiteral("uint");
    case K::Float:
        return QStringLiteral("float");
    case K::Double:
        return QStringLiteral("double");
    case K::String:
        return QStringLiteral("QString");
    case K::Color:
        return QStringLiteral("QColor");
    case K::Mask:
        return QStringLiteral("vector");
    case K::Vector3D:
        return QStringLiteral("Util::Vector3D");
    }
    return QString();
}

QList<ParameterDefinition> parameterDefinitions(int type)
{
    QList<ParameterDefinition> definitions = unsortedDefinitions(type);
    // The list view and the files order parameters by name, as the step's map does.
    std::sort(definitions.begin(), definitions.end(),
              [](const ParameterDefinition &a, const ParameterDefinition &b) { return a.name < b.name; });
    return definitions;
}

QStringList materialBases(int type)
{
    QStringList bases;
    for (const ParameterDefinition &definition : unsortedDefinitions(type)) {
        if (definition.name.endsWith(QLatin1String("_Id")))
            bases << definition.name.left(definition.name.size() - 3);
    }
    return bases;
}

QList<QPair<QString, int>> addableProcesses()
{
    return {{QStringLiteral("Anisotropic Deposition"), 17},
            {QStringLiteral("Anisotropic Etching"), 18},
            {QStringLiteral("Create Substrate"), 11},
            {QStringLiteral("CVD"), 4},
            {QStringLiteral("Doping"), 8},
            {QStringLiteral("Electroplating"), 7},
            {QStringLiteral("Ion Implantation"), 14},
            {QStringLiteral("Isotropic Etching"), 5},
            {QStringLiteral("Isotropic Deposition"), 16},
            {QStringLiteral("Moore Deposition"), 2},
            {QStringLiteral("Moore Etching"), 3},
            {QStringLiteral("Photolithography"), 0},
            {QStringLiteral("Planarization"), 6},
            {QStringLiteral("Pour Material"), 9},
            {QStringLiteral("Random Walk Doping"), 19},
            {QStringLiteral("PVD"), 12},
            {QStringLiteral("RIE"), 13},
            {QStringLiteral("Save Image"), 10},
            {QStringLiteral("Si Wet Etching"), 1},
            {QStringLiteral("Thermal Oxidation"), 15}};
}

uint32_t compatibleProcessId(int type)
{
    switch (type) {
    case AnisotropicDeposition:
        return 16;
    case AnisotropicEtching:
        return 17;
    case Cvd:
        return 3;
    case Doping:
        return 13;
    case IonImplantation:
        return 15;
    case IsotropicDeposition:
        return 18;
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
    if (step.getProcessType() == SimpleRie && parameters.contains(QStringLiteral("EtchDirectionValue"))) {
        const int value = parameters.value(QStringLiteral("EtchDirectionValue")).toInt();
        QStringList parts;
        if (value & 2)
            parts << QStringLiteral("Bottom");
        if (value & 1)
            parts << QStringLiteral("Top");
        step.setParameterValue(QStringLiteral("Etch Direction"), parts.join(QStringLiteral(" and ")));
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
