#include "Core/Operations/Document/exportdataoperation.h"

#include "Core/Formats/csvdataexporter.h"
#include "Core/volumechoice.h"
#include "Core/workspace.h"

namespace Core {
namespace Operations {

ExportDataOperation::ExportDataOperation(Workspace &workspace)
    : Operation(workspace, QStringLiteral("Export Data"), 37)
{
}

void ExportDataOperation::chooseVolume(const Model::Automaton::TotalVolumePtr &volume, const QString &message)
{
    Workspace &ws = workspace();
    m_volume = volume;
    ws.selection().clearSelection();
    ws.selection().setSelectionMode(false);
    ws.notifyUpdate();
    ws.console().writeMessage(name() + message);
    if (const auto &dialog = observer())
        dialog->notify();
}

void ExportDataOperation::start()
{
    if (m_volume)
        return;
    VolumeChoice choice(workspace());
    if (const auto volume = choice.selected()) {
        chooseVolume(volume, QStringLiteral(": Cell volume selected."));
        execute();
        return;
    }
    if (const auto volume = choice.obvious()) {
        chooseVolume(volume, QStringLiteral(": Using only cell volume."));
        execute();
        return;
    }
    choice.waitForEnter(shared_from_this(), name() + QStringLiteral(": Select a cell volume and press Enter/Return."),
                        choice.volumePrompt(name()));
}

void ExportDataOperation::end()
{
    workspace().console().reset();
    workspace().selection().clearSelection();
}

void ExportDataOperation::cancel()
{
    end();
    workspace().operationCanceled();
}

void ExportDataOperation::execute()
{
    if (!m_volume || m_fileName.isEmpty() || m_dataName.isEmpty()) {
        cancel();
        return;
    }
    CSVDataExporter exporter(m_fileName);
    const int result = exporter.saveDataToFile(m_dataName, m_volume->field(m_dataName), m_volume->sizeX(),
                                               m_volume->sizeY(), m_volume->sizeZ());
    if (result == 0)
        workspace().console().writeMessage(name() + QStringLiteral(":  data saved."));
    else
        workspace().console().writeMessage(
            name() + QStringLiteral(": \"%1\" was not written: %2").arg(m_fileName, exporter.errorString()));
    end();
    workspace().operationFinished();
}

} // namespace Operations
} // namespace Core
