#include "Model/Display/gl.h"
#include "Model/Display/volumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/silatticedisplay.h"
#include "Model/Surfaces/volumesurface.h"
#include "Model/Volume/totalvolume.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <tuple>

using namespace Model::Automaton;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Surfaces::VolumeSurface;

using Pixel = std::array<int, 3>;

namespace {
enum : uint32_t { Si = 1, Solid = 201, ClearA = 202, ClearB = 203 };

void defineMaterials()
{
    auto factory = MaterialFactory::instance();
    // Silicon is invisible so that its cell faces hide none of the lattice.
    factory->setMaterial(Material(Si, "Si", 1, 1, 0.1f, {0.5f, 0.5f, 0.5f, 0.0f}));
    factory->setMaterial(Material(Solid, "Solid", 1, 1, 0.1f, {0.8f, 0.2f, 0.1f, 1.0f}));
    factory->setMaterial(Material(ClearA, "Clear A", 1, 1, 0.1f, {0.2f, 0.2f, 1.0f, 0.5f}));
    factory->setMaterial(Material(ClearB, "Clear B", 1, 1, 0.1f, {1.0f, 1.0f, 0.2f, 0.3f}));
}

// An off-screen frame buffer drawing a volume looking down z at [0, extent]^2, unlit: pixels show plain colours.
class Canvas {
public:
    explicit Canvas(int size = 32)
        : m_size(size)
    {
        m_surface.create();
        if (!m_surface.isValid() || !m_context.create() || !m_context.makeCurrent(&m_surface))
            return;
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        m_fbo = std::make_unique<QOpenGLFramebufferObject>(size, size, format);
        if (!m_fbo->isValid() || !m_fbo->bind())
            m_fbo.reset();
    }
    bool isValid() const { return m_fbo != nullptr; }

    std::vector<Pixel> draw(TotalVolume &volume, VolumeSurface &surface, double extent = 1, bool depthTest = false)
    {
        glViewport(0, 0, m_size, m_size);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        if (depthTest)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glOrtho(0, extent, 0, extent, -10, 10);
        Model::Display::VolumePainter(volume, surface).draw(true, false, Util::Vector3D(extent / 2, extent / 2, 100));
        glFinish();
        std::vector<uint8_t> rgba(size_t(m_size) * m_size * 4);
        glReadPixels(0, 0, m_size, m_size, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        m_pixels.clear();
        for (size_t p = 0; p < rgba.size(); p += 4)
            m_pixels.push_back({rgba[p], rgba[p + 1], rgba[p + 2]});
        return m_pixels;
    }
    // The pixel in the middle of the last drawing, as drawn (no conversion of alpha).
    Pixel middle() const { return m_pixels[size_t(m_size / 2 * m_size + m_size / 2)]; }

private:
    int m_size;
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
    std::vector<Pixel> m_pixels;
};

bool near(const Pixel &pixel, const Pixel &expected, int tolerance = 4)
{
    for (size_t i = 0; i < 3; ++i) {
        if (std::abs(pixel[i] - expected[i]) > tolerance)
            return false;
    }
    return true;
}

int count(const std::vector<Pixel> &pixels, const Pixel &colour)
{
    return int(std::count_if(pixels.begin(), pixels.end(), [&](const Pixel &p) { return near(p, colour, 3); }));
}

Pixel bytes(const std::array<float, 4> &c)
{
    return {int(std::lround(c[0] * 255)), int(std::lround(c[1] * 255)), int(std::lround(c[2] * 255))};
}

QByteArray text(const Pixel &pixel)
{
    return QByteArray::number(pixel[0]) + ", " + QByteArray::number(pixel[1]) + ", " + QByteArray::number(pixel[2]);
}

} // namespace

// What the volume painter puts on screen, read back from an off-screen frame buffer.
class tst_VolumeDrawing : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase()
    {
        Canvas canvas;
        if (!canvas.isValid())
            QSKIP("needs an OpenGL context (a display or Xvfb)");
    }

    void init() { defineMaterials(); }

