// Written by scripts/fit-etch-rates from the published data it names: do not edit by hand.
#include "Core/Engines/Lattice/etchanttables.h"

namespace Core {
namespace Operations {
namespace EtchantTables {

// clang-format off
// Density of aqueous KOH at 18 degC (wt %, g/cm^3), physics department of Cracow University of
// Technology, http://www.fizyka.pk.edu.pl/tabele/GesRoztw.htm.
const DensityPoint kohDensity[8] = {
    {5, 1.045},
    {10, 1.091},
    {15, 1.139},
    {20, 1.188},
    {25, 1.238},
    {30, 1.29},
    {35, 1.344},
    {40, 1.4},
};
const int kohDensityCount = 8;

// H. Seidel et al., J. Electrochem. Soc. 137 (1990) 3612: k0 in um/h (mol/L)^-4.25, Ea in eV.
const SeidelLaw seidel100 = {2480, 0.595};
const SeidelLaw seidel110 = {4500, 0.6};

// K. Sato et al., Sensors and Actuators A 64 (1998) 87: um/min in 30 wt % KOH at 70 degC.
const PlaneRates sato30at70 = {0.797, 1.455, 0.005, 1.436};
const Range kohConcentration = {10, 40};
const Range kohTemperature = {20, 100};

// The fitted removal amounts per step: f = cap / (1 + exp(beta (E - mu))), at most 1, with
// E = n1b + ws n1s + w2 (n2b + ws n2s). Flat surfaces then lose one layer in
// (100): 4, (110): 3, {111}: 1444 + 1 steps; (311) at 1.56 times (100).
const ClassFit classFit = {-0.15, 0, 7, 2.075, 0.45};
const int stepsPer100Layer = 4;
// clang-format on

} // namespace EtchantTables
} // namespace Operations
} // namespace Core
