#include "simplereactiveionetchingoperation.h"

#include "simplereactiveionetching.h"

#include <limits>

namespace Core {
namespace Operations {

SimpleReactiveIonEtchingOperation::SimpleReactiveIonEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Simple RIE"), 30, QStringLiteral("SimpleRIE"))
{
}

void SimpleReactiveIonEtchingOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void SimpleReactiveIonEtchingOperation::setDepth(double depth)
{
    m_depth = depth;
    m_depthSet = true;
}

void SimpleReactiveIonEtchingOperation::setEtchFromTop(bool on)
{
    m_direction =
        on ? (m_direction | SimpleReactiveIonEtching::fromTop) : (m_direction & ~SimpleReactiveIonEtching::fromTop);
}

void SimpleReactiveIonEtchingOperation::setEtchFromBelow(bool on)
{
    m_direction =
        on ? (m_direction | SimpleReactiveIonEtching::fromBelow) : (m_direction & ~SimpleReactiveIonEtching::fromBelow);
}

void SimpleReactiveIonEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    // Negative or absurd depths (possible from a process list) are clamped, not wrapped.
    uint32_t steps = 0;
    if (m_depth >= double(std::numeric_limits<uint32_t>::max()))
        steps = std::numeric_limits<uint32_t>::max();
    else if (m_depth > 0.0)
        steps = static_cast<uint32_t>(m_depth);
    SimpleReactiveIonEtching engine(volume, m_material, steps, m_direction);
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
