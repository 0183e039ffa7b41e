// The 3D view as a reader sees it: lighting that never washes faces out, cut faces set apart from
// real surfaces, clip planes that follow the scene while zooming, atoms that stay visible, and a
// field legend that names its quantity and unit.
#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Volume/totalvolume.h"
#include "UI/glwidget.h"
#include "Util/vector4d.h"
#include "catalogtesthome.h"
#include "screenshots.h"
#include "volumetesthelpers.h"

#include <QWheelEvent>
#include <QtTest>

#include <algorithm>

using Model::Automaton::TotalVolume;
using Model::Materials::MaterialFactory;
using Ui::GLWidget;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Pdms = 13; // white in the catalogue

std::shared_ptr<TotalVolume> block(uint32_t nx, uint32_t ny, uint32_t nz, double x, double y, uint32_t material)
{
    return std::make_shared<TotalVolume>(nx, ny, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(x, y, 0), material);
}

bool isBackground(QRgb pixel) { return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0; }
int brightest(QRgb pixel) { return std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}); }

void sendWheel(QWidget &widget, int delta)
{
    const QPoint at(10, 10);
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// Pixels of the frame that are not background.
int drawnPixels(const QImage &frame)
{
    int drawn = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            drawn += isBackground(frame.pixel(x, y)) ? 0 : 1;
    return drawn;
}

} // namespace

class tst_ReadableView : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::unique_ptr<GLWidget> m_view;

    void add(const std::shared_ptr<TotalVolume> &volume)
    {
        m_workspace->regenerateSurface(volume);
        m_workspace->document().addObject(volume);
    }
    // The pixel at a fraction of the frame's width and height.
    QRgb at(const QImage &frame, double x, double y) const
    {
        return frame.pixel(int(x * frame.width()), int(y * frame.height()));
    }

