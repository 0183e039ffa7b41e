#pragma once

#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"

#include <memory>

/// The surface of a volume that a test builds and reads without a window, as a window would keep
/// it: one per volume, made on first use and let go with the volume.
inline Model::Surfaces::VolumeSurface &surfaceOf(const std::shared_ptr<Model::Automaton::TotalVolume> &volume)
{
    static Model::Surfaces::ShownSurfaces surfaces;
    return *surfaces.of(volume);
}
