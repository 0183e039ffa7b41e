#include "Core/Operations/Objects/selectvolumesoperation.h"

#include "Core/volumechoice.h"
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
    VolumeChoice choice(ws);
    const auto volumes = choice.volumes();
    // The choice is obvious with a selected volume, the only volume, or none at all.
    if (const auto volume = choice.obvious()) {
        m_volume = volume;
        ws.selection().clearSelection();
        ws.selection().setSelectionMode(false);
        ws.notifyUpdate();
        ws.console().writeMessage(name() + QStringLiteral(": Cell volume selected."));
        m_done = true;
        execute();
        return;
    }
    if (volumes.isEmpty() || m_answer.startsWith(QLatin1Char('n'), Qt::CaseInsensitive)) {
        if (volumes.isEmpty())
            ws.console().writeMessage(name() + QStringLiteral(": No cell volume; the list starts without one."));
        m_done = true;
        execute();
        return;
    }
    if (!m_asked) {
        // Asked once, in a dialog where there is a window; the console's "N" works as well.
        m_asked = true;
        const auto answer = ws.ask(QStringLiteral("Batch Run"),
                                   QStringLiteral("The document holds %1 cell volumes. Run the process list on one "
                                                  "of them?\n\nYes: click it in the view, then press Enter.\n"
                                                  "No: the list starts without a cell volume.")
                                       .arg(volumes.size()));
        if (answer == Workspace::Answer::No) {
            m_done = true;
            execute();
            return;
        }
    }
    choice.waitForEnter(shared_from_this(),
                        name() + QStringLiteral(": Select a cell volume and press Enter/Return. To start without a "
                                                "cell volume type N and press Enter/Return."),
                        VolumeChoice::clickPrompt(QStringLiteral("Batch Run"), QStringLiteral("a cell volume")));
    ws.console().requestText(shared_from_this(), &m_answer);
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
