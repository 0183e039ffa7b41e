#pragma once

#include <QMetaType>
#include <QString>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

/// The flux the last line-of-sight step brought to each surface cell, as one of the volume's named
/// fields: (cell index, flux) in cell order, the flux in units of what a flat open surface collects
/// (1 there). Only surface cells are kept, so it takes memory with the surface, not the volume.
class SurfaceFlux {
public:
    using Sites = std::vector<std::pair<size_t, double>>;

    explicit SurfaceFlux(Sites sites)
        : m_sites(std::move(sites))
    {
    }
    const Sites &sites() const { return m_sites; }

    /// The field's name: "Line-of-Sight Flux".
    static QString name();
    /// The flux stored on the volume, or null when it has none.
    static std::shared_ptr<SurfaceFlux> of(const TotalVolume &volume);
    /// Stores the flux, replacing what was there.
    static void attach(TotalVolume &volume, const std::shared_ptr<SurfaceFlux> &flux);

private:
    Sites m_sites;
};

using SurfaceFluxPtr = std::shared_ptr<SurfaceFlux>;

} // namespace Automaton
} // namespace Model

Q_DECLARE_METATYPE(Model::Automaton::SurfaceFluxPtr)
