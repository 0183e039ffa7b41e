#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Etching of one material whose sideways depth is the vertical one times a horizontal ratio.
class AnisotropicFilmEtchingOperation : public UndoableProcessOperation {
public:
    explicit AnisotropicFilmEtchingOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    void setDepth(double depth);
    void setRatio(double ratio);
    uint32_t material() const { return m_material; }
    float depth() const { return m_depth; }
    float ratio() const { return m_ratio; }

    static void setObserver(const Util::ObserverPtr &observer);

protected:
    bool hasOptions() const override { return m_materialSet && m_depthSet && m_ratioSet; }
    Util::ObserverPtr optionsObserver() const override;
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return m_material == 1; }

private:
    uint32_t m_material = 0;
    float m_depth = 0.0f;
    float m_ratio = 0.0f;
    bool m_materialSet = false;
    bool m_depthSet = false;
    bool m_ratioSet = false;
};

} // namespace Operations
} // namespace Core
