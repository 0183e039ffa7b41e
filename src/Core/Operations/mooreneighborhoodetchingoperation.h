#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Etches one material layer by layer from wherever it touches empty space (undoable).
class MooreNeighborhoodEtchingOperation : public UndoableProcessOperation {
public:
    explicit MooreNeighborhoodEtchingOperation(Workspace &workspace);

    /// The class-wide observer that runs the options dialog; the factory replaces it for each new operation.
    static void setObserver(const Util::ObserverPtr &observer) { s_observer = observer; }

    void setMaterial(uint32_t material);
    void setLayerCount(uint32_t count);
    uint32_t material() const { return m_material; }
    uint32_t layerCount() const { return m_layerCount; }

protected:
    bool hasOptions() const override { return m_materialSet && m_countSet; }
    Util::ObserverPtr optionsObserver() const override { return s_observer; }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return true; }

private:
    inline static Util::ObserverPtr s_observer;
    uint32_t m_material = 0;
    uint32_t m_layerCount = 0;
    bool m_materialSet = false;
    bool m_countSet = false;
};

} // namespace Operations
} // namespace Core
