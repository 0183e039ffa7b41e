#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// The Moore film steps: deposition and etching differ only in their engine and type code, and
/// both report and undo themselves under the same name and snapshot key.
template <class Engine> class MooreNeighborhoodOperation : public UndoableProcessOperation {
public:
    void setMaterial(uint32_t material) { m_material.set(material); }
    void setLayerCount(uint32_t count) { m_layerCount.set(count); }
    uint32_t material() const { return m_material.value(); }
    uint32_t layerCount() const { return m_layerCount.value(); }

protected:
    MooreNeighborhoodOperation(Workspace &workspace, uint32_t typeCode)
        : UndoableProcessOperation(workspace, QStringLiteral("Moore film deposition"), typeCode,
                                   QStringLiteral("MooreFilmDep"))
    {
    }

    bool hasOptions() const override { return m_material.isSet() && m_layerCount.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override
    {
        Engine engine(volume, material(), layerCount());
        engine.setRunControl(this->runControl());
        engine.run();
    }
    bool marksLatticeOutOfDate() const override { return true; }

private:
    ProcessOption<uint32_t> m_material;
    ProcessOption<uint32_t> m_layerCount;
};

} // namespace Operations
} // namespace Core
