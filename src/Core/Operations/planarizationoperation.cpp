#include "planarizationoperation.h"

#include "Core/workspace.h"
#include "planarization.h"

namespace Core {
namespace Operations {

PlanarizationOperation::PlanarizationOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Planarization"), 22, QStringLiteral("Planarization"))
{
}

void PlanarizationOperation::setMaximumHeight(uint32_t height)
{
    m_maximumHeight = height;
    m_maximumSet = true;
}

void PlanarizationOperation::setMinimumHeight(uint32_t height)
{
    m_minimumHeight = height;
    m_minimumSet = true;
}

uint32_t PlanarizationOperation::volumeSizeZ() const
{
    auto v = volume();
    return v ? v->sizeZ() : 0;
}

void PlanarizationOperation::cancel()
{
    workspace().console().writeMessage(name() + QStringLiteral(": Operation canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

void PlanarizationOperation::run(Model::Automaton::TotalVolume &volume)
{
    Planarization engine(volume, m_maximumHeight, m_minimumHeight);
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
