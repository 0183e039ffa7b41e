#pragma once

#include <QString>

#include <optional>

namespace Core {
namespace Operations {

/// An etch bath for silicon: what the published data give for an etchant at a concentration and a
/// temperature, and how long the calibrated continuous wet etch runs for a time in it.
///
/// KOH follows the rate law of H. Seidel et al. (J. Electrochem. Soc. 137 (1990) 3612),
/// R = k0 [H2O]^4 [KOH]^(1/4) exp(-Ea / kT), with the molarities from the solution's density, for
/// (100) and (110); each plane is anchored at 30 wt %, 70 degC to the rates of K. Sato et al.
/// (Sensors and Actuators A 64 (1998) 87), and (111) and (311), for which Seidel gives no
/// constants, follow the (100) law. TMAH is refused: no citable rate table is held for it.
class Etchant {
public:
    /// um/min.
    struct Rates {
        double r100 = 0.0;
        double r110 = 0.0;
        double r111 = 0.0;
        double r311 = 0.0;
    };

    /// The etchant's rates at `percent` wt % and `celsius` degC; nothing, with the reason in
    /// `refusal`, for an etchant without data or a condition outside the data's range.
    static std::optional<Rates> rates(const QString &etchant, double percent, double celsius, QString *refusal);

    /// The density of aqueous KOH in g/cm^3 (linear between the table's points); 0 outside it.
    static double kohDensity(double percent);
    /// Seidel's law for (100) (`plane110` false) or (110), in um/min.
    static double seidelRate(bool plane110, double percent, double celsius);

    /// The steps of the calibrated continuous wet etch in which a flat (100) surface recedes by
    /// `r100 * minutes` um, with cells of `cellSize` um: a quarter cell per stepsPer100Layer steps.
    static double steps(double r100, double minutes, double cellSize);

    static constexpr const char *koh = "KOH";
    static constexpr const char *tmah = "TMAH";
};

} // namespace Operations
} // namespace Core
