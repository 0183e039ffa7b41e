#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Conformal deposition whose sideways thickness is the vertical one times a horizontal ratio.
class AnisotropicFilmDepositionOperation : public UndoableProcessOperation {
public:
    explicit AnisotropicFilmDepositionOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    void setThickness(double thickness);
    void setRatio(double ratio);
    uint32_t material() const { return m_material; }
    float thickness() const { return m_thickness; }
    float ratio() const { return m_ratio; }

    static void setObserver(const Util::ObserverPtr &observer);

protected:
    bool hasOptions() const override { return m_materialSet && m_thicknessSet && m_ratioSet; }
    Util::ObserverPtr optionsObserver() const override;
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return m_material == 1; }

private:
    uint32_t m_material = 0;
    float m_thickness = 0.0f;
    float m_ratio = 0.0f;
    bool m_materialSet = false;
    bool m_thicknessSet = false;
    bool m_ratioSet = false;
};

} // namespace Operations
} // namespace Core
