#include "volumepainter.h"

#include "Model/Display/edgelines.h"
#include "Model/Display/facebatch.h"
#include "Model/Display/gl.h"
#include "Model/Display/latticedrawing.h"
#include "Model/Display/surfacedrawing.h"
#include "Model/Surfaces/quadface.h"
#include "Model/Surfaces/volumesurface.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>

namespace Model {
namespace Display {

using Automaton::EdgeLines;
using Automaton::FaceBatch;
using Automaton::SurfaceAlgorithm;
using Geometry::CellFace;
using Surfaces::VolumeSurface;

namespace {

const uint8_t outlineBytes[4] = {204, 204, 204, 255};

// Pushes the GL state a volume's drawing changes and pops it on every way out.
class GlStateScope {
public:
    GlStateScope()
    {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glPushMatrix();
    }
    ~GlStateScope()
    {
        glPopMatrix();
        glPopClientAttrib();
        glPopAttrib();
    }
    GlStateScope(const GlStateScope &) = delete;
    GlStateScope &operator=(const GlStateScope &) = delete;
};

void drawEdges(const VolumeSurface::CubicFaceLists &lists, bool outlines)
{
    // Made before the attributes are pushed: if it cannot get its buffer, nothing is left pushed.
    FaceBatch batch(lists.cellSize, false);
    EdgeLines lines;
    glEnableClientState(GL_COLOR_ARRAY);
    // Edges outline every cell face, so they come from the face records, not the merged mesh.
    for (const CellFace &face : lists.opaque)
        batch.add(face, lists.palette.colorBytes(face.slot()).data());
    if (lists.tree) {
        for (const CellFace &face : lists.tree->faces())
            batch.add(face, lists.palette.colorBytes(face.slot()).data());
    }
    if (outlines) {
        for (const CellFace &face : lists.outlines)
            batch.add(face, outlineBytes);
    }
    batch.flush();
    glDisableClientState(GL_COLOR_ARRAY);
}

void drawTransparent(const VolumeSurface::CubicFaceLists &lists, const Automaton::SiLatticeDisplay &latticeDisplay,
                     const Automaton::LatticeDisplayFlags &lattice, const Util::Vector3D &localEye)
{
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    drawLatticeTransparent(latticeDisplay, lattice);
    if (!lists.tree) {
        glDepthMask(GL_TRUE);
        return;
    }
    const GLfloat specular[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glEnableClientState(GL_COLOR_ARRAY);
    {
        FaceBatch batch(lists.cellSize, true);
        const std::vector<CellFace> &faces = lists.tree->faces();
        lists.tree->backToFront(localEye, [&](size_t begin, size_t end) {
            for (size_t i = begin; i < end; ++i)
                batch.add(faces[i], lists.palette.colorBytes(faces[i].slot()).data());
        });
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDepthMask(GL_TRUE);
}

} // namespace

VolumePainter::VolumePainter(Automaton::TotalVolume &volume, VolumeSurface &surface)
    : m_volume(volume)
    , m_surface(surface)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
}

void VolumePainter::draw(bool showSurface, bool showEdges, const Util::Vector3D &eye)
{
    Util::Vector3D position = m_volume.position();
    if (m_volume.isMoving()) {
        const Util::Vector3D offset = m_volume.moveOffset();
        position.x += offset.x;
        position.y += offset.y;
        position.z += offset.z;
    }

    GlStateScope state;
    glTranslated(position.x, position.y, position.z);
    if (!showSurface)
        return;
    const Automaton::VolumeView &view = m_volume.view();
    if (view.extractionDisplay()) {
        drawBoundingOutline();
        return;
    }
    try {
        m_surface.refreshColorsIfStale();
        // Eye in the volume's own coordinates, like the faces.
        const Util::Vector3D localEye(eye.x - position.x, eye.y - position.y, eye.z - position.z);
        switch (view.surfaceAlgorithm()) {
        case SurfaceAlgorithm::MarchingCubes:
            drawMarchingCubes(m_surface.marchingCubeSurface(), m_surface.colorMap(), m_volume.isSelected());
            break;
        case SurfaceAlgorithm::Octree:
            glEnableClientState(GL_VERTEX_ARRAY);
            drawOctree(m_surface.octreeSurface(), showEdges);
            break;
        case SurfaceAlgorithm::ParticleCountField:
            drawField(m_surface.fieldPainter(), showEdges, localEye);
            break;
        default:
            drawCubicFaces(showEdges, localEye);
            break;
        }
    } catch (const std::exception &error) {
        // Drawing allocates little (colours, one vertex batch), but a failure must not reach the
        // event loop either: the volume goes blank and the user is told like after a generation.
        m_surface.releaseAfter(error);
        return;
    }

    uint32_t width = 0;
    uint32_t height = 0;
    m_volume.upperMaskSize(width, height);
    drawMask(m_volume.upperMask(), width, height, (m_volume.sizeZ() + 5) * m_cellSize[2]);
    m_volume.lowerMaskSize(width, height);
    drawMask(m_volume.lowerMask(), width, height, -5.0f * m_cellSize[2]);
}

void VolumePainter::drawCubicFaces(bool showEdges, const Util::Vector3D &localEye)
{
    const Automaton::LatticeDisplayFlags lattice = m_volume.view().latticeFlags();
    const bool outlines = m_volume.view().renderEmptyVoxelOutlines();
    m_surface.withCubicFaces([&](const Surfaces::VolumeSurface::CubicFaceLists &lists) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        // Opaque pass from the merged mesh. Colour material tracks ambient and diffuse, so the colour
        // of each slot is the material.
        const double eye[3] = {localEye.x, localEye.y, localEye.z};
        const bool eyeKnown = localEye.x != 0.0 || localEye.y != 0.0 || localEye.z != 0.0;
        drawLatticeSolid(m_surface.latticeDisplay(), lattice);
        drawFaceMesh(lists.mesh, lists.palette, eye, eyeKnown, m_cellSize);
        if (showEdges)
            drawEdges(lists, outlines);
        drawTransparent(lists, m_surface.latticeDisplay(), lattice, localEye);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    });
}

void VolumePainter::drawMask(const QBitArray &bits, uint32_t width, uint32_t height, float z) const
{
    const uint32_t columns = std::min(width, m_volume.sizeX());
    const uint32_t rows = std::min(height, m_volume.sizeY());
    if (columns == 0 || rows == 0 || bits.isEmpty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glColor4f(0.2f, 0.8f, 0.2f, 0.3f);
    glBegin(GL_QUADS);
    for (uint32_t i = 0; i < columns; ++i) {
        for (uint32_t j = 0; j < rows; ++j) {
            const int bit = static_cast<int>(static_cast<size_t>(i) * height + j);
            if (bit >= bits.size() || !bits.testBit(bit))
                continue;
            const float x0 = i * m_cellSize[0];
            const float y0 = j * m_cellSize[1];
            const float x1 = x0 + m_cellSize[0];
            const float y1 = y0 + m_cellSize[1];
            glVertex3f(x0, y0, z);
            glVertex3f(x1, y0, z);
            glVertex3f(x1, y1, z);
            glVertex3f(x0, y1, z);
        }
    }
    glEnd();
    glPopAttrib();
}

void VolumePainter::drawForPicking()
{
    const Util::Vector3D p = m_volume.position();
    const float size[3] = {m_volume.sizeX() * m_cellSize[0], m_volume.sizeY() * m_cellSize[1],
                           m_volume.sizeZ() * m_cellSize[2]};
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    glBegin(GL_QUADS);
    for (unsigned f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) {
            const float *c = Geometry::FaceTable::corners[f][k];
            glVertex3f(c[0] * size[0], c[1] * size[1], c[2] * size[2]);
        }
    }
    glEnd();
    glPopMatrix();
}

void VolumePainter::drawBoundingOutline() const
{
    const float size[3] = {m_volume.sizeX() * m_cellSize[0], m_volume.sizeY() * m_cellSize[1],
                           m_volume.sizeZ() * m_cellSize[2]};
    const Util::Vector3D outline = m_volume.outlineColor();
    glDisable(GL_LIGHTING);
    glColor4d(outline.x, outline.y, outline.z, 1.0);
    glBegin(GL_LINES);
    // The twelve edges: along each axis, one from each of the four corners of the face across it.
    for (unsigned axis = 0; axis < 3; ++axis) {
        for (unsigned corner = 0; corner < 4; ++corner) {
            float from[3];
            float to[3];
            for (unsigned a = 0, bit = 0; a < 3; ++a) {
                from[a] = a == axis ? 0.0f : ((corner >> bit++) & 1u) * size[a];
                to[a] = a == axis ? size[a] : from[a];
            }
            glVertex3fv(from);
            glVertex3fv(to);
        }
    }
    glEnd();
}

} // namespace Display
} // namespace Model
