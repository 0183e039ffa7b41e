#include "Model/Automaton/silatticedisplay.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/gl.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QtTest>

#include <array>
#include <memory>

using namespace Model::Automaton;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

using Pixel = std::array<int, 3>;

// Off-screen frame buffer looking down on a 4 x 4 cell column, lighting off.
class Canvas {
public:
    static constexpr int size = 96;

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

    std::vector<Pixel> draw(TotalVolume &volume)
    {
        glViewport(0, 0, size, size);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glOrtho(0, 4, 0, 4, -10, 10);
        volume.painter().draw(true, false, Util::Vector3D(2, 2, 100));
        glFinish();
        std::vector<uint8_t> rgba(size_t(size) * size * 4);
        glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<Pixel> pixels;
        for (size_t p = 0; p < rgba.size(); p += 4)
            pixels.push_back({rgba[p], rgba[p + 1], rgba[p + 2]});
        return pixels;
    }

private:
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
};

int count(const std::vector<Pixel> &pixels, const Pixel &colour)
{
    int n = 0;
    for (const Pixel &p : pixels) {
        bool same = true;
        for (int i = 0; i < 3; ++i)
            same = same && std::abs(p[size_t(i)] - colour[size_t(i)]) <= 3;
        n += same;
    }
    return n;
}

Pixel bytes(const std::array<float, 4> &c, float alpha = 1.0f)
{
    return {int(std::lround(c[0] * alpha * 255)), int(std::lround(c[1] * alpha * 255)),
            int(std::lround(c[2] * alpha * 255))};
}

LatticeDisplayFlags only(bool atoms, bool links, bool cells, bool outlines)
{
    LatticeDisplayFlags flags;
    flags.renderSiAtoms = atoms;
    flags.renderSiAtomLinks = links;
    flags.renderSiUnitCells = cells;
    flags.renderSiUnitCellOutlines = outlines;
    return flags;
}

} // namespace

// What the lattice display puts on screen, read back from an off-screen frame buffer. Silicon is
// made invisible so that its cell faces hide nothing.
class tst_LatticeDrawing : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    std::shared_ptr<TotalVolume> m_volume;

private slots:
    void initTestCase()
    {
        MaterialFactory::instance()->setMaterial(Material(1, "Si", 1, 1, 0.1f, {0.5f, 0.5f, 0.5f, 0.0f}));
        Canvas canvas;
        if (!canvas.isValid())
            QSKIP("needs an OpenGL context (a display or Xvfb)");
        m_volume = makeVolume(4, 4, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        m_volume->createSiLattice();
    }

    void linksInTheirColour()
    {
        Canvas canvas;
        m_volume->painter().setLatticeFlags(only(false, true, false, false));
        m_volume->painter().regenerateSurface();
        QVERIFY(m_volume->painter().opaqueFaceCount() == 0);
        const auto pixels = canvas.draw(*m_volume);
        QVERIFY(count(pixels, bytes(SiLatticeDisplay::linkColor)) > 200);
        QCOMPARE(count(pixels, bytes(SiLatticeDisplay::outlineColor)), 0);
    }

    void atomsAsSolids()
    {
        Canvas canvas;
        m_volume->painter().setLatticeFlags(only(true, false, false, false));
        m_volume->painter().regenerateSurface();
        const auto pixels = canvas.draw(*m_volume);
        const int lit = int(pixels.size()) - count(pixels, {0, 0, 0});
        QVERIFY2(lit > 300, qPrintable(QString::number(lit)));
        QCOMPARE(count(pixels, bytes(SiLatticeDisplay::linkColor)), 0);
    }

    void unitCellOutlinesAndTranslucentCells()
    {
        Canvas canvas;
        m_volume->painter().setLatticeFlags(only(false, false, false, true));
        m_volume->painter().regenerateSurface();
        QVERIFY(count(canvas.draw(*m_volume), bytes(SiLatticeDisplay::outlineColor)) > 200);
        m_volume->painter().setLatticeFlags(only(false, false, true, false));
        m_volume->painter().regenerateSurface();
        // Half-transparent over black: the colour at half strength where one cell face is seen.
        const auto pixels = canvas.draw(*m_volume);
        QCOMPARE(count(pixels, bytes(SiLatticeDisplay::outlineColor)), 0);
        const int tinted = int(pixels.size()) - count(pixels, {0, 0, 0});
        QVERIFY2(tinted > int(pixels.size()) / 2, qPrintable(QString::number(tinted)));
        for (const Pixel &p : pixels)
            QVERIFY(p[2] >= p[0]); // blue-violet, never another hue
    }
};

QTEST_MAIN(tst_LatticeDrawing)
#include "tst_latticedrawing.moc"
