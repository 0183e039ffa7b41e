#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/gl.h"
#include "catalogtesthome.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QtTest>

#include <memory>
#include <new>

using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

using Pixel = std::array<int, 3>;

namespace {
enum : uint32_t { Solid = 201, ClearA = 202, ClearB = 203 };

void defineMaterials()
{
    auto factory = MaterialFactory::instance();
    factory->setMaterial(Material(Solid, "Solid", 1, 1, 0.1f, {0.8f, 0.2f, 0.1f, 1.0f}));
    factory->setMaterial(Material(ClearA, "Clear A", 1, 1, 0.1f, {0.2f, 0.2f, 1.0f, 0.5f}));
    factory->setMaterial(Material(ClearB, "Clear B", 1, 1, 0.1f, {1.0f, 1.0f, 0.2f, 0.3f}));
}

// An off-screen frame buffer with a current context; draws a volume with a parallel projection
// looking down (or up) the z axis, lighting off, so that pixels show the colours as given.
class Canvas {
public:
    static constexpr int size = 32;

    Canvas()
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

    // Draws the unit square column [0, 1] x [0, 1] of the volume seen from +z or from -z.
    void draw(TotalVolume &volume, bool fromAbove)
    {
        glViewport(0, 0, size, size);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (fromAbove) {
            glOrtho(0, 1, 0, 1, -10, 10);
        } else {
            glOrtho(0, 1, -1, 0, -10, 10);
            glRotatef(180, 1, 0, 0);
        }
        volume.painter().draw(true, false, Util::Vector3D(0.5, 0.5, fromAbove ? 100 : -100));
        glFinish();
    }
    // The pixel in the middle, as drawn (no conversion of alpha).
    Pixel middle() const
    {
        uint8_t rgba[4] = {};
        glReadPixels(size / 2, size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

private:
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
};

bool near(const Pixel &pixel, const Pixel &expected)
{
    for (int i = 0; i < 3; ++i) {
        if (std::abs(pixel[size_t(i)] - expected[size_t(i)]) > 4)
            return false;
    }
    return true;
}

QByteArray text(const Pixel &pixel)
{
    return QByteArray::number(pixel[0]) + ", " + QByteArray::number(pixel[1]) + ", " + QByteArray::number(pixel[2]);
}
} // namespace

Q_DECLARE_METATYPE(Pixel)

// What the painter puts on screen, read back from an off-screen frame buffer.
class tst_VolumeDrawing : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase()
    {
        defineMaterials();
        Canvas canvas;
        if (!canvas.isValid())
            QSKIP("needs an OpenGL context (a display or Xvfb)");
    }

    void init() { defineMaterials(); }

    void unselectedVolumeTakesANewColourAtTheNextDraw()
    {
        Canvas canvas;
        TotalVolume volume(1, 1, 1, 1, 1, 1, Util::Vector3D(), Solid);
        volume.painter().regenerateSurface();
        canvas.draw(volume, true);
        QVERIFY2(near(canvas.middle(), {204, 51, 26}), text(canvas.middle()));

        // As Manage Materials does: the catalogue changes, the volume is not selected.
        auto changed = MaterialFactory::instance()->getMaterial(Solid);
        changed.setColor(0.2f, 0.6f, 1.0f, 1.0f);
        MaterialFactory::instance()->setMaterial(changed);
        canvas.draw(volume, true);
        QVERIFY2(near(canvas.middle(), {51, 153, 255}), text(canvas.middle()));
        QCOMPARE(volume.painter().opaqueFaces().front().fillColor, (std::array<float, 4>{0.2f, 0.6f, 1.0f, 1.0f}));
    }

    void wideVolumesDrawWithFloatPositions()
    {
        // 600 cells along x are too many for the mesh's 16-bit positions; the middle cell's top
        // must still come out in its colour where it lies.
        Canvas canvas;
        TotalVolume volume(600, 1, 1, 1, 1, 1, Util::Vector3D(-299, 0, 0), Solid);
        volume.painter().regenerateSurface();
        canvas.draw(volume, true);
        QVERIFY2(near(canvas.middle(), {204, 51, 26}), text(canvas.middle()));
    }