private slots:
    void init()
    {
        Util::ColorTable::setCurrentScheme(0);
        MaterialFactory::instance()->createDefaultMaterials();
        m_workspace = std::make_unique<Core::Workspace>();
        m_view = std::make_unique<GLWidget>(*m_workspace);
        m_view->resize(400, 320);
        m_view->setShowAxes(false);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup()
    {
        m_view.reset();
        m_workspace.reset();
    }

    // A white block from the usual slanted view: no face reaches white, and the faces of its three
    // visible orientations differ in brightness. From the top the top face is not white either.
    void facesAreShadedByOrientationWithoutWashingOut()
    {
        add(block(40, 40, 20, -20, -20, Pdms));
        QVERIFY(m_view->fitToVolumes());
        const QImage slanted = m_view->frontBuffer();
        saveShot(slanted, QStringLiteral("lighting-slanted"));
        int lightest = 0, darkest = 255;
        for (int y = 0; y < slanted.height(); ++y)
            for (int x = 0; x < slanted.width(); ++x) {
                const QRgb p = slanted.pixel(x, y);
                if (isBackground(p))
                    continue;
                lightest = std::max(lightest, brightest(p));
                darkest = std::min(darkest, brightest(p));
            }
        QVERIFY2(lightest < 250, qPrintable(QString::number(lightest)));
        QVERIFY2(lightest - darkest > 40, qPrintable(QStringLiteral("%1 to %2").arg(darkest).arg(lightest)));

        m_view->setStandardView(QStringLiteral("top"));
        QVERIFY(m_view->fitToVolumes());
        const QImage top = m_view->frontBuffer();
        saveShot(top, QStringLiteral("lighting-top"));
        const QRgb centre = at(top, 0.5, 0.5);
        QVERIFY2(!isBackground(centre) && brightest(centre) < 250, qPrintable(QString::number(centre, 16)));
    }

    // Two silicon blocks 5 cells high from the top: the left one is a 10-cell block cut in half, so
    // its top is a cut face, darker than the real top of the right one.
    void cutFacesAreDarkerThanRealSurfaces()
    {
        m_view->setStandardView(QStringLiteral("top"));
        auto cut = block(40, 40, 10, -45, -20, Si);
        cut->view().setCutLimits({0, 0, 0}, {40, 40, 5});
        add(cut);
        add(block(40, 40, 5, 5, -20, Si));
        QVERIFY(m_view->fitToVolumes());
        const QImage frame = m_view->frontBuffer();
        saveShot(frame, QStringLiteral("cut-faces"));
        const QRgb dark = at(frame, 0.27, 0.5);
        const QRgb plain = at(frame, 0.73, 0.5);
        QVERIFY(!isBackground(dark) && !isBackground(plain));
        QVERIFY2(brightest(dark) < brightest(plain) * 3 / 4,
                 qPrintable(QStringLiteral("%1 and %2").arg(dark, 0, 16).arg(plain, 0, 16)));
    }

    // A sealed cavity cut open through its middle: seen head-on, its walls are real surfaces in the
    // material's colour inside the darker cut face around them.
    void aSealedCavityShowsHeadOn()
    {
        m_view->setStandardView(QStringLiteral("top"));
        auto volume = makeVolume(40, 40, 20, [](uint32_t x, uint32_t y, uint32_t z) {
            return x >= 10 && x < 30 && y >= 10 && y < 30 && z >= 5 && z < 15 ? 0u : Si;
        });
        volume->translate(Util::Vector4D(-20, -20, 0, 0));
        volume->view().setCutLimits({0, 0, 0}, {40, 40, 10});
        add(volume);
        QVERIFY(m_view->fitToVolumes());
        const QImage frame = m_view->frontBuffer();
        saveShot(frame, QStringLiteral("cut-cavity"));
        QVERIFY(brightest(at(frame, 0.5, 0.5)) > brightest(at(frame, 0.5, 0.12)) * 4 / 3);
    }

    // Fifty wheel steps in (a zoom of 117) still draw the block: the clip planes follow the scene.
    void wheelZoomNeverCutsIntoTheScene()
    {
        add(block(40, 40, 10, -20, -20, Si));
        QVERIFY(m_view->fitToVolumes());
        for (int step = 0; step < 50; ++step)
            sendWheel(*m_view, 120);
        QVERIFY(m_view->zoom() > 100.0);
        const QImage frame = m_view->frontBuffer();
        saveShot(frame, QStringLiteral("zoom-50-steps"));
        QVERIFY(!isBackground(at(frame, 0.5, 0.5)));
    }

    // Atoms of an invisible silicon block at two pixels a cell still cover the block's face.
    void latticeAtomsStayVisibleWhenZoomedOut()
    {
        m_view->setStandardView(QStringLiteral("top"));
        auto ghost = MaterialFactory::instance()->getMaterial(Si);
        ghost.setColor(0.5f, 0.5f, 0.5f, 0.0f);
        MaterialFactory::instance()->setMaterial(ghost);
        auto volume = block(20, 20, 2, -10, -10, Si);
        volume->createSiLattice();
        Model::Automaton::LatticeDisplayFlags flags;
        flags.renderSiAtoms = true;
        volume->view().setLatticeFlags(flags);
        add(volume);
        m_view->setAxisPosition(0, 0, -1);
        m_view->setZoom(2.0);
        const QImage frame = m_view->frontBuffer();
        saveShot(frame, QStringLiteral("lattice-atoms"));
        // The block is 40 x 40 pixels (of the widget) at the centre.
        const double ratio = double(frame.width()) / m_view->width();
        const int covered = drawnPixels(frame);
        QVERIFY2(covered > int(0.8 * 40 * 40 * ratio * ratio), qPrintable(QString::number(covered)));
    }

    // The legend of the field view names the field and its unit; its bar starts light.
    void legendNamesTheFieldAndItsUnit()
    {
        m_view->setStandardView(QStringLiteral("top"));
        auto volume = makeVolume(40, 40, 10, [](uint32_t, uint32_t, uint32_t z) { return z < 8 ? Si : 0u; });
        volume->translate(Util::Vector4D(-20.0, -20.0, 0.0, 0.0));
        Core::Operations::RandomWalkDoping walk(*volume, 15, 0.125, 1.0, 1.0, 100.0, 1.0e9);
        walk.setDopableMaterials({Si});
        walk.setSeed(5);
        walk.dope(20.0);
        volume->view().setParticleDistribution(1);
        volume->view().setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::ParticleCountField);
        volume->view().setCutLimits({0, 20, 0}, {40, 40, 10});
        add(volume);
        m_view->setView(-60, 0, 30);
        QVERIFY(m_view->fitToVolumes());
        const QImage frame = m_view->frontBuffer();
        saveShot(frame, QStringLiteral("field-legend"));
        QCOMPARE(m_view->legendQuantity(), QStringLiteral("Random Walk Particle Count Type P"));
        QCOMPARE(m_view->legendUnit(), QStringLiteral("particles per cell"));
        // The foot of the bar (the fewest particles) is light.
        const int barX = frame.width() - 40 * frame.width() / m_view->width();
        QVERIFY(brightest(frame.pixel(barX, frame.height() * 88 / 100)) > 200);
    }
};

QTEST_MAIN(tst_ReadableView)
#include "tst_readableview.moc"
