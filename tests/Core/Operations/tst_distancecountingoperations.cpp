#include "Core/Operations/anisotropicfilmdeposition.h"
#include "Core/Operations/anisotropicfilmdepositionoperation.h"
#include "Core/Operations/anisotropicfilmetching.h"
#include "Core/Operations/anisotropicfilmetchingoperation.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/electrodepositionoperation.h"
#include "Core/Operations/isotropicfilmdeposition.h"
#include "Core/Operations/isotropicfilmdepositionoperation.h"
#include "Core/Operations/isotropicfilmetching.h"
#include "Core/Operations/isotropicfilmetchingoperation.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/Operations/simplephysicalvapordepositionoperation.h"
#include "Core/Operations/simplereactiveionetching.h"
#include "Core/Operations/simplereactiveionetchingoperation.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"
#include "enginetesthelpers.h"
#include "testoperations.h"

#include <QtTest>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t Al = 4;
constexpr uint32_t Cu = 5;

/// Silicon floor z < 4 with an aluminium pad on part of it and a silicon ridge.
uint32_t substrate(uint32_t x, uint32_t y, uint32_t z)
{
    if (z < 4)
        return Si;
    if (z == 4 && x >= 5 && y >= 2)
        return Al;
    if (x >= 2 && x <= 3 && z < 9)
        return Si;
    return 0;
}

std::shared_ptr<TotalVolume> freshVolume() { return makeVolume(10, 6, 14, substrate); }

/// One operation class under test: how to make it with its "dialog" answers, and the engine run
/// that it must be equal to.
struct Case {
    std::function<OperationPtr(Core::Workspace &, bool accept)> make;
    std::function<void(TotalVolume &)> engine;
    QString name;
    uint32_t typeCode;
    bool undoable;
    bool marksLattice;
};

/// The observer a dialog would be: on notify it calls the setters of the current operation.
template <class Op> std::shared_ptr<CountingObserver> answering(Core::Workspace &ws, std::function<void(Op &)> setters)
{
    auto observer = std::make_shared<CountingObserver>();
    observer->onNotify = [&ws, setters] {
        if (auto op = std::dynamic_pointer_cast<Op>(ws.currentOperation()))
            setters(*op);
    };
    return observer;
}

template <class Op>
std::function<OperationPtr(Core::Workspace &, bool)> maker(std::function<std::shared_ptr<Op>(Core::Workspace &)> create,
                                                           std::function<void(Op &)> setters)
{
    return [create, setters](Core::Workspace &ws, bool accept) -> OperationPtr {
        auto operation = create(ws);
        operation->setObserver(answering<Op>(
            ws, accept ? setters : [](Op &) {}));
        return operation;
    };
}

