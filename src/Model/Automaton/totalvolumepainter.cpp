#include "totalvolumepainter.h"

#include "Model/Materials/materialfactory.h"
#include "Model/gl.h"
#include "Util/failuretext.h"
#include "Util/runstage.h"
#include "edgelines.h"
#include "facebatch.h"
#include "surfacemesh.h"
#include "totalvolume.h"

#include <QBitArray>

#include <algorithm>
#include <atomic>

namespace Model {
namespace Automaton {

using Geometry::CellFace;
using Geometry::QuadFace;

namespace {

std::atomic<uint64_t> generations{0};

std::mutex probeMutex;
GenerationProbe generationProbe;

GenerationProbe currentProbe()
{
    std::lock_guard<std::mutex> lock(probeMutex);
    return generationProbe;
}

const TotalVolumePainter::Color outlineColor{0.8f, 0.8f, 0.8f, 1.0f};
const uint8_t outlineBytes[4] = {204, 204, 204, 255};

// Pushes the GL state the painter changes and pops it on every way out.
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

} // namespace

TotalVolumePainter::TotalVolumePainter(TotalVolume &volume)
    : m_volume(volume)
    , m_marchingCubes(volume)
    , m_octree(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_fieldPainter(volume)
    , m_latticeDisplay(volume)
    , m_upper{volume.sizeX(), volume.sizeY(), volume.sizeZ()}
    ,
    // The opposite of the volume's state, so that the first draw refreshes the colours.
    m_lastSelected(!volume.isSelected())
{
    setCutLimits(m_lower, m_upper);
}

TotalVolumePainter::~TotalVolumePainter() = default;

uint64_t TotalVolumePainter::generationCount() { return generations.load(); }

void TotalVolumePainter::setGenerationProbe(const GenerationProbe &probe)
{
    std::lock_guard<std::mutex> lock(probeMutex);
    generationProbe = probe;
}

void TotalVolumePainter::setCutLimits(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper)
{
    const uint32_t size[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    std::lock_guard<std::mutex> lock(m_limitMutex);
    for (int i = 0; i < 3; ++i) {
        m_upper[i] = std::min(upper[i], size[i]);
        m_lower[i] = std::min(lower[i], m_upper[i]);
    }
    m_planes = {Util::Vector4D(-1, 0, 0, m_lower[0]), Util::Vector4D(1, 0, 0, -double(m_upper[0])),
                Util::Vector4D(0, -1, 0, m_lower[1]), Util::Vector4D(0, 1, 0, -double(m_upper[1])),
                Util::Vector4D(0, 0, -1, m_lower[2]), Util::Vector4D(0, 0, 1, -double(m_upper[2]))};
}

void TotalVolumePainter::cutLimits(std::array<uint32_t, 3> &lower, std::array<uint32_t, 3> &upper) const
{
    std::lock_guard<std::mutex> lock(m_limitMutex);
    lower = m_lower;
    upper = m_upper;
}

std::array<Util::Vector4D, 6> TotalVolumePainter::clippingPlanes() const
{
    std::lock_guard<std::mutex> lock(m_limitMutex);
    return m_planes;
}

CellWindow TotalVolumePainter::window() const
{
    CellWindow window;
    std::lock_guard<std::mutex> lock(m_limitMutex);
    for (int i = 0; i < 3; ++i) {
        window.lower[i] = m_lower[i];
        window.upper[i] = m_upper[i];
    }
    return window;
}

TotalVolumePainter::ColorMap TotalVolumePainter::catalogueColors()
{
    ColorMap map;
    map[0] = Color{0, 0, 0, 0};
    for (const auto &material : Materials::MaterialFactory::instance()->getMaterials()) {
        if (material.id() != 0)
            map[material.id()] = material.color();
    }
    return map;
}

bool TotalVolumePainter::regenerateSurface(Util::RunControl *control)
{
    // Surface, outlines, then the field and lattice displays.
    Util::RunStage stage(control, 3);
    try {
        // Only the selected surface is built; the others give their memory back.
        switch (m_surfaceAlgorithm) {
        case 1:
            releaseCubicFaces();
            m_octree.release();
            regenerateMarchingCubes();
            break;
        case 2:
            releaseCubicFaces();
            m_marchingCubes.release();
            regenerateOctree();
            break;
        default:
            // The particle count field view (3) keeps the cubic faces too: an export writes them.
            m_marchingCubes.release();
            m_octree.release();
            regenerateCubicFaces();
            break;
        }
        stage.advance();
        if (m_renderEmptyVoxelOutlines) {
            regenerateOutlines();
        } else {
            std::lock_guard<std::mutex> lock(m_listMutex);
            std::vector<CellFace>().swap(m_outlines);
        }
        stage.advance();
        if (m_surfaceAlgorithm == 3)
            m_fieldPainter.generate(window(), catalogueColors(), m_volume.isSelected());
        else
            m_fieldPainter.release();
        // The lattice display: atoms, links and unit cells of the silicon lattice.
        m_latticeDisplay.regenerate(window());
        const QString notice = m_latticeDisplay.takeNotice();
        if (!notice.isEmpty()) {
            std::lock_guard<std::mutex> lock(m_listMutex);
            m_failure = notice;
        }
        stage.advance();
        return true;
    } catch (const std::exception &error) {
        // Out of memory (or another failure) must not reach the event loop; an empty surface is
        // consistent, and the user is told through takeSurfaceFailure().
        releaseSurface();
        recordFailure(error);
        return false;
    }
}

void TotalVolumePainter::recordFailure(const std::exception &error)
{
    const QString text = Util::failureText(error, QStringLiteral("draw the surface of this cell volume"));
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_failure = text;
}

QString TotalVolumePainter::takeSurfaceFailure()
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    QString failure;
    failure.swap(m_failure);
    return failure;
}

void TotalVolumePainter::releaseSurface()
{
    m_marchingCubes.release();
    m_octree.release();
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<CellFace>().swap(m_opaque);
    std::vector<CellFace>().swap(m_outlines);
    m_tree.reset();
    m_mesh = FaceMesh();
    m_palette = FacePalette();
    m_fieldPainter.release();
    m_latticeDisplay.release();
}

void TotalVolumePainter::releaseCubicFaces()
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<CellFace>().swap(m_opaque);
    m_tree.reset();
    m_mesh = FaceMesh();
    m_palette = FacePalette();
}

TotalVolumePainter::ColorMap TotalVolumePainter::adoptCatalogueColors()
{
    const uint64_t revision = Materials::MaterialFactory::instance()->revision();
    ColorMap map = catalogueColors();
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_colorMap = map;
    m_lastSelected = m_volume.isSelected();
    m_catalogueRevision = revision;
    return map;
}

void TotalVolumePainter::regenerateMarchingCubes()
{
    ++generations;
    adoptCatalogueColors(); // marching cubes look their colours up when drawn
    std::array<uint32_t, 3> lower;
    std::array<uint32_t, 3> upper;
    cutLimits(lower, upper);
    m_marchingCubes.generate(lower, upper, currentProbe());
}

void TotalVolumePainter::regenerateOctree()
{
    ++generations;
    const ColorMap map = adoptCatalogueColors();
    std::array<uint32_t, 3> lower;
    std::array<uint32_t, 3> upper;
    cutLimits(lower, upper);
    m_octree.generate(lower, upper, map, currentProbe());
    m_octree.recolor(map, m_volume.isSelected());
}

void TotalVolumePainter::regenerateCubicFaces()
{
    ++generations;
    const uint64_t revision = Materials::MaterialFactory::instance()->revision();
    ColorMap map = catalogueColors();
    const CellWindow cells = window();
    const bool selected = m_volume.isSelected();
    {
        // The old surface goes first: holding old and new at once would double the peak memory.
        std::lock_guard<std::mutex> lock(m_listMutex);
        std::vector<CellFace>().swap(m_opaque);
        m_tree.reset();
        m_mesh = FaceMesh();
    }

    FacePalette palette(map);
    CubicFaces faces;
    {
        CellLock lock(m_volume);
        CubicFaceGenerator generator(lock.cells(), m_volume.sizeX(), m_ny, m_nz, cells, palette, m_cellSize);
        generator.setProbe(currentProbe());
        faces = generator.run();
    }
    Geometry::BSPTreePtr tree = Geometry::BSPTree::build(std::move(faces.transparent), m_cellSize);
    palette.recolor(map, selected);

    std::lock_guard<std::mutex> lock(m_listMutex);
    m_colorMap = std::move(map);
    m_palette = std::move(palette);
    m_opaque = std::move(faces.opaque);
    m_tree = std::move(tree);
    m_mesh = std::move(faces.mesh);
    m_lastSelected = selected;
    m_catalogueRevision = revision;
    m_lastTaskCount = faces.taskCount;
}

void TotalVolumePainter::regenerateOutlines()
{
    const CellWindow cells = window();
    {
        std::lock_guard<std::mutex> lock(m_listMutex);
        std::vector<CellFace>().swap(m_outlines);
    }
    std::vector<CellFace> outlines;
    {
        const FacePalette none;
        CellLock lock(m_volume);
        outlines =
            CubicFaceGenerator(lock.cells(), m_volume.sizeX(), m_ny, m_nz, cells, none, m_cellSize).emptyCellOutlines();
    }
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_outlines = std::move(outlines);
}

void TotalVolumePainter::refreshColors()
{
    const uint64_t revision = Materials::MaterialFactory::instance()->revision();
    ColorMap map = catalogueColors();
    const bool selected = m_volume.isSelected();
    m_fieldPainter.recolor(map, selected);
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_colorMap = std::move(map);
    // Always from the material's own colour: highlighting the current colours again would undo
    // the highlight when a selected volume is refreshed twice.
    m_palette.recolor(m_colorMap, selected);
    m_octree.recolor(m_colorMap, selected);
    m_lastSelected = selected;
    m_catalogueRevision = revision;
}

void TotalVolumePainter::refreshColorsIfStale()
{
    const bool selected = m_volume.isSelected();
    const uint64_t revision = Materials::MaterialFactory::instance()->revision();
    bool stale = false;
    {
        std::lock_guard<std::mutex> lock(m_listMutex);
        stale = selected != m_lastSelected || revision != m_catalogueRevision;
    }
    if (stale)
        refreshColors();
}

size_t TotalVolumePainter::opaqueFaceCount() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_opaque.size();
}

size_t TotalVolumePainter::transparentFaceCount() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_tree ? m_tree->faces().size() : 0;
}

