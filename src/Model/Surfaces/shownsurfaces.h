#pragma once

#include "Model/Surfaces/volumesurface.h"

#include <map>
#include <memory>
#include <mutex>

namespace Util {
class RunControl;
}

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Surfaces {

/// The surfaces a window shows (or an image draws) for cell volumes: one VolumeSurface per volume,
/// made empty on first use and dropped once its volume is gone, so that a volume kept by the undo
/// history keeps its surface. Generation may run outside the GUI thread (inside an operation's job)
/// while the view draws.
class ShownSurfaces {
public:
    /// The volume's surface, made (empty) on first use.
    std::shared_ptr<VolumeSurface> of(const std::shared_ptr<Automaton::TotalVolume> &volume);
    /// The volume's surface when it has one, else null.
    std::shared_ptr<VolumeSurface> find(const Automaton::TotalVolume &volume) const;
    /// Rebuilds the volume's surface (see VolumeSurface::regenerate); false when it could not.
    bool regenerate(const std::shared_ptr<Automaton::TotalVolume> &volume, Util::RunControl *control = nullptr);
    /// Volumes with a surface.
    size_t size() const;
    /// Gives back the memory of the surfaces whose volume is gone (the view does it at every frame).
    void dropOrphans();

private:
    struct Entry {
        std::weak_ptr<Automaton::TotalVolume> volume;
        std::shared_ptr<VolumeSurface> surface;
    };
    /// dropOrphans() under the lock.
    void dropExpired();

    mutable std::mutex m_mutex;
    std::map<const Automaton::TotalVolume *, Entry> m_entries;
};

} // namespace Surfaces
} // namespace Model