    void transparentFacesBlendBackToFront_data()
    {
        QTest::addColumn<bool>("fromAbove");
        QTest::addColumn<Pixel>("expected");
        // A column of clear A (0.2, 0.2, 1.0, alpha 0.5) under clear B (1.0, 1.0, 0.2, alpha 0.3) on
        // black; each face blends as c = alpha * colour + (1 - alpha) * c. From above the faces come
        // A at z = 0, A and B at z = 1, B at z = 2:
        //   (0.1, 0.1, 0.5), (0.15, 0.15, 0.75), (0.405, 0.405, 0.585), (0.5835, 0.5835, 0.4695).
        QTest::newRow("from above") << true << Pixel{149, 149, 120};
        // From below B at z = 2, A and B at z = 1, A at z = 0:
        //   (0.3, 0.3, 0.06), (0.25, 0.25, 0.53), (0.475, 0.475, 0.431), (0.3375, 0.3375, 0.7155).
        QTest::newRow("from below") << false << Pixel{86, 86, 182};
    }
    void transparentFacesBlendBackToFront()
    {
        QFETCH(bool, fromAbove);
        QFETCH(Pixel, expected);
        Canvas canvas;
        TotalVolume volume(1, 1, 2, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{ClearA, ClearB});
        volume.painter().regenerateSurface();
        canvas.draw(volume, fromAbove);
        QVERIFY2(near(canvas.middle(), expected), text(canvas.middle()));
    }

    void everySurfaceShowsTheVolume_data()
    {
        QTest::addColumn<uint32_t>("algorithm");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<Pixel>("expected");
        // Solid is (0.8, 0.2, 0.1); highlighted (0.1, 0.5, 0.4).
        QTest::newRow("marching cubes") << 1u << false << Pixel{204, 51, 26};
        QTest::newRow("marching cubes, selected") << 1u << true << Pixel{26, 128, 102};
        QTest::newRow("octree") << 2u << false << Pixel{204, 51, 26};
        QTest::newRow("octree, selected") << 2u << true << Pixel{26, 128, 102};
    }
    void everySurfaceShowsTheVolume()
    {
        QFETCH(uint32_t, algorithm);
        QFETCH(bool, selected);
        QFETCH(Pixel, expected);
        Canvas canvas;
        // A solid 3^3 block moved so that its column (1, 1) is the canvas: the marching-cubes top
        // lies flat there at z = 2.5, the octree's at z = 3.
        TotalVolume volume(3, 3, 3, 1, 1, 1, Util::Vector3D(-1, -1, 0), Solid);
        volume.setSelected(selected);
        volume.painter().setSurfaceAlgorithm(algorithm);
        QVERIFY(volume.painter().regenerateSurface());
        canvas.draw(volume, true);
        QVERIFY2(near(canvas.middle(), expected), text(canvas.middle()));
        QCOMPARE(volume.painter().opaqueFaceCount(), size_t(0));
    }

    void aSurfaceWithoutMemoryDrawsNothing_data()
    {
        QTest::addColumn<uint32_t>("algorithm");
        QTest::newRow("cubic") << 0u;
        QTest::newRow("marching cubes") << 1u;
        QTest::newRow("octree") << 2u;
    }
    void aSurfaceWithoutMemoryDrawsNothing()
    {
        QFETCH(uint32_t, algorithm);
        Canvas canvas;
        TotalVolume volume(3, 3, 3, 1, 1, 1, Util::Vector3D(-1, -1, 0), Solid);
        volume.painter().setSurfaceAlgorithm(algorithm);
        Model::Automaton::TotalVolumePainter::setGenerationProbe([](const char *) { throw std::bad_alloc(); });
        const bool generated = volume.painter().regenerateSurface();
        Model::Automaton::TotalVolumePainter::setGenerationProbe({});
        QVERIFY(!generated);
        canvas.draw(volume, true);
        QVERIFY2(near(canvas.middle(), {0, 0, 0}), text(canvas.middle()));
        QCOMPARE(volume.painter().takeSurfaceFailure(),
                 QStringLiteral("Not enough memory to draw the surface of this cell volume."));
        QCOMPARE(volume.painter().storedBytes(),
                 TotalVolume(1, 1, 1, 1, 1, 1, Util::Vector3D(), 0u).painter().storedBytes());
    }
};

QTEST_MAIN(tst_VolumeDrawing)
#include "tst_volumedrawing.moc"
