#include "Core/Operations/View/changetotalvolumevisualizationoptions.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"
#include "Model/Surfaces/shownsurfaces.h"

namespace Core {
namespace Operations {

VisualizationOptions VisualizationOptions::of(const Model::Automaton::VolumeView &view)
{
    VisualizationOptions options;
    options.lattice = view.latticeFlags();
    options.renderEmptyVoxelOutlines = view.renderEmptyVoxelOutlines();
    options.surfaceAlgorithm = view.surfaceAlgorithm();
    options.particleDistribution = view.particleDistribution();
    options.colorScaleType = view.colorScaleType();
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
    Model::Automaton::VolumeView &view = m_volume->view();
    view.setLatticeFlags(m_options.lattice);
    view.setRenderEmptyVoxelOutlines(m_options.renderEmptyVoxelOutlines);
    view.setSurfaceAlgorithm(m_options.surfaceAlgorithm);
    view.setParticleDistribution(m_options.particleDistribution);
    view.setColorScaleType(m_options.colorScaleType);
    ws.regenerateSurface(m_volume);
    // New material colours reach every volume of the scene.
    if (auto *surfaces = ws.shownSurfaces()) {
        for (const auto &object : ws.document().allObjects()) {
            auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
            if (const auto surface = volume ? surfaces->find(*volume) : nullptr)
                surface->refreshColors();
        }
    }
    ws.console().writeMessage(name() + QStringLiteral(": Options changed."));
    ws.notifyUpdate();
    ws.console().reset();
    ws.operationFinished();
}

} // namespace Operations
} // namespace Core
