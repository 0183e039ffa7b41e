#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Isotropic deposition of a conformal film; also serves as "CVD", which differs only in its
/// name and in the process whose materials the dialog offers.
class IsotropicFilmDepositionOperation : public UndoableProcessOperation {
public:
    explicit IsotropicFilmDepositionOperation(Workspace &workspace,
                                              const QString &name = QStringLiteral("Isotropic Deposition"));

    void setMaterial(uint32_t material);
    void setThickness(double thickness);
    uint32_t material() const { return m_material; }
    float thickness() const { return m_thickness; }

    /// The options observer shared by every operation of this class.
    static void setObserver(const Util::ObserverPtr &observer);

protected:
    bool hasOptions() const override { return m_materialSet && m_thicknessSet; }
    Util::ObserverPtr optionsObserver() const override;
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override;

private:
    uint32_t m_material = 0;
    float m_thickness = 0.0f;
    bool m_materialSet = false;
    bool m_thicknessSet = false;
};

} // namespace Operations
} // namespace Core
