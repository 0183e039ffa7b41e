#pragma once

namespace Core {
namespace Processes {

/// The process of a list step. Process lists and documents store these numbers: a value never
/// changes meaning, and a new process takes the next free number.
enum class ProcessType : int {
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
    LineOfSightDeposition = 20,
    LineOfSightEtching = 21,
    BoschEtching = 22,
    Measure = 23,
};

/// The highest type code in use; codes from 0 to it name a process.
constexpr ProcessType lastProcessType = ProcessType::Measure;

/// Whether a stored number may name a process (codes without a process among them are unknown).
constexpr bool isProcessType(int code) { return code >= 0 && code <= int(lastProcessType); }

} // namespace Processes
} // namespace Core
