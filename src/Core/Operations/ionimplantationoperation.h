#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Ion implantation at a depth with a vertical spread, then annealing.
class IonImplantationOperation : public UndoableProcessOperation {
public:
    explicit IonImplantationOperation(Workspace &workspace);

    void setMaterial(uint32_t material) { m_material.set(material); }
    void setDepth(double depth) { m_depth.set(static_cast<float>(depth)); }
    void setSpread(double spread) { m_spread.set(static_cast<float>(spread)); }
    void setAnnealingDistance(double distance) { m_annealing.set(static_cast<float>(distance)); }
    uint32_t material() const { return m_material.value(); }
    float depth() const { return m_depth.value(); }
    float spread() const { return m_spread.value(); }
    float annealingDistance() const { return m_annealing.value(); }

    /// With nothing that can be doped, says so and cancels instead of running.
    void execute() override;
    /// Ends with ": Operation Canceled!".
    void cancel() override;

protected:
    bool hasOptions() const override
    {
        return m_material.isSet() && m_depth.isSet() && m_spread.isSet() && m_annealing.isSet();
    }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return material() == 1; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<float> m_depth;
    ProcessOption<float> m_spread;
    ProcessOption<float> m_annealing;
};

} // namespace Operations
} // namespace Core
