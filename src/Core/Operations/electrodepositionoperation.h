#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// Electroplating: a film that grows only from the conducting material.
class ElectrodepositionOperation : public UndoableProcessOperation {
public:
    explicit ElectrodepositionOperation(Workspace &workspace);

    void setDepositedMaterial(uint32_t material) { m_depositedMaterial.set(material); }
    void setConductingMaterial(uint32_t material) { m_conductingMaterial.set(material); }
    void setThickness(double thickness) { m_thickness.set(static_cast<float>(thickness)); }
    uint32_t depositedMaterial() const { return m_depositedMaterial.value(); }
    uint32_t conductingMaterial() const { return m_conductingMaterial.value(); }
    float thickness() const { return m_thickness.value(); }

protected:
    bool hasOptions() const override
    {
        return m_thickness.isSet() && m_depositedMaterial.isSet() && m_conductingMaterial.isSet();
    }
    void run(Model::Automaton::TotalVolume &volume) override;

private:
    ProcessOption<uint32_t> m_depositedMaterial;
    ProcessOption<uint32_t> m_conductingMaterial;
    ProcessOption<float> m_thickness;
};

} // namespace Operations
} // namespace Core
