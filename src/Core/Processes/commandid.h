#pragma once

#include <cstdint>

namespace Core {
namespace Processes {

/// The commands of the window's menus, as the operation factory knows them. The numbers are the
/// texts the menu actions carry; 0, 5, 21, 25, 38, 39 and everything from 43 to 999 and above 1000 are
/// not used.
enum class CommandId : uint32_t {
    CopyObjects = 1,
    CreateSubstrate = 2,
    IonImplantation = 3,
    DeleteObjects = 4,
    ChangeVisualization = 6,
    MoveObjects = 7,
    ExtractFilm = 8,
    SaveDocument = 9,
    SaveDocumentAs = 10,
    OpenDocument = 11,
    GlueVolumes = 12,
    IsotropicDeposition = 13,
    IsotropicEtching = 14,
    Electroplating = 15,
    ChangeCutPlanes = 16,
    Doping = 17,
    MooreDeposition = 18,
    MooreEtching = 19,
    Photolithography = 20,
    Planarization = 22,
    SpinCoating = 23,
    SelectVolumes = 24,
    SiOxidation = 26,
    AnisotropicDeposition = 27,
    BondCountingWetEtch = 28,
    ContinuousWetEtch = 29,
    SimpleRie = 30,
    Pvd = 31,
    AnisotropicEtching = 32,
    Cvd = 33,
    MaskedCut = 34,
    RemoveCuts = 35,
    RandomWalkDoping = 36,
    ExportData = 37,
    LineOfSightDeposition = 40,
    LineOfSightEtching = 41,
    BoschEtching = 42,
    ExtractModel = 1000,
};

} // namespace Processes
} // namespace Core
