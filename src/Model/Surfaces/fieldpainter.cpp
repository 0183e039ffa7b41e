#include "fieldpainter.h"

#include "Model/Surfaces/cubicfacegenerator.h"
#include "Model/Volume/particlecounts.h"
#include "Model/Volume/surfaceflux.h"
#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Model {
namespace Automaton {

using Geometry::CellFace;
using Geometry::QuadFace;

namespace {

// The counts a distribution shows: N, P or P - N per cell.
class FieldValues {
public:
    FieldValues(const TotalVolume &volume, uint32_t distribution)
        : m_distribution(distribution)
        , m_n(ParticleCounts::of(volume, ParticleCounts::nTypeName()))
        , m_p(ParticleCounts::of(volume, ParticleCounts::pTypeName()))
    {
    }
    /// Whether the distribution has data on this volume.
    bool present() const
    {
        switch (m_distribution) {
        case 0:
            return bool(m_n);
        case 1:
            return bool(m_p);
        case 2:
            return m_n || m_p;
        default:
            return false;
        }
    }
    double value(size_t cell) const
    {
        const double n = m_n ? double(m_n->total(cell)) : 0.0;
        const double p = m_p ? double(m_p->total(cell)) : 0.0;
        return m_distribution == 0 ? n : (m_distribution == 1 ? p : p - n);
    }
    /// Cells without particles (or with a balanced sum) keep their material's colour.
    bool usable(double value) const { return m_distribution == 2 ? value != 0.0 : value > 0.0; }

private:
    uint32_t m_distribution;
    ParticleCountsPtr m_n;
    ParticleCountsPtr m_p;
};

// The line-of-sight flux per cell: NaN where there is none. A surface cell that is occupied shows
// its own flux; the flux of a surface cell left empty (in front of a deposition's film) goes to its
// occupied neighbours without one of their own, the highest where several meet.
std::vector<float> fluxPerCell(const TotalVolume &volume, const Cells &cells, const SurfaceFlux &flux)
{
    std::vector<float> values(volume.cellCount(), std::numeric_limits<float>::quiet_NaN());
    for (const auto &site : flux.sites())
        if (site.first < values.size() && cells.state(site.first) != 0)
            values[site.first] = float(site.second);
    std::vector<std::pair<size_t, float>> passed;
    for (const auto &site : flux.sites()) {
        if (site.first >= values.size() || cells.state(site.first) != 0)
            continue;
        uint32_t p[3];
        volume.coordinates(site.first, p[0], p[1], p[2]);
        for (int d = 0; d < 6; ++d) {
            long long q[3] = {p[0], p[1], p[2]};
            q[d / 2] += d % 2 == 0 ? -1 : 1;
            if (!volume.contains(q[0], q[1], q[2]))
                continue;
            const size_t j = volume.index(uint32_t(q[0]), uint32_t(q[1]), uint32_t(q[2]));
            if (cells.state(j) != 0 && std::isnan(values[j]))
                passed.emplace_back(j, float(site.second));
        }
    }
    std::vector<float> extra(values.size(), std::numeric_limits<float>::quiet_NaN());
    for (const auto &cell : passed)
        extra[cell.first] = std::isnan(extra[cell.first]) ? cell.second : std::max(extra[cell.first], cell.second);
    for (const auto &cell : passed)
        values[cell.first] = extra[cell.first];
    return values;
}

} // namespace

FieldPainter::FieldPainter(TotalVolume &volume)
    : m_volume(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
}

QString FieldPainter::quantityName(uint32_t distribution)
{
    switch (distribution) {
    case 0:
        return ParticleCounts::nTypeName();
    case 1:
        return ParticleCounts::pTypeName();
    case fluxDistribution:
        return SurfaceFlux::name();
    default:
        return QStringLiteral("Random Walk Particle Count P - N");
    }
}

QString FieldPainter::unit(uint32_t distribution)
{
    return distribution == fluxDistribution ? QStringLiteral("relative to a flat open surface")
                                            : QStringLiteral("particles per cell");
}

ColorScale FieldPainter::colorScale() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_scale;
}

FieldPainter::ColorMap FieldPainter::withScale(const ColorMap &materials) const
{
    ColorMap map = materials;
    for (int i = 0; i < ColorScale::entries; ++i)
        map[scaleMaterialBase + uint32_t(i)] = m_scale.entry(i);
    return map;
}

