#pragma once

namespace Core {
namespace Operations {

/// The published etch rates of silicon and the fitted removal amounts of the calibrated continuous
/// wet etch. The values are written by scripts/fit-etch-rates (etchanttables.cpp), which names
/// their sources.
namespace EtchantTables {

struct DensityPoint {
    double percent; ///< wt %
    double density; ///< g/cm^3
};

/// R = k0 [H2O]^4 [KOH]^(1/4) exp(-Ea / kT), molarities in mol/L.
struct SeidelLaw {
    double k0;         ///< um/h (mol/L)^-4.25
    double activation; ///< eV
};

/// um/min.
struct PlaneRates {
    double r100;
    double r110;
    double r111;
    double r311;
};

struct Range {
    double minimum;
    double maximum;
};

/// The removal amount per step of a surface atom: cap / (1 + exp(beta (E - mu))), at most 1, with
/// the bond energy E = n1b + ws n1s + w2 (n2b + ws n2s) of its first (1) and second (2) neighbours
/// on the surface (s) and in the bulk (b).
struct ClassFit {
    double ws;
    double w2;
    double beta;
    double mu;
    double cap;
};

extern const DensityPoint kohDensity[];
extern const int kohDensityCount;
extern const SeidelLaw seidel100;
extern const SeidelLaw seidel110;
extern const PlaneRates sato30at70;
extern const Range kohConcentration;
extern const Range kohTemperature;
extern const ClassFit classFit;
/// Steps in which a flat (100) surface loses one atomic layer (a quarter cell).
extern const int stepsPer100Layer;

} // namespace EtchantTables
} // namespace Operations
} // namespace Core