size_t TotalVolumePainter::emptyCellOutlineCount() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_outlines.size();
}

QuadFace TotalVolumePainter::quadFace(const CellFace &face, bool outline) const
{
    const float origin[3] = {float(face.x), float(face.y), float(face.z)};
    if (outline)
        return QuadFace::cellFace(origin, m_cellSize, face.face(), outlineColor, 0);
    return QuadFace::cellFace(origin, m_cellSize, face.face(), m_palette.color(face.slot()),
                              m_palette.material(face.slot()));
}

QuadFace TotalVolumePainter::opaqueFace(size_t i) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return quadFace(m_opaque.at(i), false);
}

QuadFace TotalVolumePainter::transparentFace(size_t i) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    if (!m_tree)
        throw std::out_of_range("no transparent faces");
    return quadFace(m_tree->faces().at(i), false);
}

std::vector<QuadFace> TotalVolumePainter::opaqueFaces() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_opaque.size());
    for (const CellFace &face : m_opaque)
        faces.push_back(quadFace(face, false));
    return faces;
}

std::vector<QuadFace> TotalVolumePainter::transparentFaces() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<QuadFace> faces;
    if (!m_tree)
        return faces;
    faces.reserve(m_tree->faces().size());
    for (const CellFace &face : m_tree->faces())
        faces.push_back(quadFace(face, false));
    return faces;
}

