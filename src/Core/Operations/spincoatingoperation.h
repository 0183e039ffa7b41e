#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// "Pour Material": fills every empty cell below the deposition height with one material. Not undoable.
class SpinCoatingOperation : public ProcessOperation {
public:
    explicit SpinCoatingOperation(Workspace &workspace);

    static void setObserver(const Util::ObserverPtr &observer) { s_observer = observer; }

    void setMaterial(uint32_t material);
    void setDepositionHeight(uint32_t height);
    uint32_t material() const { return m_material; }
    uint32_t depositionHeight() const { return m_height; }
    /// The selected volume's nz, which bounds the dialog; 0 before a volume is selected.
    uint32_t volumeSizeZ() const;

protected:
    bool hasOptions() const override { return m_materialSet && m_heightSet; }
    Util::ObserverPtr optionsObserver() const override { return s_observer; }
    void run(Model::Automaton::TotalVolume &volume) override;

private:
    inline static Util::ObserverPtr s_observer;
    uint32_t m_material = 0;
    uint32_t m_height = 0;
    bool m_materialSet = false;
    bool m_heightSet = false;
};

} // namespace Operations
} // namespace Core