QMap<QString, Case> cases()
{
    QMap<QString, Case> result;
    result.insert(QStringLiteral("isotropic deposition"),
                  {maker<IsotropicFilmDepositionOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<IsotropicFilmDepositionOperation>(ws); },
                       [](IsotropicFilmDepositionOperation &op) {
                           op.setMaterial(Oxide);
                           op.setThickness(2.5);
                       }),
                   [](TotalVolume &v) { IsotropicFilmDeposition(v, Oxide, 2.5f).run(); },
                   QStringLiteral("Isotropic Deposition"), 13, true, false});
    result.insert(QStringLiteral("cvd"),
                  {maker<IsotropicFilmDepositionOperation>(
                       [](Core::Workspace &ws) {
                           return std::make_shared<IsotropicFilmDepositionOperation>(ws, QStringLiteral("CVD"));
                       },
                       [](IsotropicFilmDepositionOperation &op) {
                           op.setMaterial(Si);
                           op.setThickness(1.0);
                       }),
                   [](TotalVolume &v) { IsotropicFilmDeposition(v, Si, 1.0f).run(); }, QStringLiteral("CVD"), 13, true,
                   true});
    result.insert(QStringLiteral("isotropic etching"),
                  {maker<IsotropicFilmEtchingOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<IsotropicFilmEtchingOperation>(ws); },
                       [](IsotropicFilmEtchingOperation &op) {
                           op.setMaterial(Si);
                           op.setDepth(2.0);
                       }),
                   [](TotalVolume &v) { IsotropicFilmEtching(v, Si, 2.0f).run(); }, QStringLiteral("Isotropic Etching"),
                   14, true, true});
    result.insert(QStringLiteral("electroplating"),
                  {maker<ElectrodepositionOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<ElectrodepositionOperation>(ws); },
                       [](ElectrodepositionOperation &op) {
                           op.setThickness(3.0);
                           op.setDepositedMaterial(Si);
                           op.setConductingMaterial(Al);
                       }),
                   [](TotalVolume &v) { Electrodeposition(v, Si, Al, 3.0f).run(); }, QStringLiteral("Electroplating"),
                   15, true, false});
    result.insert(QStringLiteral("anisotropic deposition"),
                  {maker<AnisotropicFilmDepositionOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<AnisotropicFilmDepositionOperation>(ws); },
                       [](AnisotropicFilmDepositionOperation &op) {
                           op.setMaterial(Cu);
                           op.setThickness(3.0);
                           op.setRatio(0.5);
                       }),
                   [](TotalVolume &v) { AnisotropicFilmDeposition(v, Cu, 3.0f, 0.5f).run(); },
                   QStringLiteral("Anisotropic Deposition"), 13, true, false});
    result.insert(QStringLiteral("anisotropic etching"),
                  {maker<AnisotropicFilmEtchingOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<AnisotropicFilmEtchingOperation>(ws); },
                       [](AnisotropicFilmEtchingOperation &op) {
                           op.setMaterial(Si);
                           op.setDepth(2.0);
                           op.setRatio(0.25);
                       }),
                   [](TotalVolume &v) { AnisotropicFilmEtching(v, Si, 2.0f, 0.25f).run(); },
                   QStringLiteral("Anisotropic Etching"), 13, true, true});
    result.insert(QStringLiteral("pvd"),
                  {maker<SimplePhysicalVaporDepositionOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<SimplePhysicalVaporDepositionOperation>(ws); },
                       [](SimplePhysicalVaporDepositionOperation &op) {
                           op.setMaterial(Al);
                           op.setThickness(2.0);
                           op.setRatio(0.5);
                           op.setSide(3);
                       }),
                   [](TotalVolume &v) { SimplePhysicalVaporDeposition(v, Al, 2.0f, 0.5f, 3).run(); },
                   QStringLiteral("Isotropic Deposition"), 13, true, false});
    result.insert(QStringLiteral("simple rie"),
                  {maker<SimpleReactiveIonEtchingOperation>(
                       [](Core::Workspace &ws) { return std::make_shared<SimpleReactiveIonEtchingOperation>(ws); },
                       [](SimpleReactiveIonEtchingOperation &op) {
                           op.setEtchFromBelow(false);
                           op.setEtchFromTop(true);
                           op.setDepth(3.9);
                           op.setMaterial(Si);
                       }),
                   [](TotalVolume &v) { SimpleReactiveIonEtching(v, Si, 3, SimpleReactiveIonEtching::fromTop).run(); },
                   QStringLiteral("Simple RIE"), 30, false, true});
    return result;
}

const uint32_t operationId = 500;

/// Writes down when the window would show that it is busy, and what the volume held then.
class RecordingBusyIndicator : public Core::IBusyIndicator {
public:
    void begin(const QString &name) override { log << QStringLiteral("begin ") + name; }
    void end() override { log << QStringLiteral("end"); }
    QStringList log;
};

/// Runs jobs where it is called and asks them to stop as a Cancel pressed at one moment would: at
/// the given boundary (counted from 1, the one before any work), or, with 0, after the job ended.
class StoppingRunner : public Core::IJobRunner {
public:
    explicit StoppingRunner(uint64_t boundary)
        : m_boundary(boundary)
    {
    }
    void run(const QString &, Util::RunControl &control, const std::function<void()> &job) override
    {
        const uint64_t boundary = m_boundary;
        control.setBoundaryCallback([boundary](Util::RunControl &c) {
            if (c.boundaries() == boundary)
                c.requestStop();
        });
        job();
        if (boundary == 0)
            control.requestStop();
        ++jobs;
    }
    int jobs = 0;

private:
    uint64_t m_boundary;
};

} // namespace

