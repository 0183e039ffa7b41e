#include "volumesurface.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/surfacemesh.h"
#include "Model/Volume/totalvolume.h"
#include "Util/failuretext.h"
#include "Util/runstage.h"

#include <algorithm>
#include <atomic>

namespace Model {
namespace Surfaces {

using Automaton::CellLock;
using Automaton::CellWindow;
using Automaton::CubicFaceGenerator;
using Automaton::FaceMesh;
using Automaton::FacePalette;
using Automaton::GenerationProbe;
using Automaton::SurfaceAlgorithm;
using Automaton::SurfaceMesh;
using Automaton::TotalVolume;
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

} // namespace

const VolumeSurface::Color VolumeSurface::outlineColor{0.8f, 0.8f, 0.8f, 1.0f};

VolumeSurface::VolumeSurface(TotalVolume &volume)
    : m_volume(volume)
    , m_marchingCubes(volume)
    , m_octree(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_fieldPainter(volume)
    , m_latticeDisplay(volume)
    ,
    // The opposite of the volume's state, so that the first draw refreshes the colours.
    m_lastSelected(!volume.isSelected())
{
}

VolumeSurface::~VolumeSurface() = default;

uint64_t VolumeSurface::generationCount() { return generations.load(); }

void VolumeSurface::setGenerationProbe(const GenerationProbe &probe)
{
    std::lock_guard<std::mutex> lock(probeMutex);
    generationProbe = probe;
}

SurfaceAlgorithm VolumeSurface::algorithm() const
{
    return m_algorithm ? *m_algorithm : m_volume.view().surfaceAlgorithm();
}

VolumeSurface::ColorMap VolumeSurface::catalogueColors()
{
    ColorMap map;
    map[0] = Color{0, 0, 0, 0};
    for (const auto &material : Materials::MaterialFactory::instance()->getMaterials()) {
        if (material.id() != 0)
            map[material.id()] = material.color();
    }
    return map;
}

bool VolumeSurface::regenerate(Util::RunControl *control)
{
    // Surface, outlines, then the field and lattice displays.
    Util::RunStage stage(control, 3);
    try {
        // Only the selected surface is built; the others give their memory back.
        const SurfaceAlgorithm shown = algorithm();
        switch (shown) {
        case SurfaceAlgorithm::MarchingCubes:
            releaseCubicFaces();
            m_octree.release();
            regenerateMarchingCubes();
            break;
        case SurfaceAlgorithm::Octree:
            releaseCubicFaces();
            m_marchingCubes.release();
            regenerateOctree();
            break;
        default:
            // The particle count field view keeps the cubic faces too: an export writes them.
            m_marchingCubes.release();
            m_octree.release();
            regenerateCubicFaces();
            break;
        }
        stage.advance();
        if (m_volume.view().renderEmptyVoxelOutlines()) {
            regenerateOutlines();
        } else {
            std::lock_guard<std::mutex> lock(m_listMutex);
            std::vector<CellFace>().swap(m_outlines);
        }
        stage.advance();
        if (shown == SurfaceAlgorithm::ParticleCountField)
            m_fieldPainter.generate(m_volume.view().window(), catalogueColors(), m_volume.isSelected());
        else
            m_fieldPainter.release();
        // The lattice display: atoms, links and unit cells of the silicon lattice.
        m_latticeDisplay.regenerate(m_volume.view().window());
        const QString notice = m_latticeDisplay.takeNotice();
        if (!notice.isEmpty()) {
            std::lock_guard<std::mutex> lock(m_listMutex);
            m_failure = notice;
        }
        stage.advance();
        return true;
    } catch (const std::exception &error) {
        // Out of memory (or another failure) must not reach the event loop; an empty surface is
        // consistent, and the user is told through takeFailure().
        release();
        recordFailure(error);
        return false;
    }
}

void VolumeSurface::recordFailure(const std::exception &error)
{
    const QString text = Util::failureText(error, QStringLiteral("draw the surface of this cell volume"));
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_failure = text;
}

void VolumeSurface::releaseAfter(const std::exception &error)
{
    release();
    recordFailure(error);
}

QString VolumeSurface::takeFailure()
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    QString failure;
    failure.swap(m_failure);
    return failure;
}

void VolumeSurface::release()
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

void VolumeSurface::releaseCubicFaces()
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<CellFace>().swap(m_opaque);
    m_tree.reset();
    m_mesh = FaceMesh();
    m_palette = FacePalette();
}

VolumeSurface::ColorMap VolumeSurface::adoptCatalogueColors()
{
    const uint64_t revision = Materials::MaterialFactory::instance()->revision();
    ColorMap map = catalogueColors();
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_colorMap = map;
    m_lastSelected = m_volume.isSelected();
    m_catalogueRevision = revision;
    return map;
}