std::vector<QuadFace> TotalVolumePainter::emptyCellOutlines() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_outlines.size());
    for (const CellFace &face : m_outlines)
        faces.push_back(quadFace(face, true));
    return faces;
}

Geometry::BSPTreePtr TotalVolumePainter::transparentTree() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_tree;
}

TotalVolumePainter::ColorMap TotalVolumePainter::colorMap() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_colorMap;
}

size_t TotalVolumePainter::drawnQuadCount(unsigned faceNumber) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return faceNumber < 6 ? m_mesh.quadCount(faceNumber) : 0;
}

size_t TotalVolumePainter::storedBytes() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_opaque.capacity() * sizeof(CellFace) + (m_tree ? m_tree->storedBytes() : 0) + m_mesh.storedBytes() +
           m_outlines.capacity() * sizeof(CellFace) + m_palette.storedBytes() + m_marchingCubes.storedBytes() +
           m_octree.storedBytes() + m_fieldPainter.storedBytes();
}

void TotalVolumePainter::appendShownSurface(SurfaceMesh &mesh) const
{
    // The materials' own colours: a highlight is not part of the surface.
    const ColorMap colors = catalogueColors();
    switch (m_surfaceAlgorithm) {
    case 1:
        m_marchingCubes.appendTo(mesh, colors);
        return;
    case 2:
        m_octree.appendTo(mesh, colors);
        return;
    default:
        break;
    }
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<SurfaceMesh::Rgb> slotColors(m_palette.size());
    for (uint32_t slot = 0; slot < slotColors.size(); ++slot) {
        const auto it = colors.find(m_palette.material(slot));
        slotColors[slot] = SurfaceMesh::rgb(it != colors.end() ? it->second : Color{0, 0, 0, 1});
    }
    for (const CellFace &face : m_opaque)
        mesh.addFace(face, slotColors[face.slot()]);
    if (m_tree) {
        for (const CellFace &face : m_tree->faces())
            mesh.addFace(face, slotColors[face.slot()]);
    }
}