class tst_DistanceCountingOperations : public QObject {
    Q_OBJECT
private slots:
    void runsUndoesAndRedoes_data()
    {
        QTest::addColumn<QString>("which");
        for (const QString &key : cases().keys())
            QTest::newRow(qPrintable(key)) << key;
    }
    void runsUndoesAndRedoes()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        ws.setLatticeOutOfDate(volume->id(), false);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws, &c] { return c.make(ws, true); };
        ws.setOperationFactory(factory);

        const auto before = states(*volume);
        auto expectedVolume = freshVolume();
        c.engine(*expectedVolume);
        const auto expected = states(*expectedVolume);
        QVERIFY(expected != before);

        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation finished."));
        QCOMPARE(states(*volume), expected);
        QCOMPARE(ws.lastOperation(volume->id()), c.typeCode);
        QCOMPARE(ws.isLatticeOutOfDate(volume->id()), c.marksLattice);
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.undoRedo().canUndo(), c.undoable);
        if (!c.undoable)
            return;

        QCOMPARE(ws.undoRedo().undoName(), c.name);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), before);
        QCOMPARE(ws.undoRedo().redoName(), c.name);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(states(*volume), expected);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), before);
    }

    void stopPutsTheCellsBackAndLeavesTheHistory_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("boundary");
        for (const QString &key : cases().keys()) {
            QTest::newRow(qPrintable(key + QStringLiteral(", before the run"))) << key << 1;
            // CVD's film of one cell takes one iteration: its last boundary is the one before it.
            const bool oneIteration = key == QLatin1String("cvd");
            QTest::newRow(qPrintable(key + QStringLiteral(", during the run"))) << key << (oneIteration ? 2 : 3);
        }
    }
    void stopPutsTheCellsBackAndLeavesTheHistory()
    {
        QFETCH(QString, which);
        QFETCH(int, boundary);
        const Case c = cases().value(which);
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws, &c] { return c.make(ws, true); };
        ws.setOperationFactory(factory);

        // A step done and undone: one entry on the redo stack that a finished step would drop.
        ws.startOperation(operationId);
        const bool undoable = ws.undoRedo().canUndo();
        if (undoable)
            QVERIFY(ws.undoRedo().undo());
        const auto start = states(*volume);
        const size_t redoCount = ws.undoRedo().redoCount();
        ws.setLastOperation(volume->id(), 0);

        auto runner = std::make_shared<StoppingRunner>(uint64_t(boundary));
        ws.setJobRunner(runner);
        ws.startOperation(operationId);
        QCOMPARE(runner->jobs, 1);
        QCOMPARE(states(*volume), start);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation canceled."));
        QVERIFY(!ws.currentOperation());
        QVERIFY(!ws.undoRedo().canUndo());
        QCOMPARE(ws.undoRedo().redoCount(), redoCount);
        QCOMPARE(ws.lastOperation(volume->id()), 0u);
        if (undoable) {
            QVERIFY(ws.undoRedo().redo());
            QVERIFY(states(*volume) != start);
        }
    }

    void stopAfterTheRunKeepsTheFullResult_data() { runsUndoesAndRedoes_data(); }
    void stopAfterTheRunKeepsTheFullResult()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws, &c] { return c.make(ws, true); };
        ws.setOperationFactory(factory);
        ws.setJobRunner(std::make_shared<StoppingRunner>(0));
        auto expectedVolume = freshVolume();
        c.engine(*expectedVolume);

        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation finished."));
        QCOMPARE(states(*volume), states(*expectedVolume));
        QCOMPARE(ws.undoRedo().canUndo(), c.undoable);
    }

    void windowIsBusyWhileTheEngineRunsAndRedrawsOnceAfter()
    {
        Core::Workspace ws;
        auto busy = std::make_shared<RecordingBusyIndicator>();
        ws.setBusyIndicator(busy);
        auto volume = freshVolume();
        ws.document().addObject(volume);
        auto updates = std::make_shared<CountingObserver>();
        updates->onNotify = [&] { busy->log << QStringLiteral("redraw"); };
        ws.addUpdateObserver(updates);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws] {
            return cases().value(QStringLiteral("anisotropic etching")).make(ws, true);
        };
        ws.setOperationFactory(factory);
        ws.startOperation(operationId);
        // One redraw when the volume is chosen (before the dialog), one after the run.
        QCOMPARE(busy->log, QStringList({QStringLiteral("redraw"), QStringLiteral("begin Anisotropic Etching"),
                                         QStringLiteral("end"), QStringLiteral("redraw")}));
        busy->log.clear();
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(busy->log.mid(0, 2),
                 QStringList({QStringLiteral("begin Anisotropic Etching"), QStringLiteral("end")}));
        QVERIFY(!busy->log.mid(2).contains(QStringLiteral("begin Anisotropic Etching")));
    }

    void rejectedDialogCancels_data() { runsUndoesAndRedoes_data(); }
    void rejectedDialogCancels()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws, &c] { return c.make(ws, false); };
        ws.setOperationFactory(factory);
        const auto before = states(*volume);

        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation canceled."));
        QCOMPARE(states(*volume), before);
        QVERIFY(!ws.undoRedo().canUndo());
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.lastOperation(volume->id()), 0u);
    }

    void severalObjectsPromptForAVolumeFirst()
    {
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        ws.document().addObject(freshVolume());
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws] {
            return cases().value(QStringLiteral("isotropic etching")).make(ws, true);
        };
        ws.setOperationFactory(factory);
        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(),
                 QStringLiteral("Isotropic Etching: Select a cell volume and press Enter/Return."));
        QVERIFY(ws.selection().isSelectionMode());

        ws.selection().toggle(volume);
        ws.console().handleLine(QString());
        QCOMPARE(ws.console().message(), QStringLiteral("Isotropic Etching: Operation finished."));
        QVERIFY(ws.undoRedo().canUndo());
    }

    void rieDirectionBits_data()
    {
        QTest::addColumn<bool>("below");
        QTest::addColumn<bool>("top");
        QTest::addColumn<uint>("direction");
        QTest::newRow("top only") << false << true << 1u;
        QTest::newRow("below only") << true << false << 2u;
        QTest::newRow("both") << true << true << 3u;
        QTest::newRow("neither") << false << false << 0u;
    }
    void rieDirectionBits()
    {
        QFETCH(bool, below);
        QFETCH(bool, top);
        QFETCH(uint, direction);
        Core::Workspace ws;
        SimpleReactiveIonEtchingOperation op(ws);
        QCOMPARE(op.direction(), uint8_t(1));
        op.setEtchFromBelow(below);
        op.setEtchFromTop(top);
        QCOMPARE(uint(op.direction()), direction);
    }

    void rieWithBothBoxesUncheckedChangesNothing()
    {
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        const auto before = states(*volume);
        const auto dialog = answering<SimpleReactiveIonEtchingOperation>(ws, [](SimpleReactiveIonEtchingOperation &op) {
            op.setEtchFromBelow(false);
            op.setEtchFromTop(false);
            op.setDepth(5);
            op.setMaterial(Si);
        });
        auto factory = std::make_shared<TestFactory>();
        factory->makers[30] = [&ws, dialog] {
            return withObserver(std::make_shared<SimpleReactiveIonEtchingOperation>(ws), dialog);
        };
        ws.setOperationFactory(factory);
        ws.startOperation(30);
        QCOMPARE(ws.console().message(), QStringLiteral("Simple RIE: Operation finished."));
        QCOMPARE(states(*volume), before);
    }
};

QTEST_GUILESS_MAIN(tst_DistanceCountingOperations)
#include "tst_distancecountingoperations.moc"
