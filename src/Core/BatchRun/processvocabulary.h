#pragma once

#include "Core/Processes/parameterdefinition.h"
#include "Core/Processes/processrun.h"
#include "Core/Processes/processstep.h"
#include "Core/Processes/processtype.h"
#include "Model/Materials/material.h"

#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>

namespace Core {
namespace BatchRun {

/// The words of process lists: type codes and their names, the parameters each step type
/// carries, and the result codes of the runner. Processes with a descriptor
/// (Core/Processes/processregistry.h) are read from it; the others are still spelled here.

// The type codes as the numbers steps carry (Processes::ProcessStep::getProcessType).
constexpr int Photolithography = int(Processes::ProcessType::Photolithography);
constexpr int SiWetEtching = int(Processes::ProcessType::SiWetEtching);
constexpr int MooreDeposition = int(Processes::ProcessType::MooreDeposition);
constexpr int MooreEtching = int(Processes::ProcessType::MooreEtching);
constexpr int Cvd = int(Processes::ProcessType::Cvd);
constexpr int IsotropicEtching = int(Processes::ProcessType::IsotropicEtching);
constexpr int Planarization = int(Processes::ProcessType::Planarization);
constexpr int Electroplating = int(Processes::ProcessType::Electroplating);
constexpr int Doping = int(Processes::ProcessType::Doping);
constexpr int SpinCoating = int(Processes::ProcessType::SpinCoating);
constexpr int SaveImage = int(Processes::ProcessType::SaveImage);
constexpr int CreateSubstrate = int(Processes::ProcessType::CreateSubstrate);
constexpr int Pvd = int(Processes::ProcessType::Pvd);
constexpr int SimpleRie = int(Processes::ProcessType::SimpleRie);
constexpr int IonImplantation = int(Processes::ProcessType::IonImplantation);
constexpr int SiOxidation = int(Processes::ProcessType::SiOxidation);
constexpr int IsotropicDeposition = int(Processes::ProcessType::IsotropicDeposition);
constexpr int AnisotropicDeposition = int(Processes::ProcessType::AnisotropicDeposition);
constexpr int AnisotropicEtching = int(Processes::ProcessType::AnisotropicEtching);
constexpr int RandomWalkDoping = int(Processes::ProcessType::RandomWalkDoping);
constexpr int LineOfSightDeposition = int(Processes::ProcessType::LineOfSightDeposition);
constexpr int LineOfSightEtching = int(Processes::ProcessType::LineOfSightEtching);
constexpr int BoschEtching = int(Processes::ProcessType::BoschEtching);
constexpr int Measure = int(Processes::ProcessType::Measure);
constexpr int LastProcessType = int(Processes::lastProcessType);

using Processes::InvalidValue;
using Processes::MissingParameter;
using Processes::NotImplemented;
using Processes::OutOfMemory;
using Processes::ResultCode;
using Processes::resultMessage;
using Processes::Stopped;
using Processes::Success;
using Processes::UnknownProcess;

using Processes::kindName;
using Processes::ParameterDefinition;
using Processes::ParameterKind;
using Processes::Shown;

/// The name shown in the list view; "Unknown process" for any other code.
QString displayName(int processType);

/// Every parameter of a step type in name order, material triples expanded; empty for codes
/// without a process.
QList<ParameterDefinition> parameterDefinitions(int processType);
/// The material bases of a step type ("Material", "Conducting Material", ...).
QStringList materialBases(int processType);
/// The entries of the "add process" choice: text and type code, in the order the dialog shows them.
QList<QPair<QString, int>> addableProcesses();
/// The catalogue process whose compatible materials a step type offers; 0 when it has none.
uint32_t compatibleProcessId(int processType);

/// Stores a material as its three parameters: base + "_Id" (uint), base (name), base + "_Color".
void setMaterialParameters(Processes::ProcessStep &step, const QString &base,
                           const Model::Materials::Material &material, bool idShown = false);
/// Fills the parameters that are derived from others: the name and colour of every material from
/// its identifier, and the texts of the step's process (such as the "Deposit On" text of PVD from
/// "DepositOn").
void completeDerivedParameters(Processes::ProcessStep &step);
/// Sets the visibility of every parameter of the step from its mode (box or sphere, time or
/// thickness), as it is when a step is added.
void applyDefaultVisibility(Processes::ProcessStep &step);

} // namespace BatchRun
} // namespace Core