void TotalVolumePainter::draw(bool showSurface, bool showEdges, const Util::Vector3D &eye)
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
    if (m_extractionDisplay) {
        drawBoundingOutline();
        return;
    }
    try {
        refreshColorsIfStale();
        if (m_surfaceAlgorithm == 1) {
            m_marchingCubes.draw(colorMap(), m_volume.isSelected());
        } else if (m_surfaceAlgorithm == 2) {
            glEnableClientState(GL_VERTEX_ARRAY);
            m_octree.draw(showEdges);
        } else if (m_surfaceAlgorithm == 3) {
            m_fieldPainter.draw(showEdges, Util::Vector3D(eye.x - position.x, eye.y - position.y, eye.z - position.z));
        } else {
            std::lock_guard<std::mutex> lock(m_listMutex);
            // Eye in the volume's own coordinates, like the faces.
            drawSurfaces(showEdges, Util::Vector3D(eye.x - position.x, eye.y - position.y, eye.z - position.z));
        }
    } catch (const std::exception &error) {
        // Drawing allocates little (colours, one vertex batch), but a failure must not reach the
        // event loop either: the volume goes blank and the user is told like after a generation.
        releaseSurface();
        recordFailure(error);
        return;
    }

    uint32_t width = 0;
    uint32_t height = 0;
    m_volume.upperMaskSize(width, height);
    drawMask(m_volume.upperMask(), width, height, (m_volume.sizeZ() + 5) * m_cellSize[2]);
    m_volume.lowerMaskSize(width, height);
    drawMask(m_volume.lowerMask(), width, height, -5.0f * m_cellSize[2]);
}

void TotalVolumePainter::drawSurfaces(bool showEdges, const Util::Vector3D &localEye)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    // Opaque pass from the merged mesh. Colour material tracks ambient and diffuse, so the colour
    // of each slot is the material.
    const double eye[3] = {localEye.x, localEye.y, localEye.z};
    const bool eyeKnown = localEye.x != 0.0 || localEye.y != 0.0 || localEye.z != 0.0;
    m_latticeDisplay.drawSolid();
    m_mesh.draw(m_palette, eye, eyeKnown, m_cellSize);
    if (showEdges)
        drawEdges();
    drawTransparent(localEye);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

void TotalVolumePainter::drawEdges()
{
    // Made before the attributes are pushed: if it cannot get its buffer, nothing is left pushed.
    FaceBatch batch(m_cellSize, false);
    EdgeLines lines;
    glEnableClientState(GL_COLOR_ARRAY);
    // Edges outline every cell face, so they come from the face records, not the merged mesh.
    for (const CellFace &face : m_opaque)
        batch.add(face, m_palette.colorBytes(face.slot()).data());
    if (m_tree) {
        for (const CellFace &face : m_tree->faces())
            batch.add(face, m_palette.colorBytes(face.slot()).data());
    }
    if (m_renderEmptyVoxelOutlines) {
        for (const CellFace &face : m_outlines)
            batch.add(face, outlineBytes);
    }
    batch.flush();
    glDisableClientState(GL_COLOR_ARRAY);
}

void TotalVolumePainter::drawTransparent(const Util::Vector3D &localEye)
{
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    m_latticeDisplay.drawTransparent();
    if (!m_tree) {
        glDepthMask(GL_TRUE);
        return;
    }
    const GLfloat specular[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glEnableClientState(GL_COLOR_ARRAY);
    {
        FaceBatch batch(m_cellSize, true);
        const std::vector<CellFace> &faces = m_tree->faces();
        m_tree->backToFront(localEye, [&](size_t begin, size_t end) {
            for (size_t i = begin; i < end; ++i)
                batch.add(faces[i], m_palette.colorBytes(faces[i].slot()).data());
        });
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDepthMask(GL_TRUE);
}

void TotalVolumePainter::drawMask(const QBitArray &bits, uint32_t width, uint32_t height, float z) const
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

void TotalVolumePainter::drawForPicking()
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

void TotalVolumePainter::drawBoundingOutline() const
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

} // namespace Automaton
} // namespace Model
