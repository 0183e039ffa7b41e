#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Electroplating: a film that grows only from the conducting material.
class ElectrodepositionOperation : public UndoableProcessOperation {
public:
    explicit ElectrodepositionOperation(Workspace &workspace);

    void setDepositedMaterial(uint32_t material);
    void setConductingMaterial(uint32_t material);
    void setThickness(double thickness);
    uint32_t depositedMaterial() const { return m_depositedMaterial; }
    uint32_t conductingMaterial() const { return m_conductingMaterial; }
    float thickness() const { return m_thickness; }

    static void setObserver(const Util::ObserverPtr &observer);

protected:
    bool hasOptions() const override { return m_thicknessSet && m_depositedSet && m_conductingSet; }
    Util::ObserverPtr optionsObserver() const override;
    void run(Model::Automaton::TotalVolume &volume) override;

private:
    uint32_t m_depositedMaterial = 0;
    uint32_t m_conductingMaterial = 0;
    float m_thickness = 0.0f;
    bool m_thicknessSet = false;
    bool m_depositedSet = false;
    bool m_conductingSet = false;
};

} // namespace Operations
} // namespace Core
