#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Physical vapour deposition: a film that grows only from surfaces facing up, facing down or both.
class SimplePhysicalVaporDepositionOperation : public UndoableProcessOperation {
public:
    explicit SimplePhysicalVaporDepositionOperation(Workspace &workspace);

    void setMaterial(uint32_t material) { m_material.set(material); }
    void setThickness(double thickness) { m_thickness.set(static_cast<float>(thickness)); }
    void setRatio(double ratio) { m_ratio.set(static_cast<float>(ratio)); }
    /// 1 on top, 2 on bottom, 3 on top and bottom.
    void setSide(uint32_t side) { m_side.set(side); }
    uint32_t material() const { return m_material.value(); }
    float thickness() const { return m_thickness.value(); }
    float ratio() const { return m_ratio.value(); }
    uint32_t side() const { return m_side.value(); }

protected:
    bool hasOptions() const override
    {
        return m_thickness.isSet() && m_ratio.isSet() && m_material.isSet() && m_side.isSet();
    }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return material() == 1; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<float> m_thickness;
    ProcessOption<float> m_ratio;
    ProcessOption<uint32_t> m_side{1};
};

} // namespace Operations
} // namespace Core
