#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Strictly vertical etching of one material from the top, from below or both.
class SimpleReactiveIonEtchingOperation : public UndoableProcessOperation {
public:
    explicit SimpleReactiveIonEtchingOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    /// In cells; the fraction is dropped when the engine runs.
    void setDepth(double depth);
    /// Each sets or clears its own direction bit (bit 0 from the top, bit 1 from below).
    void setEtchFromTop(bool on);
    void setEtchFromBelow(bool on);
    uint32_t material() const { return m_material; }
    double depth() const { return m_depth; }
    uint8_t direction() const { return m_direction; }

protected:
    bool hasOptions() const override { return m_depthSet && m_materialSet; }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return m_material == 1; }

private:
    uint32_t m_material = 0;
    double m_depth = 0.0;
    uint8_t m_direction = 1;
    bool m_depthSet = false;
    bool m_materialSet = false;
};

} // namespace Operations
} // namespace Core
