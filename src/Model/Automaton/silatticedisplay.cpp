#include "silatticedisplay.h"

#include "Model/gl.h"
#include "silattice.h"
#include "totalvolume.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace Automaton {

const std::array<float, 4> SiLatticeDisplay::linkColor = {1.0f, 1.0f, 127.0f / 255.0f, 1.0f};
const std::array<float, 4> SiLatticeDisplay::outlineColor = {127.0f / 255.0f, 127.0f / 255.0f, 1.0f, 1.0f};
const std::array<float, 4> SiLatticeDisplay::unitCellColor = {127.0f / 255.0f, 127.0f / 255.0f, 1.0f, 127.0f / 255.0f};

namespace {

const float atomColor[4] = {0.75f, 0.75f, 0.82f, 1.0f};
// Half the width of an atom's octahedron, in cells: a bond is sqrt(3) / 4 = 0.43 cells long.
const float atomRadius = 0.09f;
// However far the view is zoomed out, an atom stays at least this many pixels wide each side.
const double leastAtomPixels = 3.0;

// Scene units per pixel at the current model-view origin, from the GL matrices and viewport;
// 0 when they give no answer.
double unitsPerPixel()
{
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The origin in eye coordinates, and one unit to its right (eye x): their distance on screen.
    const double eye[4] = {modelView[12], modelView[13], modelView[14], modelView[15]};
    auto screenX = [&](double dx) {
        const double x = eye[0] + dx;
        const double clipX =
            projection[0] * x + projection[4] * eye[1] + projection[8] * eye[2] + projection[12] * eye[3];
        const double clipW =
            projection[3] * x + projection[7] * eye[1] + projection[11] * eye[2] + projection[15] * eye[3];
        return clipW != 0.0 ? clipX / clipW * viewport[2] / 2.0 : 0.0;
    };
    const double pixels = std::fabs(screenX(1.0) - screenX(0.0));
    return pixels > 0.0 && std::isfinite(pixels) ? 1.0 / pixels : 0.0;
}

bool inside(const std::array<double, 3> &f, const CellWindow &window)
{
    for (int axis = 0; axis < 3; ++axis) {
        if (f[axis] < window.lower[axis] || f[axis] >= window.upper[axis])
            return false;
    }
    return true;
}

void append(std::vector<float> &to, const std::array<double, 3> &f, const float cellSize[3])
{
    to.push_back(float(f[0] * cellSize[0]));
    to.push_back(float(f[1] * cellSize[1]));
    to.push_back(float(f[2] * cellSize[2]));
}

// The six faces of a unit cell's outline by corner numbers (bit 0 along i, bit 1 along j, bit 2 up).
const unsigned boxFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};

} // namespace

SiLatticeDisplay::SiLatticeDisplay(TotalVolume &volume)
    : m_volume(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
}

LatticeDisplayFlags SiLatticeDisplay::flags() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_flags;
}

void SiLatticeDisplay::setFlags(const LatticeDisplayFlags &flags)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_flags = flags;
}

void SiLatticeDisplay::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<float>().swap(m_atoms);
    std::vector<float>().swap(m_links);
    std::vector<float>().swap(m_unitCells);
}

QString SiLatticeDisplay::takeNotice()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QString notice;
    notice.swap(m_notice);
    return notice;
}

void SiLatticeDisplay::regenerate(const CellWindow &window)
{
    release();
    const LatticeDisplayFlags shown = flags();
    const auto lattice = m_volume.siLattice();
    if (!lattice || !shown.any())
        return;
    std::vector<float> atoms;
    std::vector<float> links;
    std::vector<float> unitCells;
    bool truncated = false;
    {
        // Engines change the lattice with the cells locked.
        CellLock lock(m_volume);
        const SiLattice &l = *lattice;
        for (int32_t i = 0; i < int32_t(l.sizeI()); ++i) {
            for (int32_t j = l.rowBegin(i); j < l.rowEnd(i); ++j) {
                for (int32_t k = 0; k < int32_t(l.sizeK()); ++k) {
                    bool anyPresent = false;
                    for (uint32_t b = 0; b < 8; ++b) {
                        const SiSite s{i, j, k, b};
                        if (l.state(s) != SiLattice::Present)
                            continue;
                        anyPresent = true;
                        const auto f = l.cellCoordinates(s);
                        if (!inside(f, window))
                            continue;
                        if (shown.renderSiAtoms && (!shown.renderSurfaceAtomsOnly || l.presentNeighbours(s) < 4)) {
                            if (atoms.size() / 3 < maximumAtoms)
                                append(atoms, f, m_cellSize);
                            else
                                truncated = true;
                        }
                        // Every bond joins a face-centred atom (0, 1, 4, 5) to one of the others:
                        // drawn from the first, each bond is drawn once.
                        const bool facing = SiLattice::basisQuarters()[b][0] % 2 == 0;
                        if (!shown.renderSiAtomLinks || !facing)
                            continue;
                        for (uint32_t slot = 0; slot < 4; ++slot) {
                            const SiSite n = SiLattice::neighbourSite(s, slot);
                            if (!l.inGrid(n) || l.state(n) != SiLattice::Present)
                                continue;
                            const auto g = l.cellCoordinates(n);
                            if (!inside(g, window))
                                continue;
                            if (links.size() / 6 >= maximumLinks) {
                                truncated = true;
                                continue;
                            }
                            append(links, f, m_cellSize);
                            append(links, g, m_cellSize);
                        }
                    }
                    if (!anyPresent || !(shown.renderSiUnitCells || shown.renderSiUnitCellOutlines) ||
                        !l.isKept(i, j, k))
                        continue;
                    const auto origin = l.unitCellOrigin(i, j, k);
                    const auto centre = SiLattice::outlineCorner(7);
                    const std::array<double, 3> middle = {origin[0] + 0.5 * centre[0], origin[1] + 0.5 * centre[1],
                                                          origin[2] + 0.5 * centre[2]};
                    if (!inside(middle, window))
                        continue;
                    if (unitCells.size() / 3 < maximumUnitCells)
                        append(unitCells, origin, m_cellSize);
                    else
                        truncated = true;
                }
            }
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_atoms = std::move(atoms);
    m_links = std::move(links);
    m_unitCells = std::move(unitCells);
    if (truncated)
        m_notice = QStringLiteral("The silicon lattice of this cell volume is too large to be shown whole; only "
                                  "part of it is drawn. Narrow the cut planes to see the rest.");
}

size_t SiLatticeDisplay::atomCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_atoms.size() / 3;
}

size_t SiLatticeDisplay::linkCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_links.size() / 6;
}

