#include "Core/Engines/Lattice/etchant.h"

#include "Core/Engines/Lattice/etchanttables.h"

#include <cmath>

namespace Core {
namespace Operations {

namespace {

constexpr double boltzmann = 8.617333262e-5; // eV/K
constexpr double molarMassKoh = 56.1056;     // g/mol
constexpr double molarMassWater = 18.0153;   // g/mol
constexpr double anchorPercent = 30.0;
constexpr double anchorCelsius = 70.0;

QString number(double value) { return QString::number(value, 'g', 6); }

} // namespace

double Etchant::kohDensity(double percent)
{
    using EtchantTables::DensityPoint;
    for (int i = 0; i + 1 < EtchantTables::kohDensityCount; ++i) {
        const DensityPoint &a = EtchantTables::kohDensity[i];
        const DensityPoint &b = EtchantTables::kohDensity[i + 1];
        if (percent >= a.percent && percent <= b.percent)
            return a.density + (b.density - a.density) * (percent - a.percent) / (b.percent - a.percent);
    }
    return 0.0;
}

double Etchant::seidelRate(bool plane110, double percent, double celsius)
{
    const EtchantTables::SeidelLaw &law = plane110 ? EtchantTables::seidel110 : EtchantTables::seidel100;
    const double density = kohDensity(percent); // g/cm^3: 10 percent density is g/L of KOH per wt %
    const double koh = 10.0 * percent * density / molarMassKoh;
    const double water = 10.0 * (100.0 - percent) * density / molarMassWater;
    const double perHour = law.k0 * std::pow(water, 4.0) * std::pow(koh, 0.25) *
                           std::exp(-law.activation / (boltzmann * (celsius + 273.15)));
    return perHour / 60.0;
}

std::optional<Etchant::Rates> Etchant::rates(const QString &etchant, double percent, double celsius, QString *refusal)
{
    using namespace EtchantTables;
    auto refuse = [refusal](const QString &why) {
        if (refusal)
            *refusal = why;
        return std::nullopt;
    };
    if (etchant == QLatin1String(tmah))
        return refuse(QStringLiteral("\"Etchant\" TMAH is refused: this program holds no citable TMAH etch rates; "
                                     "use KOH"));
    if (etchant != QLatin1String(koh))
        return refuse(QStringLiteral("\"Etchant\" must be KOH or TMAH, not \"%1\"").arg(etchant));
    if (!(percent >= kohConcentration.minimum && percent <= kohConcentration.maximum))
        return refuse(QStringLiteral("\"Concentration\" of %1 is out of range: KOH data cover %2 to %3 wt %")
                          .arg(number(percent), number(kohConcentration.minimum), number(kohConcentration.maximum)));
    if (!(celsius >= kohTemperature.minimum && celsius <= kohTemperature.maximum))
        return refuse(QStringLiteral("\"Temperature\" of %1 is out of range: KOH data cover %2 to %3 \u00b0C")
                          .arg(number(celsius), number(kohTemperature.minimum), number(kohTemperature.maximum)));
    const double law100 = seidelRate(false, percent, celsius) / seidelRate(false, anchorPercent, anchorCelsius);
    const double law110 = seidelRate(true, percent, celsius) / seidelRate(true, anchorPercent, anchorCelsius);
    Rates r;
    r.r100 = sato30at70.r100 * law100;
    r.r110 = sato30at70.r110 * law110;
    r.r111 = sato30at70.r111 * law100;
    r.r311 = sato30at70.r311 * law100;
    return r;
}

double Etchant::steps(double r100, double minutes, double cellSize)
{
    if (!(cellSize > 0.0))
        return 0.0;
    return r100 * minutes / cellSize / 0.25 * EtchantTables::stepsPer100Layer;
}

} // namespace Operations
} // namespace Core
