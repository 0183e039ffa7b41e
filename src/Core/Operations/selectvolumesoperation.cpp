#include "selectvolumesoperation.h"

#include "Core/workspace.h"

namespace Core {
namespace Operations {

SelectVolumesOperation::SelectVolumesOperation(Workspace &workspace)
    : Operation(workspace, QStringLiteral("Select volumes"), 24)
{
}

Model::Automaton::TotalVolumePtr SelectVolumesOperation::volume() const { return m_done ? m_volume : nullptr; }

void SelectVolumesOperation::start()
{
    if (m_done)
        return;
    Workspace &ws = workspace();
    for (const auto &object : ws.pickState().selected()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            m_volume = volume;
            ws.selection().clearSelection();
            ws.selection().setSelectionMode(false);
            ws.notifyUpdate();
            ws.console().writeMessage(name() + QStringLiteral(": Cell volume selected."));
            m_done = true;
            execute();
            return;
        }
    }
    if (m_answer.startsWith(QLatin1Char('n'), Qt::CaseInsensitive)) {
        m_done = true;
        execute();
        return;
    }
    ws.console().writeMessage(name() +
                              QStringLiteral(": Select a cell volume and press Enter/Return. To start without a "
                                             "cell volume type N and press Enter/Return."));
    ws.console().requestText(shared_from_this(), &m_answer);
    ws.console().requestEnter(shared_from_this());
    ws.selection().setSelectionMode(true);
}

void SelectVolumesOperation::execute()
{
    if (!m_done)
        return;
    if (const auto &dialog = observer())
        dialog->notify();
    workspace().console().reset();
    workspace().operationFinished();
}

void SelectVolumesOperation::cancel()
{
    workspace().console().reset();
    workspace().operationCanceled();
}

} // namespace Operations
} // namespace Core
