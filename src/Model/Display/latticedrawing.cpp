#include "latticedrawing.h"

#include "Model/Display/gl.h"
#include "Model/Surfaces/silatticedisplay.h"
#include "Model/Volume/silattice.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Model {
namespace Display {

using Automaton::SiLatticeDisplay;

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

// The six faces of a unit cell's outline by corner numbers (bit 0 along i, bit 1 along j, bit 2 up).
const unsigned boxFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};

void drawAtoms(const SiLatticeDisplay::Buffers &b)
{
    // An octahedron per atom, with flat normals, sent in chunks through one vertex array.
    static const float corners[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    static const unsigned faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                         {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    // The atoms grow with the zoom, but a view that shows many of them small keeps them visible.
    const float least = float(leastAtomPixels * unitsPerPixel());
    const float r[3] = {std::max(atomRadius * b.cellSize[0], least), std::max(atomRadius * b.cellSize[1], least),
                        std::max(atomRadius * b.cellSize[2], least)};
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
    const size_t count = b.atoms.size() / 3;
    for (size_t a = 0; a < count; ++a) {
        const float *p = &b.atoms[3 * a];
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

void drawUnitCells(const SiLatticeDisplay::Buffers &b, bool outlines)
{
    double corner[8][3];
    for (unsigned c = 0; c < 8; ++c) {
        const auto &t = b.unitCellCorners[c];
        for (int axis = 0; axis < 3; ++axis)
            corner[c][axis] = t[axis] * b.cellSize[axis];
    }
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    if (outlines) {
        glEnable(GL_POLYGON_OFFSET_LINE);
        glPolygonOffset(-1.0f, -1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glLineWidth(1.0f);
        glColor4fv(SiLatticeDisplay::outlineColor.data());
    } else {
        glEnable(GL_BLEND);
        glColor4fv(SiLatticeDisplay::unitCellColor.data());
    }
    glBegin(GL_QUADS);
    const size_t count = b.unitCells.size() / 3;
    for (size_t u = 0; u < count; ++u) {
        const float *o = &b.unitCells[3 * u];
        for (const auto &face : boxFaces)
            for (unsigned c : face)
                glVertex3d(o[0] + corner[c][0], o[1] + corner[c][1], o[2] + corner[c][2]);
    }
    glEnd();
    glPopAttrib();
}

} // namespace

void drawLatticeSolid(const SiLatticeDisplay &lattice, const Automaton::LatticeDisplayFlags &flags)
{
    lattice.withBuffers([&flags](const SiLatticeDisplay::Buffers &b) {
        if (!b.atoms.empty())
            drawAtoms(b);
        if (!b.links.empty()) {
            glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
            glDisable(GL_LIGHTING);
            glLineWidth(1.0f);
            glColor4fv(SiLatticeDisplay::linkColor.data());
            glEnableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_NORMAL_ARRAY);
            glDisableClientState(GL_COLOR_ARRAY);
            glVertexPointer(3, GL_FLOAT, 0, b.links.data());
            glDrawArrays(GL_LINES, 0, GLsizei(b.links.size() / 3));
            glPopAttrib();
        }
        if (flags.renderSiUnitCellOutlines && !b.unitCells.empty())
            drawUnitCells(b, true);
    });
}

void drawLatticeTransparent(const SiLatticeDisplay &lattice, const Automaton::LatticeDisplayFlags &flags)
{
    lattice.withBuffers([&flags](const SiLatticeDisplay::Buffers &b) {
        if (flags.renderSiUnitCells && !b.unitCells.empty())
            drawUnitCells(b, false);
    });
}

} // namespace Display
} // namespace Model