void FieldPainter::generate(const CellWindow &window, const ColorMap &materials, bool selected)
{
    const uint32_t distribution = m_volume.view().particleDistribution();
    ColorScale scale;
    {
        // The old surface goes first, as with the cubic faces: old and new at once would double the peak.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_scale.setType(m_volume.view().colorScaleType());
        scale = m_scale;
        std::vector<CellFace>().swap(m_opaque);
        std::vector<CellFace>().swap(m_transparent);
        m_mesh = FaceMesh();
    }

    const FieldValues values(m_volume, distribution);
    const SurfaceFluxPtr flux = distribution == fluxDistribution ? SurfaceFlux::of(m_volume) : nullptr;
    const bool present = flux || values.present();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    CubicFaces faces;
    FacePalette palette;
    ColorMap map;
    {
        CellLock cellLock(m_volume);
        const Cells cells = cellLock.cells();

        // The range covers every cell in the walk, so that cutting the volume open keeps the colours.
        double low = std::numeric_limits<double>::infinity();
        double high = -std::numeric_limits<double>::infinity();
        std::vector<float> fluxes;
        if (flux) {
            // The flux's range is that of its surface cells.
            fluxes = fluxPerCell(m_volume, cells, *flux);
            for (const auto &site : flux->sites()) {
                low = std::min(low, site.second);
                high = std::max(high, site.second);
            }
        } else if (present) {
            std::mutex rangeMutex;
            Util::runParallelRange(m_volume.cellCount(), 1 << 16, [&](size_t begin, size_t end) {
                double l = std::numeric_limits<double>::infinity();
                double h = -std::numeric_limits<double>::infinity();
                for (size_t i = begin; i < end; ++i) {
                    if (!m_volume.tookPartInWalk(i))
                        continue;
                    const double v = values.value(i);
                    l = std::min(l, v);
                    h = std::max(h, v);
                }
                std::lock_guard<std::mutex> lock(rangeMutex);
                low = std::min(low, l);
                high = std::max(high, h);
            });
        }
        if (low <= high)
            scale.setRange(float(low), float(high));
        else
            scale.setRange(0.0f, 1.0f);

        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_scale = scale;
            map = withScale(materials);
        }
        palette = FacePalette(map);

        std::vector<uint32_t> cellSlots;
        if (present) {
            const uint32_t first = palette.slot(scaleMaterialBase);
            cellSlots.assign(m_volume.cellCount(), FacePalette::noSlot);
            const uint32_t x0 = window.lower[0];
            const uint32_t x1 = std::max(window.lower[0], window.upper[0]);
            Util::runParallelRange(x1 - x0, 1, [&](size_t begin, size_t end) {
                for (uint32_t x = x0 + uint32_t(begin); x < x0 + uint32_t(end); ++x)
                    for (uint32_t y = window.lower[1]; y < window.upper[1]; ++y)
                        for (uint32_t z = window.lower[2]; z < window.upper[2]; ++z) {
                            const size_t i = (size_t(x) * ny + y) * nz + z;
                            if (flux) {
                                if (!std::isnan(fluxes[i]))
                                    cellSlots[i] = first + uint32_t(scale.index(fluxes[i]));
                                continue;
                            }
                            const double v = values.value(i);
                            if (values.usable(v))
                                cellSlots[i] = first + uint32_t(scale.index(v));
                        }
            });
        }
        // The scale colours carry the counts: a cut face keeps them as they are.
        CubicFaceGenerator generator(cells, m_volume.sizeX(), ny, nz, window, palette, m_cellSize);
        generator.setShadeCutFaces(false);
        if (present)
            generator.setSlotOverride(cellSlots.data());
        faces = generator.run();
    }
    palette.recolor(map, selected);

    std::lock_guard<std::mutex> lock(m_mutex);
    m_palette = std::move(palette);
    m_opaque = std::move(faces.opaque);
    m_transparent = std::move(faces.transparent);
    m_mesh = std::move(faces.mesh);
}

void FieldPainter::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CellFace>().swap(m_opaque);
    std::vector<CellFace>().swap(m_transparent);
    m_mesh = FaceMesh();
    m_palette = FacePalette();
}

void FieldPainter::recolor(const ColorMap &materials, bool selected)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_palette.recolor(withScale(materials), selected);
}

void FieldPainter::withFaces(const std::function<void(const Faces &)> &use) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    use(Faces{m_palette, m_opaque, m_transparent, m_mesh, m_cellSize});
}

QuadFace FieldPainter::quadFace(const CellFace &face) const
{
    const float origin[3] = {float(face.x), float(face.y), float(face.z)};
    return QuadFace::cellFace(origin, m_cellSize, face.face(), m_palette.color(face.slot()),
                              m_palette.material(face.slot()));
}

size_t FieldPainter::opaqueFaceCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_opaque.size();
}

size_t FieldPainter::transparentFaceCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_transparent.size();
}

std::vector<QuadFace> FieldPainter::opaqueFaces() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_opaque.size());
    for (const CellFace &face : m_opaque)
        faces.push_back(quadFace(face));
    return faces;
}

std::vector<QuadFace> FieldPainter::transparentFaces() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_transparent.size());
    for (const CellFace &face : m_transparent)
        faces.push_back(quadFace(face));
    return faces;
}

size_t FieldPainter::storedBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return (m_opaque.capacity() + m_transparent.capacity()) * sizeof(CellFace) + m_mesh.storedBytes() +
           m_palette.storedBytes();
}

} // namespace Automaton
} // namespace Model
