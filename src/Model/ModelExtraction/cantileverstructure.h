#pragma once

#include "Model/Materials/material.h"
#include "Util/vector3d.h"
#include "istructure.h"
#include "rectangularcuboidenvelope.h"

#include <functional>
#include <vector>

namespace Model {
namespace ModelExtraction {

/// Cantilever beams as a lumped model in the force-current analogy: each beam is a capacitor whose
/// value is its effective mass (33/140 of its mass) and an inductor whose value is its compliance
/// (1 / spring constant 3 E I / L^3), both between the beam's node and ground. Width and length are
/// the shorter and the longer horizontal extent, the thickness the vertical one.
class CantileverStructure : public IStructure {
public:
    using MaterialLookup = std::function<Model::Materials::Material(uint32_t)>;

    /// Physical values of one beam, in SI units.
    struct BeamValues {
        double lengthM = 0.0;
        double widthM = 0.0;
        double thicknessM = 0.0;
        double density = 0.0;
        double youngModulus = 0.0;
        double mass = 0.0;          ///< the beam's whole mass, kg
        double effectiveMass = 0.0; ///< 33/140 of it, kg
        double stiffness = 0.0;     ///< N/m
    };

    /// Metres per scene unit unless set otherwise: the edge of a cube of 2.00129819772e-17 m^3,
    /// about 2.7146 micrometres, so that a cell of edge 1 has that volume.
    static double defaultLengthPerUnit();
    /// The cell edges a netlist may be worked out with, in micrometres: beams of a volume that fits
    /// in memory then have masses and compliances far inside the range of double numbers.
    static constexpr double smallestCellEdgeUm = 1.0e-4;
    static constexpr double largestCellEdgeUm = 1.0e6;

    /// `cellSize` is the edge of one cell along x, y and z in scene units (the volume's cell sizes).
    /// Densities and Young's moduli come from the material catalogue unless `lookup` is given.
    CantileverStructure(const std::vector<EnvelopePtr> &beams, const Util::Vector3D &cellSize,
                        const MaterialLookup &lookup = MaterialLookup());

    const std::vector<EnvelopePtr> &beams() const { return m_beams; }
    /// Metres per scene unit: a length of n cells along an axis is n x cell size x this.
    double lengthPerUnit() const { return m_lengthPerUnit; }
    void setLengthPerUnit(double metres) { m_lengthPerUnit = metres; }
    /// The edge of one cell along axis 0, 1 or 2 in metres.
    double cellEdge(unsigned axis) const;

    /// The values of a beam; false with a reason when its material has no usable density or modulus.
    bool beamValues(const RectangularCuboidEnvelope &beam, BeamValues &values, QString *error = nullptr) const;

    /// "Model extracted by Cellforge", a "c" and an "l" line per beam (node = beam number), ".end ".
    /// Empty with a reason when a value is not a finite number above 0 (a cell edge far too small
    /// or too large for the beam, a material with extreme constants): such a netlist means nothing.
    QString netlist(QString *error = nullptr) const override;

private:
    std::vector<EnvelopePtr> m_beams;
    Util::Vector3D m_cellSize;
    double m_lengthPerUnit;
    MaterialLookup m_lookup;
};

} // namespace ModelExtraction
} // namespace Model
