// The 3D view: what it draws where, picking, the wheel, framing, saved images, model extraction boxes; and
// long runs: the progress dialog, its Cancel, quick jobs without one, and the busy cursor.
#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/Operations/Document/runmodelextraction.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "UI/Dialogs/operationprogressdialog.h"
#include "UI/Dialogs/windowcolorsdialog.h"
#include "UI/busyindicator.h"
#include "UI/documentcommands.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationrunner.h"
#include "UI/viewfit.h"
#include "Util/runcontrol.h"
#include "Util/vector4d.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "scripteddocumentdialogs.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QAction>
#include <QBitArray>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <atomic>

using Model::Automaton::TotalVolume;
using Ui::GLWidget;
using Util::ColorTable::BackgroundColor;
using Util::ColorTable::DefaultObjectColor;

namespace {

/// 40 x 40 x 10 cells of silicon with its corner at (x, y, 0).
std::shared_ptr<TotalVolume> slab(double x, double y)
{
    return std::make_shared<TotalVolume>(40, 40, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(x, y, 0), 1u);
}

void sendMouse(QWidget &widget, QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void click(QWidget &widget, const QPoint &at)
{
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void sendWheel(QWidget &widget, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPoint at(10, 10);
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

bool isBackground(QRgb pixel) { return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0; }
bool isRed(QRgb p) { return qRed(p) > 60 && qRed(p) > 2 * qGreen(p) && qRed(p) > 2 * qBlue(p); }
bool isGreen(QRgb p) { return qGreen(p) > 60 && qGreen(p) > 2 * qRed(p) && qGreen(p) > 2 * qBlue(p); }

/// Red and green pixels left and right of the middle of a frame, and where they reach.
struct Columns {
    int redLeft = 0, redRight = 0, greenLeft = 0, greenRight = 0;
    int maxRedX = -1, minGreenX = 1 << 30;
    int coloured() const { return redLeft + redRight + greenLeft + greenRight; }
};

Columns scan(const QImage &frame)
{
    Columns c;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const bool left = x < frame.width() / 2;
            if (isRed(frame.pixel(x, y))) {
                ++(left ? c.redLeft : c.redRight);
                c.maxRedX = std::max(c.maxRedX, x);
            } else if (isGreen(frame.pixel(x, y))) {
                ++(left ? c.greenLeft : c.greenRight);
                c.minGreenX = std::min(c.minGreenX, x);
            }
        }
    }
    return c;
}

/// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    std::atomic<int> paints{0};

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class tst_GLWidget : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::unique_ptr<GLWidget> m_view;

    /// The volume with its surface built for the view.
    std::shared_ptr<TotalVolume> shown(const std::shared_ptr<TotalVolume> &volume)
    {
        m_workspace->regenerateSurface(volume);
        return volume;
    }

private slots:
    void init()
    {
        Util::ColorTable::setCurrentScheme(0);
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
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

    void masksShowAsTranslucentGreen()
    {
        // An empty volume with its upper mask set on the left half of the columns.
        auto volume = std::make_shared<TotalVolume>(40, 40, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(-20, -20, 0), 0u);
        QBitArray bits(40 * 40);
        for (int i = 0; i < 20 * 40; ++i)
            bits.setBit(i);
        volume->setUpperMask(bits, 40, 40);
        m_workspace->regenerateSurface(volume);
        m_workspace->document().addObject(volume);
        const QImage frame = m_view->frontBuffer();
        const QPoint centre(frame.width() / 2, frame.height() / 2);
        const QRgb masked = frame.pixel(centre - QPoint(10 * frame.width() / 200, 0));
        QVERIFY(qGreen(masked) > qRed(masked) && qGreen(masked) > qBlue(masked));
        QVERIFY(isBackground(frame.pixel(centre + QPoint(10 * frame.width() / 200, 0))));
    }

    void fieldViewShowsScaleColoursAndItsLegend()
    {
        // Silicon 8 cells deep under empty space, doped for 20 steps: the top cells hold the
        // surface count, the largest of the volume, so red-to-blue paints them (cool) blue.
        auto volume = makeVolume(40, 40, 10, [](uint32_t, uint32_t, uint32_t z) { return z < 8 ? 1u : 0u; });
        volume->translate(Util::Vector4D(-20.0, -20.0, 0.0, 0.0));
        Core::Operations::RandomWalkDoping walk(*volume, 15, 0.125, 1.0, 1.0, 100.0, 1.0e9);
        walk.setDopableMaterials({1});
        walk.setSeed(5);
        QCOMPARE(walk.dope(20.0), uint64_t(20));
        // P-doped silicon writes the P counts: the view shows that distribution.
        volume->view().setParticleDistribution(1);
        volume->view().setColorScaleType(1);
        volume->view().setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::ParticleCountField);
        m_workspace->regenerateSurface(volume);
        m_workspace->document().addObject(volume);
        QVERIFY(!m_view->legendShown());

        const QImage frame = m_view->frontBuffer();
        const Model::Automaton::ColorScale scale =
            m_workspace->shownSurfaces()->of(volume)->fieldPainter().colorScale();
        QCOMPARE(scale.maximum(), 100.0f);
        QVERIFY(m_view->legendShown());
        QCOMPARE(m_view->legendMaximum(), scale.maximum());
        const QRgb top = frame.pixel(frame.width() / 2, frame.height() / 2);
        QVERIFY2(qBlue(top) > 2 * qRed(top) && qBlue(top) > 2 * qGreen(top), qPrintable(QString::number(top, 16)));
        // The legend's bar at the right edge: the lowest value warm red at its foot, the highest
        // cool blue at its head.
        const int barX = frame.width() - 40 * frame.width() / m_view->width();
        int lowestRed = -1, highestBlue = frame.height();
        for (int y = 0; y < frame.height(); ++y) {
            const QRgb p = frame.pixel(barX, y);
            if (qRed(p) > 150 && qRed(p) > 3 * qBlue(p))
                lowestRed = y;
            if (qBlue(p) > 150 && qBlue(p) > 2 * qRed(p))
                highestBlue = std::min(highestBlue, y);
        }
        QVERIFY2(lowestRed > frame.height() * 85 / 100, qPrintable(QString::number(lowestRed)));
        QVERIFY2(highestBlue < frame.height() / 2, qPrintable(QString::number(highestBlue)));
    }

    void clickPicksTheVolumeDrawnFirstOnlyInSelectionMode()
    {
        auto first = shown(slab(-20, -20));
        auto second = shown(slab(-10, -10));
        m_workspace->document().addObject(first);
        m_workspace->document().addObject(second);
        const QPoint centre(m_view->width() / 2, m_view->height() / 2);
        click(*m_view, centre);
        QVERIFY(!first->isSelected());

        m_workspace->selection().setSelectionMode(true);
        click(*m_view, centre);
        QVERIFY(first->isSelected());
        QCOMPARE(m_workspace->selection().selected().size(), 1);
        // Picking the same place again deselects it.
        click(*m_view, centre);
        QVERIFY(!first->isSelected());

        // A drag to the right turns the scene about the screen's vertical axis, and picks nothing.
        sendMouse(*m_view, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseMove, centre + QPoint(30, 0), Qt::NoButton, Qt::LeftButton);
        QVERIFY(qAbs(m_view->camera().rotationY()) > 1.0);
        sendMouse(*m_view, QEvent::MouseMove, centre + QPoint(5, 0), Qt::NoButton, Qt::LeftButton);
        sendMouse(*m_view, QEvent::MouseButtonRelease, centre + QPoint(5, 0), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!first->isSelected());
        QVERIFY(!m_view->isClicked());
    }

    void wheelZoomsOrMovesTheLampAndKeysMoveTheAxes()
    {
        QSignalSpy zooms(m_view.get(), &GLWidget::zoomChanged);
        sendWheel(*m_view, 120);
        QVERIFY(qFuzzyCompare(m_view->zoom(), 1.1));
        sendWheel(*m_view, -120);
        QVERIFY(qFuzzyCompare(m_view->zoom(), 1.0));
        QVERIFY(qFuzzyCompare(zooms.first().first().toDouble(), 110.0));

        // With Shift the wheel sets the active lamp's radius instead.
        m_view->lamps().setPolar(1, 0.5, 0.3, 0.4);
        sendWheel(*m_view, 120, Qt::ShiftModifier);
        sendWheel(*m_view, 120, Qt::ShiftModifier);
        QVERIFY(qFuzzyCompare(m_view->lamps().lamp(1).radius, 2.2));
        QCOMPARE(m_view->zoom(), 1.0);

        m_view->increaseTranslateX();
        m_view->increaseTranslateZ();
        m_view->decreaseTranslateY();
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(5, -5, 5));
    }

