#include "cantileverstructure.h"

#include "Model/Materials/materialfactory.h"

#include <cmath>
#include <utility>

namespace Model {
namespace ModelExtraction {

namespace {
// The volume of one cell of edge 1 in cubic metres.
constexpr double unitCellVolume = 2.00129819772e-17;
} // namespace

double CantileverStructure::defaultLengthPerUnit() { return std::cbrt(unitCellVolume); }

CantileverStructure::CantileverStructure(const std::vector<EnvelopePtr> &beams, const Util::Vector3D &cellSize,
                                         const MaterialLookup &lookup)
    : m_beams(beams)
    , m_cellSize(cellSize)
    , m_lengthPerUnit(defaultLengthPerUnit())
    , m_lookup(lookup)
{
    if (!m_lookup)
        m_lookup = [](uint32_t id) { return Model::Materials::MaterialFactory::instance()->getMaterial(id); };
}

double CantileverStructure::cellEdge(unsigned axis) const { return m_cellSize[axis] * m_lengthPerUnit; }

bool CantileverStructure::beamValues(const RectangularCuboidEnvelope &beam, BeamValues &v, QString *error) const
{
    const Model::Materials::Material material = m_lookup(beam.material);
    v.density = material.density();
    v.youngModulus = material.youngModulus();
    if (!(v.density > 0.0) || !(v.youngModulus > 0.0) || !std::isfinite(v.density) || !std::isfinite(v.youngModulus)) {
        if (error)
            *error = QStringLiteral("The material %1 (identifier %2) has no positive density and Young's modulus "
                                    "in the material catalogue.")
                         .arg(material.id() == 0 ? QStringLiteral("of the beam") : material.name())
                         .arg(beam.material);
        return false;
    }
    // Lengths in metres on each axis, in floating point: no product of cell counts can overflow.
    const double lx = beam.sx * cellEdge(0);
    const double ly = beam.sy * cellEdge(1);
    v.thicknessM = beam.sz * cellEdge(2);
    v.lengthM = std::max(lx, ly);
    v.widthM = std::min(lx, ly);
    v.mass = lx * ly * v.thicknessM * v.density;
    v.effectiveMass = v.mass * 33.0 / 140.0;
    const double inertia = v.widthM * v.thicknessM * v.thicknessM * v.thicknessM / 12.0;
    v.stiffness = 3.0 * v.youngModulus * inertia / (v.lengthM * v.lengthM * v.lengthM);
    return true;
}

QString CantileverStructure::netlist(QString *error) const
{
    QString text = QStringLiteral("Model extracted by Cellforge\n");
    int node = 0;
    for (const auto &beam : m_beams) {
        ++node;
        BeamValues v;
        QString reason;
        if (!beamValues(*beam, v, &reason)) {
            if (error)
                *error = QStringLiteral("Beam %1: %2").arg(node).arg(reason);
            return QString();
        }
        const double compliance = 1.0 / v.stiffness;
        // A value that underflows to 0 or overflows to infinity would be written as "0", "inf" or "nan".
        for (const auto &value :
             {std::make_pair(v.effectiveMass, "effective mass"), std::make_pair(compliance, "compliance")}) {
            if (!(value.first > 0.0) || !std::isfinite(value.first)) {
                if (error)
                    *error = QStringLiteral("Beam %1: its %2 comes to %3, not a finite number above 0 (cell "
                                            "edge %4 m, density %5 kg/m^3, Young's modulus %6 Pa).")
                                 .arg(node)
                                 .arg(QLatin1String(value.second))
                                 .arg(value.first, 0, 'g', 6)
                                 .arg(cellEdge(0), 0, 'g', 6)
                                 .arg(v.density, 0, 'g', 6)
                                 .arg(v.youngModulus, 0, 'g', 6);
                return QString();
            }
        }
        text += QStringLiteral("c%1 %2 0 %3 \n").arg(node).arg(node).arg(v.effectiveMass, 0, 'g', 6);
        text += QStringLiteral("l%1 %2 0 %3 \n").arg(node).arg(node).arg(compliance, 0, 'g', 6);
    }
    text += QStringLiteral(".end \n");
    return text;
}

} // namespace ModelExtraction
} // namespace Model
