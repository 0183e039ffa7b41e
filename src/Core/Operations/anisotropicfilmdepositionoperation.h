#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Conformal deposition whose sideways thickness is the vertical one times a horizontal ratio.
class AnisotropicFilmDepositionOperation : public UndoableProcessOperation {
public:
    explicit AnisotropicFilmDepositionOperation(Workspace &workspace);

    void setMaterial(uint32_t material) { m_material.set(material); }
    void setThickness(double thickness) { m_thickness.set(static_cast<float>(thickness)); }
    void setRatio(double ratio) { m_ratio.set(static_cast<float>(ratio)); }
    uint32_t material() const { return m_material.value(); }
    float thickness() const { return m_thickness.value(); }
    float ratio() const { return m_ratio.value(); }

protected:
    bool hasOptions() const override { return m_material.isSet() && m_thickness.isSet() && m_ratio.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return material() == 1; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<float> m_thickness;
    ProcessOption<float> m_ratio;
};

} // namespace Operations
} // namespace Core
