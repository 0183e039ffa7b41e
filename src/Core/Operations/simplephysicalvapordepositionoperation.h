#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Physical vapour deposition: a film that grows only from surfaces facing up, facing down or both.
class SimplePhysicalVaporDepositionOperation : public UndoableProcessOperation {
public:
    explicit SimplePhysicalVaporDepositionOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    void setThickness(double thickness);
    void setRatio(double ratio);
    /// 1 on top, 2 on bottom, 3 on top and bottom.
    void setSide(uint32_t side);
    uint32_t material() const { return m_material; }
    float thickness() const { return m_thickness; }
    float ratio() const { return m_ratio; }
    uint32_t side() const { return m_side; }

    static void setObserver(const Util::ObserverPtr &observer);

protected:
    bool hasOptions() const override { return m_thicknessSet && m_ratioSet && m_materialSet && m_sideSet; }
    Util::ObserverPtr optionsObserver() const override;
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return m_material == 1; }

private:
    uint32_t m_material = 0;
    float m_thickness = 0.0f;
    float m_ratio = 0.0f;
    uint32_t m_side = 1;
    bool m_materialSet = false;
    bool m_thicknessSet = false;
    bool m_ratioSet = false;
    bool m_sideSet = false;
};

} // namespace Operations
} // namespace Core
