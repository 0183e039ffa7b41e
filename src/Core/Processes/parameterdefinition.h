#pragma once

#include "Util/valuerange.h"

#include <QList>
#include <QString>

#include <optional>

namespace Core {
namespace Processes {

/// Kinds of parameter values, named in files as "bool", "int", "uint", "float", "double",
/// "QString", "QColor", "vector" (a mask bitmap, one byte 0 or 1 per cell) and "Util::Vector3D".
enum class ParameterKind { Bool, Int, UInt, Float, Double, String, Color, Mask, Vector3D };

/// When a parameter is shown in the list view. Create Substrate and Si Oxidation show only the
/// fields of the chosen mode. Si wet etching has the fields of its bath only in a step with an
/// "Etchant" (WhenEtchant), and "Depth" only in one without (WhenNoEtchant): a step holds the
/// fields of its mode and no others. An optional parameter (a step's own "Random Seed") is shown
/// when the step has it (WhenGiven).
enum class Shown {
    Always,
    Never,
    WhenBox,
    WhenSphere,
    WhenByTime,
    WhenByThickness,
    WhenEtchant,
    WhenNoEtchant,
    WhenGiven
};

/// One parameter of a list step: its name, the kind of its value, when the list view shows it
/// and, for a number, the values it may take (none: those of its kind).
struct ParameterDefinition {
    QString name;
    ParameterKind kind;
    Shown shown;
    std::optional<Util::ValueRange> range = std::nullopt;
};

/// The file name of a kind ("uint", "vector", ...).
QString kindName(ParameterKind kind);
/// The values a kind of number holds (uint 0 to 4294967295, float up to 3.40282e+38, ...); none
/// for the kinds that are not numbers.
std::optional<Util::ValueRange> kindRange(ParameterKind kind);

/// The three parameters of a material: base + "_Id" (uint, shown as `idShown` says), base (its
/// name, shown) and base + "_Color" (hidden).
QList<ParameterDefinition> materialParameters(const QString &base, Shown idShown = Shown::Never);

/// Lengths and ratios that the engines take as float: 0 up to the largest float.
constexpr Util::ValueRange floatLength = Util::ValueRange::notNegative(FLT_MAX, "units");
constexpr Util::ValueRange floatRatio = Util::ValueRange::notNegative(FLT_MAX, "");

} // namespace Processes
} // namespace Core