void VolumeSurface::regenerateMarchingCubes()
{
    ++generations;
    adoptCatalogueColors(); // marching cubes look their colours up when drawn
    std::array<uint32_t, 3> lower;
    std::array<uint32_t, 3> upper;
    m_volume.view().cutLimits(lower, upper);
    m_marchingCubes.generate(lower, upper, currentProbe());
}

void VolumeSurface::regenerateOctree()
{
    ++generations;
    const ColorMap map = adoptCatalogueColors();
    std::array<uint32_t, 3> lower;
    std::array<uint32_t, 3> upper;
    m_volume.view().cutLimits(lower, upper);
    m_octree.generate(lower, upper, map, currentProbe());
    m_octree.recolor(map, m_volume.isSelected());
}

void VolumeSurface::regenerateCubicFaces()
{
    ++generations;
    const uint64_t revision = Materials::MaterialFactory::instance()->revision();
    ColorMap map = catalogueColors();
    const CellWindow cells = m_volume.view().window();
    const bool selected = m_volume.isSelected();
    {
        // The old surface goes first: holding old and new at once would double the peak memory.
        std::lock_guard<std::mutex> lock(m_listMutex);
        std::vector<CellFace>().swap(m_opaque);
        m_tree.reset();
        m_mesh = FaceMesh();
    }

    FacePalette palette(map);
    Automaton::CubicFaces faces;
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

void VolumeSurface::regenerateOutlines()
{
    const CellWindow cells = m_volume.view().window();
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

void VolumeSurface::refreshColors()
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

void VolumeSurface::refreshColorsIfStale()
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

size_t VolumeSurface::opaqueFaceCount() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_opaque.size();
}

size_t VolumeSurface::transparentFaceCount() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_tree ? m_tree->faces().size() : 0;
}

size_t VolumeSurface::emptyCellOutlineCount() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_outlines.size();
}

QuadFace VolumeSurface::quadFace(const CellFace &face, bool outline) const
{
    const float origin[3] = {float(face.x), float(face.y), float(face.z)};
    if (outline)
        return QuadFace::cellFace(origin, m_cellSize, face.face(), outlineColor, 0);
    return QuadFace::cellFace(origin, m_cellSize, face.face(), m_palette.color(face.slot()),
                              m_palette.material(face.slot()));
}

QuadFace VolumeSurface::opaqueFace(size_t i) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return quadFace(m_opaque.at(i), false);
}

QuadFace VolumeSurface::transparentFace(size_t i) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    if (!m_tree)
        throw std::out_of_range("no transparent faces");
    return quadFace(m_tree->faces().at(i), false);
}

std::vector<QuadFace> VolumeSurface::opaqueFaces() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_opaque.size());
    for (const CellFace &face : m_opaque)
        faces.push_back(quadFace(face, false));
    return faces;
}

std::vector<QuadFace> VolumeSurface::transparentFaces() const
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

std::vector<QuadFace> VolumeSurface::emptyCellOutlines() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_outlines.size());
    for (const CellFace &face : m_outlines)
        faces.push_back(quadFace(face, true));
    return faces;
}

Geometry::BSPTreePtr VolumeSurface::transparentTree() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_tree;
}

VolumeSurface::ColorMap VolumeSurface::colorMap() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_colorMap;
}

size_t VolumeSurface::drawnQuadCount(unsigned faceNumber) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return faceNumber < 6 ? m_mesh.quadCount(faceNumber) : 0;
}

size_t VolumeSurface::storedBytes() const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return m_opaque.capacity() * sizeof(CellFace) + (m_tree ? m_tree->storedBytes() : 0) + m_mesh.storedBytes() +
           m_outlines.capacity() * sizeof(CellFace) + m_palette.storedBytes() + m_marchingCubes.storedBytes() +
           m_octree.storedBytes() + m_fieldPainter.storedBytes();
}

void VolumeSurface::appendShownSurface(SurfaceMesh &mesh) const
{
    // The materials' own colours: a highlight is not part of the surface.
    const ColorMap colors = catalogueColors();
    switch (algorithm()) {
    case SurfaceAlgorithm::MarchingCubes:
        m_marchingCubes.appendTo(mesh, colors);
        return;
    case SurfaceAlgorithm::Octree:
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

void VolumeSurface::withCubicFaces(const std::function<void(const CubicFaceLists &)> &use) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    use(CubicFaceLists{m_mesh, m_palette, m_opaque, m_tree.get(), m_outlines, m_cellSize});
}

} // namespace Surfaces
} // namespace Model
