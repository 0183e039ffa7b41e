#include "shownsurfaces.h"

#include "Model/Volume/totalvolume.h"

#include <vector>

namespace Model {
namespace Surfaces {

std::shared_ptr<VolumeSurface> ShownSurfaces::of(const std::shared_ptr<Automaton::TotalVolume> &volume)
{
    if (!volume)
        return nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    // A volume that is gone may have left its address to this one: its entry goes first.
    dropExpired();
    Entry &entry = m_entries[volume.get()];
    if (!entry.surface) {
        entry.volume = volume;
        entry.surface = std::make_shared<VolumeSurface>(*volume);
    }
    return entry.surface;
}

std::shared_ptr<VolumeSurface> ShownSurfaces::find(const Automaton::TotalVolume &volume) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.find(&volume);
    if (it == m_entries.end() || it->second.volume.expired())
        return nullptr;
    return it->second.surface;
}

bool ShownSurfaces::regenerate(const std::shared_ptr<Automaton::TotalVolume> &volume, Util::RunControl *control)
{
    const std::shared_ptr<VolumeSurface> surface = of(volume);
    return surface && surface->regenerate(control);
}

size_t ShownSurfaces::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    for (const auto &entry : m_entries)
        count += entry.second.volume.expired() ? 0 : 1;
    return count;
}

void ShownSurfaces::dropOrphans()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    dropExpired();
}

void ShownSurfaces::dropExpired()
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.volume.expired())
            it = m_entries.erase(it);
        else
            ++it;
    }
}

} // namespace Surfaces
} // namespace Model