    void unselectedVolumeTakesANewColourAtTheNextDraw()
    {
        Canvas canvas;
        TotalVolume volume(1, 1, 1, 1, 1, 1, Util::Vector3D(), Solid);
        VolumeSurface surface(volume);
        surface.regenerate();
        canvas.draw(volume, surface);
        QVERIFY2(near(canvas.middle(), {204, 51, 26}), text(canvas.middle()));
        // As Manage Materials does: the catalogue changes, the volume is not selected.
        auto changed = MaterialFactory::instance()->getMaterial(Solid);
        changed.setColor(0.2f, 0.6f, 1.0f, 1.0f);
        MaterialFactory::instance()->setMaterial(changed);
        canvas.draw(volume, surface);
        QVERIFY2(near(canvas.middle(), {51, 153, 255}), text(canvas.middle()));
        // 600 cells along x overflow the mesh's 16-bit positions; the middle top must still show in its place.
        TotalVolume wide(600, 1, 1, 1, 1, 1, Util::Vector3D(-299, 0, 0), Solid);
        VolumeSurface wideSurface(wide);
        wideSurface.regenerate();
        canvas.draw(wide, wideSurface);
        QVERIFY2(near(canvas.middle(), {51, 153, 255}), text(canvas.middle()));
    }

    void transparentFacesBlendBackToFront()
    {
        // Clear A (0.2, 0.2, 1.0, alpha 0.5) under clear B (1.0, 1.0, 0.2, alpha 0.3) on black; each face blends as
        // c = alpha * colour + (1 - alpha) * c, from above A at z = 0, A and B at z = 1, B at z = 2:
        //   (0.1, 0.1, 0.5), (0.15, 0.15, 0.75), (0.405, 0.405, 0.585), (0.5835, 0.5835, 0.4695).
        Canvas canvas;
        TotalVolume volume(1, 1, 2, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{ClearA, ClearB});
        VolumeSurface surface(volume);
        surface.regenerate();
        canvas.draw(volume, surface);
        QVERIFY2(near(canvas.middle(), {149, 149, 120}), text(canvas.middle()));
    }

    void everySurfaceShowsTheVolume()
    {
        // A solid 3^3 block moved so that its column (1, 1) is the canvas: the marching-cubes top lies flat there at
        // z = 2.5, the octree's at z = 3. Solid is (0.8, 0.2, 0.1), highlighted (0.1, 0.5, 0.4).
        const std::tuple<SurfaceAlgorithm, bool, Pixel> cases[] = {
            {SurfaceAlgorithm::MarchingCubes, false, {204, 51, 26}}, {SurfaceAlgorithm::Octree, true, {26, 128, 102}}};
        for (const auto &[algorithm, selected, expected] : cases) {
            Canvas canvas;
            TotalVolume volume(3, 3, 3, 1, 1, 1, Util::Vector3D(-1, -1, 0), Solid);
            volume.setSelected(selected);
            volume.view().setSurfaceAlgorithm(algorithm);
            VolumeSurface surface(volume);
            QVERIFY(surface.regenerate());
            canvas.draw(volume, surface);
            QVERIFY2(near(canvas.middle(), expected), text(canvas.middle()));
            QCOMPARE(surface.opaqueFaceCount(), size_t(0)); // only the chosen surface is built
        }
    }

    void latticeLinksAtomsAndUnitCells()
    {
        // Looking down on a 4 x 4 column of silicon, depth test on.
        Canvas canvas(96);
        auto volume = makeVolume(4, 4, 2, [](uint32_t, uint32_t, uint32_t) { return uint32_t(Si); });
        volume->createSiLattice();
        VolumeSurface surface(*volume);
        auto drawOnly = [&](bool atoms, bool links, bool cells, bool outlines) {
            LatticeDisplayFlags flags;
            flags.renderSiAtoms = atoms;
            flags.renderSiAtomLinks = links;
            flags.renderSiUnitCells = cells;
            flags.renderSiUnitCellOutlines = outlines;
            volume->view().setLatticeFlags(flags);
            surface.regenerate();
            return canvas.draw(*volume, surface, 4, true);
        };
        auto pixels = drawOnly(false, true, false, false);
        QCOMPARE(surface.opaqueFaceCount(), size_t(0));
        QVERIFY(count(pixels, bytes(SiLatticeDisplay::linkColor)) > 200);
        QCOMPARE(count(pixels, bytes(SiLatticeDisplay::outlineColor)), 0);
        QVERIFY(count(drawOnly(false, false, false, true), bytes(SiLatticeDisplay::outlineColor)) > 200);
        // Half-transparent unit cells over black: tinted blue-violet, never another hue.
        pixels = drawOnly(false, false, true, false);
        QVERIFY(int(pixels.size()) - count(pixels, {0, 0, 0}) > int(pixels.size()) / 2);
        for (const Pixel &p : pixels)
            QVERIFY(p[2] >= p[0]);
    }
};

QTEST_MAIN(tst_VolumeDrawing)
#include "tst_volumedrawing.moc"
