#pragma once

#include "Core/Operations/operation.h"
#include "Model/Volume/totalvolume.h"
#include "Util/iobserver.h"

namespace Core {
namespace Operations {

/// The nine display settings of a cell volume that the visualisation dialog edits.
struct VisualizationOptions {
    Model::Automaton::LatticeDisplayFlags lattice;
    bool renderEmptyVoxelOutlines = false;
    Model::Automaton::SurfaceAlgorithm surfaceAlgorithm = Model::Automaton::SurfaceAlgorithm::CubicFaces;
    uint32_t particleDistribution = 0;
    uint32_t colorScaleType = 0;

    static VisualizationOptions of(const Model::Automaton::VolumeView &view);
    bool operator==(const VisualizationOptions &o) const
    {
        return lattice == o.lattice && renderEmptyVoxelOutlines == o.renderEmptyVoxelOutlines &&
               surfaceAlgorithm == o.surfaceAlgorithm && particleDistribution == o.particleDistribution &&
               colorScaleType == o.colorScaleType;
    }
};

/// "Change Visualization": applies new display settings to one selected cell volume, regenerates
/// its surface and refreshes the colours of every volume (material colours may have changed).
/// Not undoable.
class ChangeTotalVolumeVisualizationOptions : public Operation {
public:
    explicit ChangeTotalVolumeVisualizationOptions(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;

    Model::Automaton::TotalVolumePtr volume() const { return m_volume; }
    /// The dialog's values; raises the options flag.
    void setOptions(const VisualizationOptions &options);
    bool hasOptions() const { return m_optionsSet; }

private:
    Model::Automaton::TotalVolumePtr m_volume;
    VisualizationOptions m_options;
    bool m_optionsSet = false;
};

} // namespace Operations
} // namespace Core
