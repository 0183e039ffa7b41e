#include "volumeview.h"

#include <algorithm>

namespace Model {
namespace Automaton {

VolumeView::VolumeView(uint32_t nx, uint32_t ny, uint32_t nz)
    : m_size{nx, ny, nz}
{
    setCutLimits({0, 0, 0}, {nx, ny, nz});
}

SurfaceAlgorithm VolumeView::surfaceAlgorithm() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_surfaceAlgorithm;
}

void VolumeView::setSurfaceAlgorithm(SurfaceAlgorithm algorithm)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_surfaceAlgorithm = algorithm;
}

bool VolumeView::renderEmptyVoxelOutlines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_renderEmptyVoxelOutlines;
}

void VolumeView::setRenderEmptyVoxelOutlines(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_renderEmptyVoxelOutlines = on;
}

LatticeDisplayFlags VolumeView::latticeFlags() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_latticeFlags;
}

void VolumeView::setLatticeFlags(const LatticeDisplayFlags &flags)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_latticeFlags = flags;
}

uint32_t VolumeView::particleDistribution() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_particleDistribution;
}

void VolumeView::setParticleDistribution(uint32_t distribution)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_particleDistribution = distribution;
}

uint32_t VolumeView::colorScaleType() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_colorScaleType;
}

void VolumeView::setColorScaleType(uint32_t type)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_colorScaleType = type;
}

bool VolumeView::extractionDisplay() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_extractionDisplay;
}

void VolumeView::setExtractionDisplay(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_extractionDisplay = on;
}

void VolumeView::setCutLimits(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < 3; ++i) {
        m_upper[i] = std::min(upper[i], m_size[i]);
        m_lower[i] = std::min(lower[i], m_upper[i]);
    }
    m_planes = {Util::Vector4D(-1, 0, 0, m_lower[0]), Util::Vector4D(1, 0, 0, -double(m_upper[0])),
                Util::Vector4D(0, -1, 0, m_lower[1]), Util::Vector4D(0, 1, 0, -double(m_upper[1])),
                Util::Vector4D(0, 0, -1, m_lower[2]), Util::Vector4D(0, 0, 1, -double(m_upper[2]))};
}

void VolumeView::cutLimits(std::array<uint32_t, 3> &lower, std::array<uint32_t, 3> &upper) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    lower = m_lower;
    upper = m_upper;
}

CellWindow VolumeView::window() const
{
    CellWindow window;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < 3; ++i) {
        window.lower[i] = m_lower[i];
        window.upper[i] = m_upper[i];
    }
    return window;
}

std::array<Util::Vector4D, 6> VolumeView::clippingPlanes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_planes;
}

} // namespace Automaton
} // namespace Model
