#pragma once

#include "Model/Materials/material.h"
#include "processdata.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>

namespace Core {
namespace BatchRun {

/// The words of process lists: type codes and their names, the parameters each step type
/// carries, and the result codes of the runner.

enum ProcessType {
    Photolithography = 0,
    SiWetEtching = 1,
    MooreDeposition = 2,
    MooreEtching = 3,
    Cvd = 4,
    IsotropicEtching = 5,
    Planarization = 6,
    Electroplating = 7,
    Doping = 8,
    SpinCoating = 9,
    SaveImage = 10,
    CreateSubstrate = 11,
    Pvd = 12,
    SimpleRie = 13,
    IonImplantation = 14,
    SiOxidation = 15,
    IsotropicDeposition = 16,
    AnisotropicDeposition = 17,
    AnisotropicEtching = 18,
    RandomWalkDoping = 19,
    LastProcessType = 19
};

/// OutOfMemory and Stopped are this program's own: a step that ran out of memory is not a fault
/// of the list, and a step stopped at the user's request did not fail.
enum ResultCode {
    Success = 0,
    MissingParameter = 1,
    InvalidValue = 2,
    UnknownProcess = 3,
    NotImplemented = 4,
    OutOfMemory = 5,
    Stopped = 6
};

/// Kinds of parameter values, named in files as "bool", "int", "uint", "float", "double",
/// "QString", "QColor", "vector" (a mask bitmap, one byte 0 or 1 per cell) and "Util::Vector3D".
enum class ParameterKind { Bool, Int, UInt, Float, Double, String, Color, Mask, Vector3D };

/// When a parameter is shown in the list view. Create Substrate and Si Oxidation show only the
/// fields of the chosen mode.
enum class Shown { Always, Never, WhenBox, WhenSphere, WhenByTime, WhenByThickness };

struct ParameterDefinition {
    QString name;
    ParameterKind kind;
    Shown shown;
};

/// The name shown in the list view; "Unknown process" for any other code.
QString displayName(int processType);
/// The text of a result code.
QString resultMessage(int code);
/// The file name of a kind ("uint", "vector", ...).
QString kindName(ParameterKind kind);

/// Every parameter of a step type in name order, material triples expanded; empty for codes
/// outside 0..19.
QList<ParameterDefinition> parameterDefinitions(int processType);
/// The material bases of a step type ("Material", "Conducting Material", ...).
QStringList materialBases(int processType);
/// The entries of the "add process" choice: text and type code, in the order the dialog shows them.
QList<QPair<QString, int>> addableProcesses();
/// The catalogue process whose compatible materials a step type offers; 0 when it has none.
uint32_t compatibleProcessId(int processType);

/// Stores a material as its three parameters: base + "_Id" (uint), base (name), base + "_Color".
void setMaterialParameters(Ui::ProcessData &step, const QString &base, const Model::Materials::Material &material,
                           bool idShown = false);
/// Fills the parameters that are derived from others: the "Deposit On" text of PVD from
/// "DepositOn", the "Etch Direction" text of RIE from "EtchDirectionValue", and the name and
/// colour of every material from its identifier.
void completeDerivedParameters(Ui::ProcessData &step);
/// Sets the visibility of every parameter of the step from its mode (box or sphere, time or
/// thickness), as it is when a step is added.
void applyDefaultVisibility(Ui::ProcessData &step);

} // namespace BatchRun
} // namespace Core