    void framesTheFirstVolumesFitsOnRequestAndSavesWhatItShows()
    {
        QSignalSpy zooms(m_view.get(), &GLWidget::zoomChanged);
        QVERIFY(!m_view->fitToVolumes()); // nothing to fit yet
        QCOMPARE(zooms.count(), 0);
        // Not framed yet, 40 cells at zoom 1 are 40 pixels: the slab covers the centre and not 25 pixels right.
        m_workspace->document().addObject(shown(slab(-20, -20)));
        QImage frame = m_view->frontBuffer();
        const auto at = [&](int x, int y = 80) {
            return frame.pixel(x * frame.width() / 200, y * frame.width() / 200);
        };
        QVERIFY(!isBackground(at(100)));
        QVERIFY(isBackground(at(125)));
        QVERIFY(isBackground(at(2, 2)));

        // A saved picture is what the view shows; other formats than PNG are refused.
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("shot.png"));
        QVERIFY(m_view->saveImage(png));
        const QImage image(png);
        QCOMPARE(image.size(), frame.size());
        QVERIFY(!isBackground(image.pixel(image.width() / 2, image.height() / 2)));
        QString error;
        QVERIFY(!m_view->saveImage(dir.filePath(QStringLiteral("shot.bmp")), &error));
        QVERIFY(error.contains(QStringLiteral(".png")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("shot.bmp"))));
        QVERIFY(!m_view->saveImage(dir.filePath(QStringLiteral("missing/shot.png")), &error));

        // The first volumes are framed: 40 x 40 x 10 from the top in 200 x 160, y the tighter, 0.9 * 80 / 20.
        m_view->sceneChanged();
        QVERIFY(qFuzzyCompare(m_view->zoom(), 3.6));
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(0, 0, -5));
        // The user zooms; a later volume leaves that view alone.
        m_view->setZoom(1.5);
        m_workspace->document().addObject(shown(slab(30, -20)));
        m_view->sceneChanged();
        QCOMPARE(m_view->zoom(), 1.5);
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(0, 0, -5));

        // Fit: slabs over x [-20, 20] and [30, 70], y [-20, 20], 10 high: a scene box of 90 x 40 x 10
        // about (25, 0, 5). In 200 x 160 pixels x is the tighter: 0.9 * 100 / 45 = 2.
        zooms.clear();
        QVERIFY(m_view->fitToVolumes());
        QVERIFY(qFuzzyCompare(m_view->zoom(), 2.0));
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(-25, 0, -5));
        QCOMPARE(m_view->camera().viewX(), 0.0);
        QCOMPARE(zooms.count(), 1);
        QVERIFY(qFuzzyCompare(zooms.first().first().toDouble(), 200.0));
        // The slabs now cover pixels 10 to 190 of 200, with the gap between them (x 20 to 30) at 90 to 110.
        frame = m_view->frontBuffer();
        for (int x : {5, 100, 195})
            QVERIFY2(isBackground(at(x)), qPrintable(QString::number(x)));
        for (int x : {15, 85, 115, 185})
            QVERIFY2(!isBackground(at(x)), qPrintable(QString::number(x)));

        // A scene emptied (New) is framed again when it gets its first volume.
        m_workspace->document().clear();
        m_view->sceneChanged();
        QVERIFY(qFuzzyCompare(m_view->zoom(), 2.0));
        m_workspace->document().addObject(shown(slab(0, 0)));
        m_view->sceneChanged();
        QVERIFY(qFuzzyCompare(m_view->zoom(), 3.6));
        QCOMPARE(m_view->camera().axisPosition(), QVector3D(-20, -20, -5));
    }

    void mainWindowFramesADocumentOpenedIntoItAndLightsIt()
    {
        // Documents open into a window that is not on screen yet: the view is framed at the size it
        // is first shown with. The file holds 2 x 1 x 3 cells of size 1 at the origin.
        m_view.reset();
        MainWindow window;
        ScriptedDocumentDialogs dialogs;
        QVERIFY(Ui::loadDocumentIntoWindow(&window, window.presenter()->workspace(),
                                           QStringLiteral(TEST_DATA_DIR "/persistence/example_2x1x3.cfw"), {},
                                           dialogs));
        GLWidget *view = window.view();
        QCOMPARE(view->zoom(), 1.0);
        window.resize(640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage frame = view->frontBuffer();
        const auto fit = Ui::ViewFit::toBox(QVector3D(0, 0, 0), QVector3D(2, 1, 3), view->camera().rotationMatrix(),
                                            view->width(), view->height());
        QVERIFY(fit);
        QVERIFY2(qFuzzyCompare(view->zoom(), fit->zoom), qPrintable(QString::number(view->zoom())));
        QVERIFY(view->zoom() > 20.0);
        QCOMPARE(view->camera().axisPosition(), QVector3D(-1, -0.5f, -1.5f));

        // Top and sides are lit differently: several shades of grey, and only the axes in colour.
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
        QVERIFY2(greys.size() >= 2, qPrintable(QString::number(greys.size())));
        QVERIFY(coloured < 2000);
    }
    void modelExtractionShowsBoxesInThePlaceOfTheVolumeAndBeamsBesideIt()
    {
        auto factory = std::make_shared<TestFactory>();
        factory->makers[1000] = [this] { return std::make_shared<Core::Operations::RunModelExtraction>(*m_workspace); };
        m_workspace->setOperationFactory(factory);
        // An aluminium beam 20 cells out of a silicon block, 27 cells in all, left of the centre.
        auto volume = CantileverScenes::block({CantileverScenes::Beam{4, 20, 6, 3}});
        volume->translate(Util::Vector4D(-30.0, -5.0, 0.0, 0.0));
        m_workspace->regenerateSurface(volume);
        m_workspace->document().addObject(volume);
        m_view->resize(320, 160);
        m_view->setZoom(4.0); // four pixels a cell
        QCOMPARE(scan(m_view->frontBuffer()).coloured(), 0);

        m_workspace->startOperation(1000);
        auto op = std::dynamic_pointer_cast<Core::Operations::RunModelExtraction>(m_workspace->currentOperation());
        QVERIFY(op && op->runPreprocessing());
        const Columns boxes = scan(m_view->frontBuffer());
        // The red boxes cover the volume's place (x from -30 to -3) and nothing else.
        QVERIFY2(boxes.redLeft > 1000, qPrintable(QString::number(boxes.redLeft)));
        QCOMPARE(boxes.redRight, 0);

        QVERIFY(op->runFeatureDetection());
        const Columns both = scan(m_view->frontBuffer());
        // The green beam stands beside the volume, 10 cells right of its end.
        QVERIFY2(both.greenRight > 1000, qPrintable(QString::number(both.greenRight)));
        QCOMPARE(both.greenLeft, 0);
        QVERIFY(both.minGreenX > both.maxRedX + 5);

        op->execute();
        QCOMPARE(scan(m_view->frontBuffer()).coloured(), 0);
    }

    void windowColorsFollowSchemesAndHandChoices()
    {
        Ui::WindowColorsDialog rejected;
        rejected.loadScheme(1);
        rejected.reject();
        QCOMPARE(Util::ColorTable::currentScheme(), 0u);
        QCOMPARE(Util::ColorTable::entry(DefaultObjectColor, 2), Util::Vector4D(1, 0, 0, 1));
        Ui::WindowColorsDialog dialog;
        dialog.loadScheme(1);
        // A colour chosen by hand makes the user's own scheme; the built-in schemes stay as they are.
        dialog.setSwatchColor(DefaultObjectColor, QColor(0, 128, 255));
        QCOMPARE(dialog.scheme(), 2u);
        dialog.accept();
        QCOMPARE(Util::ColorTable::currentScheme(), 2u);
        QCOMPARE(Util::ColorTable::entry(BackgroundColor, 2), Util::Vector4D(1, 1, 1, 0));
        QVERIFY(std::fabs(Util::ColorTable::entry(DefaultObjectColor, 2).z - 1.0) < 1e-9);
        QCOMPARE(Util::ColorTable::entry(DefaultObjectColor, 1), Util::Vector4D(1, 1, 1, 1));
    }

    void cancelInTheProgressDialogPutsTheVolumeBack()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Core::Workspace &ws = window.presenter()->workspace();
        {
            ModalAnswerer accepter({}, acceptDialog);
            window.action(QStringLiteral("actionCreate_Substrate"))->trigger();
        }
        QCOMPARE(ws.document().allObjects().size(), 1);
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(ws.document().allObjects().first());
        QVERIFY(volume);
        const auto before = cellStates(*volume);
        const QString undoText = window.action(QStringLiteral("actionUndo"))->text();
        const bool redoEnabled = window.action(QStringLiteral("actionRedo"))->isEnabled();

        Ui::OperationRunner &runner = window.presenter()->runner();
        runner.setDialogDelay(0);
        // The engine waits at its third boundary (after its first iteration) until the test lets it go.
        QSemaphore release;
        runner.setControlCallback([&release](Util::RunControl &control) {
            control.setBoundaryCallback([&release](Util::RunControl &c) {
                if (c.boundaries() == 3)
                    release.acquire();
            });
        });
        PaintCounter counter;
        window.view()->installEventFilter(&counter);
        int paintsWhileWaiting = -1;
        connect(&runner, &Ui::OperationRunner::progressShown, this, [&](Ui::OperationProgressDialog *dialog) {
            // The engine is held: a repaint of the view can only come from the running event loop.
            const int start = counter.paints;
            window.view()->update();
            auto *poll = new QTimer(dialog);
            poll->setInterval(0);
            connect(poll, &QTimer::timeout, dialog, [&, dialog, poll, start] {
                if (counter.paints == start)
                    return;
                poll->stop();
                paintsWhileWaiting = counter.paints - start;
                dialog->cancelButton()->click();
                release.release();
            });
            poll->start();
        });

        {
            ModalAnswerer accepter({}, acceptDialog);
            window.action(QStringLiteral("actionIsotropic_Deposition"))->trigger();
        }
        runner.setControlCallback({});

        QVERIFY(paintsWhileWaiting > 0);
        QCOMPARE(cellStates(*volume), before);
        QCOMPARE(window.action(QStringLiteral("actionUndo"))->text(), undoText);
        QCOMPARE(window.action(QStringLiteral("actionRedo"))->isEnabled(), redoEnabled);
        QVERIFY(!ws.currentOperation());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!runner.isRunning());
    }

    void aQuickJobShowsNoDialogAndAFailureReachesTheCaller()
    {
        QWidget window;
        Ui::OperationRunner runner(&window);
        runner.setDialogDelay(60 * 60 * 1000);
        int shown = 0;
        connect(&runner, &Ui::OperationRunner::progressShown, this, [&shown] { ++shown; });
        Util::RunControl control;
        bool ran = false;
        runner.run(QStringLiteral("Planarization"), control, [&ran] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(shown, 0);
        try {
            runner.run(QStringLiteral("Simple RIE"), control, [] { throw std::runtime_error("no such layer"); });
            QFAIL("the failure was lost");
        } catch (const std::runtime_error &error) {
            QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("no such layer"));
        }
    }

    void dialogShowsABusyBarUntilATotalIsKnownAndNoCancelWhileItCannotStop()
    {
        Util::RunControl control;
        Ui::OperationProgressDialog dialog(QStringLiteral("CVD"), control);
        QCOMPARE(dialog.progressBar()->maximum(), 0);
        QVERIFY(dialog.cancelButton()->isEnabled());
        control.beginStage(8);
        control.advance(2);
        dialog.refresh();
        QCOMPARE(dialog.progressBar()->maximum(), 1000);
        QCOMPARE(dialog.progressBar()->value(), 250);
        control.setStoppable(false);
        dialog.refresh();
        QVERIFY(!dialog.cancelButton()->isEnabled());
        dialog.reject(); // Escape cannot stop what may not stop
        QVERIFY(!control.stopRequested());
        control.setStoppable(true);
        dialog.refresh();
        dialog.reject();
        QVERIFY(control.stopRequested());
        QVERIFY(!dialog.cancelButton()->isEnabled());
    }

    void busyIndicatorShowsOneWaitCursorAndNamesTheOperation()
    {
        auto window = std::make_unique<QMainWindow>();
        {
            Core::BusyScope scope(std::make_shared<Ui::BusyIndicator>(window.get()), QStringLiteral("Etching"));
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Etching: running..."));
        }
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(window->statusBar()->currentMessage().isEmpty());

        // Nested and unbalanced calls keep one cursor, also when the window has gone.
        Ui::BusyIndicator busy(window.get());
        window.reset();
        busy.begin(QStringLiteral("Simple RIE"));
        busy.begin(QStringLiteral("Simple RIE"));
        busy.end();
        QVERIFY(QApplication::overrideCursor());
        busy.end();
        QVERIFY(!QApplication::overrideCursor());
        busy.end(); // one too many: ignored
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(tst_GLWidget)
#include "tst_glwidget.moc"
