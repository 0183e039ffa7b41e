#include "Core/Operations/randomwalkdoping.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/documentcommands.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "UI/viewfit.h"
#include "Util/vector4d.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "scripteddocumentdialogs.h"

#include <QAction>
#include <QApplication>
#include <QBitArray>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Ui::GLWidget;

namespace {

std::shared_ptr<TotalVolume> slab(double x, double y)
{
    // 40 x 40 x 10 cells of silicon with its corner at (x, y, 0).
    auto volume = std::make_shared<TotalVolume>(40, 40, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(x, y, 0), 1u);
    volume->painter().regenerateSurface();
    return volume;
}

void sendMouse(QWidget &widget, QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(&widget, &event);
}

void sendWheel(QWidget &widget, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPoint at(10, 10);
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

bool isBackground(QRgb pixel) { return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0; }

} // namespace

class tst_GLWidget : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::unique_ptr<GLWidget> m_view;

private slots:
    void init()
    {
        Util::ColorTable::setCurrentScheme(0);
        m_workspace = std::make_unique<Core::Workspace>();
        m_view = std::make_unique<GLWidget>(*m_workspace);
        m_view->resize(200, 160);
        m_view->setShowAxes(false);
        m_view->setStandardView(QStringLiteral("top"));
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup()
    {
        m_view.reset();
        m_workspace.reset();
    }

    void frameShowsTheVolumeWhereItIs()
    {
        // Seen from the top, the slab covers the centre of the view and leaves the corners empty.
        m_workspace->document().addObject(slab(-20, -20));
        const QImage frame = m_view->frontBuffer();
        QVERIFY(!frame.isNull());
        const QPoint centre(frame.width() / 2, frame.height() / 2);
        QVERIFY(!isBackground(frame.pixel(centre)));
        QVERIFY(isBackground(frame.pixel(2, 2)));
        QVERIFY(isBackground(frame.pixel(frame.width() - 3, frame.height() - 3)));
        // 40 cells at zoom 1 are 40 pixels: 25 pixels right of the centre is outside.
        QVERIFY(isBackground(frame.pixel(centre + QPoint(25 * frame.width() / 200, 0))));
    }

    void masksShowAsTranslucentGreen()
    {
        // An empty volume with its upper mask set on the left half of the columns.
        auto volume = std::make_shared<TotalVolume>(40, 40, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(-20, -20, 0), 0u);
        QBitArray bits(40 * 40);
        for (int i = 0; i < 20; ++i)
            for (int j = 0; j < 40; ++j)
                bits.setBit(i * 40 + j);
        volume->setUpperMask(bits, 40, 40);
        volume->painter().regenerateSurface();
        m_workspace->document().addObject(volume);
        const QImage frame = m_view->frontBuffer();
        const QPoint centre(frame.width() / 2, frame.height() / 2);
        const QRgb masked = frame.pixel(centre - QPoint(10 * frame.width() / 200, 0));
        QVERIFY(qGreen(masked) > qRed(masked) && qGreen(masked) > qBlue(masked));
        QVERIFY(isBackground(frame.pixel(centre + QPoint(10 * frame.width() / 200, 0))));
    }

    void edgesAndLightingOptionsStillDraw()
    {
        m_workspace->document().addObject(slab(-20, -20));
        m_view->setRenderObjectEdges(true);
        m_view->setLighting(false);
        m_view->setRenderGrid(true);
        m_view->setShowLamps(true);
        m_view->setLegend(std::vector<std::array<float, 4>>(256, {1, 0, 0, 1}), 0.0f, 1.0f);
        const QImage frame = m_view->frontBuffer();
        QVERIFY(!isBackground(frame.pixel(frame.width() / 2, frame.height() / 2)));
        QVERIFY(m_view->legendShown());
    }

    void fieldViewShowsScaleColoursAndItsLegend()
    {
        // Silicon 8 cells deep under empty space, doped for 20 steps: the top cells hold the
        // surface count, the largest of the volume, so red-to-blue paints them blue.
        auto volume = std::make_shared<TotalVolume>(40, 40, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(-20, -20, 0), 0u);
        {
            Model::Automaton::CellLock lock(*volume);
            for (uint32_t x = 0; x < 40; ++x)
                for (uint32_t y = 0; y < 40; ++y)
                    for (uint32_t z = 0; z < 8; ++z)
                        lock.cells()[volume->index(x, y, z)].setState(1);
        }
        Core::Operations::RandomWalkDoping walk(*volume, 15, 0.125, 1.0, 1.0, 100.0, 1.0e9);
        walk.setDopableMaterials({1});
        walk.setSeed(5);
        QCOMPARE(walk.dope(20.0), uint64_t(20));
        // P-doped silicon writes the P counts: the view shows that distribution.
        volume->painter().setParticleDistribution(1);
        volume->painter().setColorScaleType(1);
        volume->painter().setSurfaceAlgorithm(3);
        volume->painter().regenerateSurface();
        m_workspace->document().addObject(volume);
        QVERIFY(!m_view->legendShown());

        const QImage frame = m_view->frontBuffer();
        const Model::Automaton::ColorScale scale = volume->painter().fieldPainter().colorScale();
        QCOMPARE(scale.minimum(), 0.0f);
        QCOMPARE(scale.maximum(), 100.0f);
        QVERIFY(m_view->legendShown());
        QCOMPARE(m_view->legendMinimum(), scale.minimum());
        QCOMPARE(m_view->legendMaximum(), scale.maximum());
        const QRgb top = frame.pixel(frame.width() / 2, frame.height() / 2);
        QVERIFY2(qBlue(top) > 2 * qRed(top) && qBlue(top) > 2 * qGreen(top), qPrintable(QString::number(top, 16)));
        // The legend's bar at the right edge: the lowest value red at its foot, the highest blue at its head.
        const int barX = frame.width() - 40 * frame.width() / m_view->width();
        const QRgb foot = frame.pixel(barX, frame.height() * 88 / 100);
        const QRgb head = frame.pixel(barX, frame.height() * 12 / 100);
        QVERIFY2(qRed(foot) > 200 && qBlue(foot) < 60, qPrintable(QString::number(foot, 16)));
        QVERIFY2(qBlue(head) > 200 && qRed(head) < 60, qPrintable(QString::number(head, 16)));

        // Back to the cubic faces: the material colour, and no legend.
        volume->painter().setSurfaceAlgorithm(0);
        volume->painter().regenerateSurface();
        m_view->frontBuffer();
        QVERIFY(!m_view->legendShown());
    }

    void clickPicksTheVolumeDrawnFirst()
    {
        auto first = slab(-20, -20);
        auto second = slab(-10, -10);
        m_workspace->document().addObject(first);
        m_workspace->document().addObject(second);
        m_workspace->selection().setSelectionMode(true);
        const QPoint centre(m_view->width() / 2, m_view->height() / 2);

        sendMouse(*m_view, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
        QVERIFY(first->isSelected());
        QVERIFY(!second->isSelected());
        QCOMPARE(m_workspace->selection().selected().size(), 1);

        // Picking the same place again deselects it.
        sendMouse(*m_view, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!first->isSelected());
    }

    void dragDoesNotPick()
    {
        auto volume = slab(-20, -20);
        m_workspace->document().addObject(volume);
        m_workspace->selection().setSelectionMode(true);
        const QPoint centre(m_view->width() / 2, m_view->height() / 2);
        QSignalSpy rotations(m_view.get(), &GLWidget::rotationChanged);

        sendMouse(*m_view, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseMove, centre + QPoint(30, 0), Qt::NoButton, Qt::LeftButton);
        // A drag to the right turns the scene about the screen's vertical axis.
        QVERIFY(qAbs(m_view->camera().rotationY()) > 1.0);
        sendMouse(*m_view, QEvent::MouseMove, centre + QPoint(5, 0), Qt::NoButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseButtonRelease, centre + QPoint(5, 0), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!volume->isSelected());
        QVERIFY(!m_view->isClicked());
        QCOMPARE(rotations.count(), 3);
    }

    void clickOutsideSelectionModeDoesNotPick()
    {
        auto volume = slab(-20, -20);
        m_workspace->document().addObject(volume);
        const QPoint centre(m_view->width() / 2, m_view->height() / 2);
        sendMouse(*m_view, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
        QVERIFY(!volume->isSelected());
    }

    void wheelForwardAndBackRestoresTheZoom()
    {
        QSignalSpy zooms(m_view.get(), &GLWidget::zoomChanged);
        sendWheel(*m_view, 120);
        QVERIFY(qFuzzyCompare(m_view->zoom(), 1.1));
        sendWheel(*m_view, -120);
        QVERIFY(qFuzzyCompare(m_view->zoom(), 1.0));
        sendWheel(*m_view, -240);
        sendWheel(*m_view, 240);
        QVERIFY(qFuzzyCompare(m_view->zoom(), 1.0));
        QCOMPARE(zooms.count(), 4);
        QVERIFY(qFuzzyCompare(zooms.first().first().toDouble(), 110.0));
        QVERIFY(qFuzzyCompare(GLWidget::wheelFactor(120) * GLWidget::wheelFactor(-120), 1.0));
    }

    void shiftWheelSetsTheActiveLampRadius()
    {
        QSignalSpy lamps(m_view.get(), &GLWidget::lampPositionChanged);
        m_view->lamps().setPolar(1, 0.5, 0.3, 0.4);
        sendWheel(*m_view, 120, Qt::ShiftModifier);
        QCOMPARE(m_view->lamps().lamp(1).radius, 2.0);
        QCOMPARE(m_view->zoom(), 1.0);
        sendWheel(*m_view, 120, Qt::ShiftModifier);
        QVERIFY(qFuzzyCompare(m_view->lamps().lamp(1).radius, 2.2));
        QCOMPARE(lamps.count(), 2);
        QCOMPARE(lamps.last().at(0).toInt(), 1);
    }

    void keysMoveTheAxisPosition()
    {
        QSignalSpy axes(m_view.get(), &GLWidget::axisPositionChanged);
        m_view->increaseTranslateX();
        m_view->increaseTranslateZ();
        m_view->decreaseTranslateY();
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(5, -5, 5));
        QCOMPARE(axes.count(), 3);
    }

    void standardViews_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVector3D>("angles");
        QTest::newRow("front") << "front" << QVector3D(-90, 0, 0);
        QTest::newRow("back") << "back" << QVector3D(-90, 0, 180);
        QTest::newRow("left") << "left" << QVector3D(-90, 0, 90);
        QTest::newRow("right") << "right" << QVector3D(-90, 0, -90);
        QTest::newRow("top") << "top" << QVector3D(0, 0, 0);
        QTest::newRow("bottom") << "bottom" << QVector3D(180, 0, 0);
        QTest::newRow("manual leaves the view") << "manual" << QVector3D(10, 20, 30);
    }
    void standardViews()
    {
        QFETCH(QString, name);
        QFETCH(QVector3D, angles);
        m_view->setView(10, 20, 30);
        m_view->setStandardView(name);
        const Ui::Camera &camera = m_view->camera();
        QCOMPARE(QVector3D(float(camera.rotationX()), float(camera.rotationY()), float(camera.rotationZ())), angles);
    }

    void saveImageWritesAReadablePicture()
    {
        m_workspace->document().addObject(slab(-20, -20));
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("shot.png"));
        QVERIFY(m_view->saveImage(png));
        QImage image(png);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), m_view->frontBuffer().size());
        QVERIFY(!isBackground(image.pixel(image.width() / 2, image.height() / 2)));

        const QString xpm = dir.filePath(QStringLiteral("shot.xpm"));
        QVERIFY(m_view->saveImage(xpm));
        QVERIFY(!QImage(xpm).isNull());

        QString error;
        const QString bmp = dir.filePath(QStringLiteral("shot.bmp"));
        QVERIFY(!m_view->saveImage(bmp, &error));
        QVERIFY(error.contains(QStringLiteral(".png")));
        QVERIFY(!QFile::exists(bmp));
        QVERIFY(!m_view->saveImage(dir.filePath(QStringLiteral("missing/shot.png")), &error));
    }

    void mainWindowShowsALitGreySlab()
    {
        m_view.reset();
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        MainWindow window;
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Core::Workspace &workspace = window.presenter()->workspace();
        // A silicon substrate as Create Substrate makes it, seen from the start view.
        auto volume =
            Core::Operations::SubstrateBuilder(1, 60, 60, 20, Util::Vector3D(), 0, 0, 0, 60, 60, 20).buildVolume();
        volume->painter().regenerateSurface();
        workspace.document().addObject(volume);
        workspace.notifyUpdate();

        const QImage frame = window.view()->frontBuffer();
        QSet<int> greys;
        int coloured = 0;
        for (int y = 0; y < frame.height(); y += 2) {
            for (int x = 0; x < frame.width(); x += 2) {
                const QRgb p = frame.pixel(x, y);
                if (isBackground(p))
                    continue;
                if (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p))
                    greys.insert(qRed(p));
                else
                    ++coloured;
            }
        }
        // Top and sides are lit differently: several shades of grey, and only the axes in colour.
        QVERIFY2(greys.size() >= 2, qPrintable(QString::number(greys.size())));
        QVERIFY(coloured < 2000);
    }

    void fitToVolumesFramesEveryVolume()
    {
        // From the top, slabs over x [-20, 20] and [30, 70], y [-20, 20], 10 high: a scene box of
        // 90 x 40 x 10 about (25, 0, 5). In 200 x 160 pixels x is the tighter: 0.9 * 100 / 45 = 2.
        m_workspace->document().addObject(slab(-20, -20));
        m_workspace->document().addObject(slab(30, -20));
        QSignalSpy zooms(m_view.get(), &GLWidget::zoomChanged);
        QVERIFY(m_view->fitToVolumes());
        QVERIFY(qFuzzyCompare(m_view->zoom(), 2.0));
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(-25, 0, -5));
        QCOMPARE(m_view->camera().viewX(), 0.0);
        QCOMPARE(zooms.count(), 1);
        QVERIFY(qFuzzyCompare(zooms.first().first().toDouble(), 200.0));

        // The slabs now cover pixels 10 to 190 of 200, with the gap between them (x 20 to 30) at 90 to 110.
        const QImage frame = m_view->frontBuffer();
        const double scale = frame.width() / 200.0;
        const auto at = [&](int x) { return frame.pixel(int(x * scale), frame.height() / 2); };
        QVERIFY(isBackground(at(5)));
        QVERIFY(!isBackground(at(15)));
        QVERIFY(!isBackground(at(85)));
        QVERIFY(isBackground(at(100)));
        QVERIFY(!isBackground(at(115)));
        QVERIFY(!isBackground(at(185)));
        QVERIFY(isBackground(at(195)));
    }

    void emptySceneHasNothingToFit()
    {
        QSignalSpy zooms(m_view.get(), &GLWidget::zoomChanged);
        QVERIFY(!m_view->fitToVolumes());
        QCOMPARE(m_view->zoom(), 1.0);
        QCOMPARE(zooms.count(), 0);
    }

    void onlyTheFirstVolumesAreFramed()
    {
        // 40 x 40 x 10 from the top in 200 x 160: y is the tighter, 0.9 * 80 / 20 = 3.6.
        m_workspace->document().addObject(slab(-20, -20));
        m_view->sceneChanged();
        QVERIFY(qFuzzyCompare(m_view->zoom(), 3.6));
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(0, 0, -5));

        // The user zooms; a later volume and later steps leave that view alone.
        m_view->setZoom(1.5);
        m_workspace->document().addObject(slab(100, 100));
        m_view->sceneChanged();
        m_view->sceneChanged();
        QCOMPARE(m_view->zoom(), 1.5);
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(0, 0, -5));

        // A scene emptied (New) is framed again when it gets its first volume.
        m_workspace->document().clear();
        m_view->sceneChanged();
        QCOMPARE(m_view->zoom(), 1.5);
        m_workspace->document().addObject(slab(0, 0));
        m_view->sceneChanged();
        QVERIFY(qFuzzyCompare(m_view->zoom(), 3.6));
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(-20, -20, -5));
    }

    void mainWindowFramesADocumentOpenedIntoIt()
    {
        // Documents open into a window that is not on screen yet: the view is framed at the size it
        // is first shown with. The file holds 2 x 1 x 3 cells of size 1 at the origin.
        m_view.reset();
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        MainWindow window;
        ScriptedDocumentDialogs dialogs;
        Core::Workspace &workspace = window.presenter()->workspace();
        QVERIFY(Ui::loadDocumentIntoWindow(
            &window, workspace, QStringLiteral(TEST_DATA_DIR "/persistence/example_2x1x3.cfw"), {}, dialogs));
        GLWidget *view = window.view();
        QCOMPARE(view->zoom(), 1.0);
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        view->frontBuffer();
        const auto fit = Ui::ViewFit::toBox(QVector3D(0, 0, 0), QVector3D(2, 1, 3), view->camera().rotationMatrix(),
                                            view->width(), view->height());
        QVERIFY(fit);
        QVERIFY2(qFuzzyCompare(view->zoom(), fit->zoom), qPrintable(QString::number(view->zoom())));
        QVERIFY(view->zoom() > 20.0);
        QCOMPARE(view->camera().axisPosition(), QVector3D(-1, -0.5f, -1.5f));
    }

    void mainWindowFramesTheFirstVolumeAndFitsOnF()
    {
        m_view.reset();
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        MainWindow window;
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Core::Workspace &workspace = window.presenter()->workspace();
        GLWidget *view = window.view();
        const auto fitOf = [view](const QVector3D &low, const QVector3D &high) {
            return Ui::ViewFit::toBox(low, high, view->camera().rotationMatrix(), view->width(), view->height());
        };

        // The first volume, as an operation reports it, is framed at once.
        workspace.document().addObject(slab(-20, -20));
        workspace.notifyUpdate();
        QVERIFY(qFuzzyCompare(view->zoom(), fitOf(QVector3D(-20, -20, 0), QVector3D(20, 20, 10))->zoom));

        // A second one is not, until the user asks with View > Fit to Volumes.
        const double kept = view->zoom();
        workspace.document().addObject(slab(60, -20));
        workspace.notifyUpdate();
        QCOMPARE(view->zoom(), kept);
        QAction *fit = window.action(QStringLiteral("actionFit_to_Volumes"));
        QVERIFY(fit);
        fit->trigger();
        const auto both = fitOf(QVector3D(-20, -20, 0), QVector3D(100, 20, 10));
        QVERIFY(qFuzzyCompare(view->zoom(), both->zoom));
        QCOMPARE(view->camera().axisPosition(), QVector3D(-40, 0, -5));
        QVERIFY(view->zoom() < kept);
    }

    void eyePointLooksAlongTheView()
    {
        // From the top the eye lies far up the z axis.
        const Util::Vector3D eye = m_view->eyePoint();
        QVERIFY(eye.z > 1000.0);
        QVERIFY(qAbs(eye.x) < 1e-3 && qAbs(eye.y) < 1e-3);
    }
};

QTEST_MAIN(tst_GLWidget)
#include "tst_glwidget.moc"
