#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Etching of one material whose sideways depth is the vertical one times a horizontal ratio.
class AnisotropicFilmEtchingOperation : public UndoableProcessOperation {
public:
    explicit AnisotropicFilmEtchingOperation(Workspace &workspace);

    void setMaterial(uint32_t material) { m_material.set(material); }
    void setDepth(double depth) { m_depth.set(static_cast<float>(depth)); }
    void setRatio(double ratio) { m_ratio.set(static_cast<float>(ratio)); }
    uint32_t material() const { return m_material.value(); }
    float depth() const { return m_depth.value(); }
    float ratio() const { return m_ratio.value(); }

protected:
    bool hasOptions() const override { return m_material.isSet() && m_depth.isSet() && m_ratio.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return material() == 1; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<float> m_depth;
    ProcessOption<float> m_ratio;
};

} // namespace Operations
} // namespace Core
