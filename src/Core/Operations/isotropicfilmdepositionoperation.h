#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Isotropic deposition of a conformal film; also serves as "CVD", which differs only in its
/// name and in the process whose materials the dialog offers.
class IsotropicFilmDepositionOperation : public UndoableProcessOperation {
public:
    explicit IsotropicFilmDepositionOperation(Workspace &workspace,
                                              const QString &name = QStringLiteral("Isotropic Deposition"));

    void setMaterial(uint32_t material) { m_material.set(material); }
    void setThickness(double thickness) { m_thickness.set(static_cast<float>(thickness)); }
    uint32_t material() const { return m_material.value(); }
    float thickness() const { return m_thickness.value(); }

protected:
    bool hasOptions() const override { return m_material.isSet() && m_thickness.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return material() == 1; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<float> m_thickness;
};

} // namespace Operations
} // namespace Core
