#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Isotropic etching of one material.
class IsotropicFilmEtchingOperation : public UndoableProcessOperation {
public:
    explicit IsotropicFilmEtchingOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    void setDepth(double depth);
    uint32_t material() const { return m_material; }
    float depth() const { return m_depth; }

    static void setObserver(const Util::ObserverPtr &observer);

protected:
    bool hasOptions() const override { return m_materialSet && m_depthSet; }
    Util::ObserverPtr optionsObserver() const override;
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override;

private:
    uint32_t m_material = 0;
    float m_depth = 0.0f;
    bool m_materialSet = false;
    bool m_depthSet = false;
};

} // namespace Operations
} // namespace Core
