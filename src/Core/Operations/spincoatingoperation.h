#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// "Pour Material": fills every empty cell below the deposition height with one material.
class SpinCoatingOperation : public UndoableProcessOperation {
public:
    explicit SpinCoatingOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    void setDepositionHeight(uint32_t height);
    uint32_t material() const { return m_material; }
    uint32_t depositionHeight() const { return m_height; }
    /// The selected volume's nz, which bounds the dialog; 0 before a volume is selected.
    uint32_t volumeSizeZ() const;

protected:
    bool hasOptions() const override { return m_materialSet && m_heightSet; }
    void run(Model::Automaton::TotalVolume &volume) override;

private:
    uint32_t m_material = 0;
    uint32_t m_height = 0;
    bool m_materialSet = false;
    bool m_heightSet = false;
};

} // namespace Operations
} // namespace Core