size_t SiLatticeDisplay::unitCellCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unitCells.size() / 3;
}

std::vector<float> SiLatticeDisplay::atomPositions() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_atoms;
}

std::vector<float> SiLatticeDisplay::linkEnds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_links;
}

std::vector<float> SiLatticeDisplay::unitCellOrigins() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unitCells;
}

void SiLatticeDisplay::drawSolid() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_atoms.empty())
        drawAtoms();
    if (!m_links.empty()) {
        glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glLineWidth(1.0f);
        glColor4fv(linkColor.data());
        glEnableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, m_links.data());
        glDrawArrays(GL_LINES, 0, GLsizei(m_links.size() / 3));
        glPopAttrib();
    }
    if (m_flags.renderSiUnitCellOutlines && !m_unitCells.empty())
        drawUnitCells(true);
}

void SiLatticeDisplay::drawTransparent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_flags.renderSiUnitCells && !m_unitCells.empty())
        drawUnitCells(false);
}

void SiLatticeDisplay::drawAtoms() const
{
    // An octahedron per atom, with flat normals, sent in chunks through one vertex array.
    static const float corners[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    static const unsigned faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                         {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    // The atoms grow with the zoom, but a view that shows many of them small keeps them visible.
    const float least = float(leastAtomPixels * unitsPerPixel());
    const float r[3] = {std::max(atomRadius * m_cellSize[0], least), std::max(atomRadius * m_cellSize[1], least),
                        std::max(atomRadius * m_cellSize[2], least)};
    constexpr size_t chunk = 2048;
    std::vector<float> positions;
    std::vector<float> normals;
    positions.reserve(chunk * 24 * 3);
    normals.reserve(chunk * 24 * 3);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glEnable(GL_NORMALIZE);
    glColor4fv(atomColor);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    auto flush = [&] {
        if (positions.empty())
            return;
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        glNormalPointer(GL_FLOAT, 0, normals.data());
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(positions.size() / 3));
        positions.clear();
        normals.clear();
    };
    const size_t count = m_atoms.size() / 3;
    for (size_t a = 0; a < count; ++a) {
        const float *p = &m_atoms[3 * a];
        for (const auto &face : faces) {
            float n[3] = {0, 0, 0};
            for (unsigned c : face)
                for (int axis = 0; axis < 3; ++axis)
                    n[axis] += corners[c][axis];
            for (unsigned c : face) {
                for (int axis = 0; axis < 3; ++axis) {
                    positions.push_back(p[axis] + corners[c][axis] * r[axis]);
                    normals.push_back(n[axis]);
                }
            }
        }
        if (positions.size() >= chunk * 24 * 3)
            flush();
    }
    flush();
    glDisableClientState(GL_NORMAL_ARRAY);
    glPopAttrib();
}

void SiLatticeDisplay::drawUnitCells(bool outlines) const
{
    double corner[8][3];
    for (unsigned c = 0; c < 8; ++c) {
        const auto t = SiLattice::outlineCorner(c);
        for (int axis = 0; axis < 3; ++axis)
            corner[c][axis] = t[axis] * m_cellSize[axis];
    }
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    if (outlines) {
        glEnable(GL_POLYGON_OFFSET_LINE);
        glPolygonOffset(-1.0f, -1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glLineWidth(1.0f);
        glColor4fv(outlineColor.data());
    } else {
        glEnable(GL_BLEND);
        glColor4fv(unitCellColor.data());
    }
    glBegin(GL_QUADS);
    const size_t count = m_unitCells.size() / 3;
    for (size_t u = 0; u < count; ++u) {
        const float *o = &m_unitCells[3 * u];
        for (const auto &face : boxFaces)
            for (unsigned c : face)
                glVertex3d(o[0] + corner[c][0], o[1] + corner[c][1], o[2] + corner[c][2]);
    }
    glEnd();
    glPopAttrib();
}

} // namespace Automaton
} // namespace Model
