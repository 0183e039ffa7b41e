#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Simple doping from the surface to a depth.
class DopingOperation : public UndoableProcessOperation {
public:
    explicit DopingOperation(Workspace &workspace);

    void setMaterial(uint32_t material) { m_material.set(material); }
    void setDepth(double depth) { m_depth.set(static_cast<float>(depth)); }
    uint32_t material() const { return m_material.value(); }
    float depth() const { return m_depth.value(); }

    /// With nothing that can be doped, says so and cancels instead of running.
    void execute() override;

protected:
    bool hasOptions() const override { return m_material.isSet() && m_depth.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return material() == 1; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<float> m_depth;
};

} // namespace Operations
} // namespace Core
