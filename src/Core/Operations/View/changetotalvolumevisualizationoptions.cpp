#include "Core/Operations/View/changetotalvolumevisualizationoptions.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"

namespace Core {
namespace Operations {

VisualizationOptions VisualizationOptions::of(const Model::Automaton::TotalVolumePainter &painter)
{
    VisualizationOptions options;
    options.lattice = painter.latticeFlags();
    options.renderEmptyVoxelOutlines = painter.renderEmptyVoxelOutlines();
    options.surfaceAlgorithm = painter.surfaceAlgorithm();
    options.particleDistribution = painter.particleDistribution();
    options.colorScaleType = painter.colorScaleType();
    return options;
}

ChangeTotalVolumeVisualizationOptions::ChangeTotalVolumeVisualizationOptions(Workspace &workspace)
    : Operation(workspace, QStringLiteral("Change Visualization"), 6)
{
}

void ChangeTotalVolumeVisualizationOptions::setOptions(const VisualizationOptions &options)
{
    m_options = options;
    m_optionsSet = true;
}

void ChangeTotalVolumeVisualizationOptions::start()
{
    Workspace &ws = workspace();
    VolumeChoice choice(ws);
    if (const auto volume = choice.obvious()) {
        m_volume = volume;
        ws.selection().clearSelection();
        ws.selection().setSelectionMode(false);
        ws.console().writeMessage(name() + QStringLiteral(": Cell volume selected."));
        if (const auto &dialog = observer())
            dialog->notify();
        // A rejected dialog leaves the options unset: the operation then gives up.
        if (m_optionsSet)
            execute();
        else
            cancel();
        return;
    }
    choice.waitForEnter(shared_from_this(), name() + QStringLiteral(": Select a cell volume and press Enter/Return."),
                        choice.volumePrompt(name()));
}

void ChangeTotalVolumeVisualizationOptions::cancel()
{
    Workspace &ws = workspace();
    ws.console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    ws.console().reset();
    ws.operationCanceled();
}

void ChangeTotalVolumeVisualizationOptions::execute()
{
    if (!m_volume || !m_optionsSet) {
        cancel();
        return;
    }
    Workspace &ws = workspace();
    auto &painter = m_volume->painter();
    painter.setLatticeFlags(m_options.lattice);
    painter.setRenderEmptyVoxelOutlines(m_options.renderEmptyVoxelOutlines);
    painter.setSurfaceAlgorithm(m_options.surfaceAlgorithm);
    painter.setParticleDistribution(m_options.particleDistribution);
    painter.setColorScaleType(m_options.colorScaleType);
    painter.regenerateSurface();
    // New material colours reach every volume of the scene.
    for (const auto &object : ws.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            volume->painter().refreshColors();
    }
    ws.console().writeMessage(name() + QStringLiteral(": Options changed."));
    ws.notifyUpdate();
    ws.console().reset();
    ws.operationFinished();
}

} // namespace Operations
} // namespace Core
