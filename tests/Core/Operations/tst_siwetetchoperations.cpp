#include "Core/Operations/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/atomisticsiwetetchingoperation.h"
#include "Core/Operations/continouswetetchoperation.h"
#include "Core/Operations/continuoswetetching.h"
#include "Core/Operations/isotropicfilmdepositionoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/silattice.h"
#include "enginetesthelpers.h"
#include "siwetetchscenes.h"
#include "testoperations.h"

#include <QtTest>

using namespace Core::Operations;
using namespace EngineTest;
using WetEtchScene::Pit;

namespace {

const uint32_t operationId = 700;
const Pit pit{24, 12, 14};

struct Case {
    QString name;
    uint32_t typeCode;
    std::function<std::shared_ptr<SiWetEtchOperation>(Core::Workspace &)> make;
    std::function<void(TotalVolume &, double)> engine;
};

Case bca()
{
    return {QStringLiteral("BCA Wet Etch"), 28,
            [](Core::Workspace &ws) { return std::make_shared<AtomisticSiWetEtchingOperation>(ws); },
            [](TotalVolume &v, double d) { AtomicStructureSimpleSiWetEtch(v, d).run(); }};
}

Case cca()
{
    return {QStringLiteral("Continuous Wet Etch"), 29,
            [](Core::Workspace &ws) { return std::make_shared<ContinousWetEtchOperation>(ws); },
            [](TotalVolume &v, double d) { ContinuosWetEtching(v, d).run(); }};
}

Case byName(const QString &which) { return which == QLatin1String("BCA") ? bca() : cca(); }

/// A factory whose operation's "dialog" gives `depth`, or is rejected when depth < 0.
void install(Core::Workspace &ws, const Case &c, double depth)
{
    auto factory = std::make_shared<TestFactory>();
    factory->makers[operationId] = [&ws, c, depth] {
        auto operation = c.make(ws);
        auto dialog = std::make_shared<CountingObserver>();
        dialog->onNotify = [&ws, depth] {
            if (auto op = std::dynamic_pointer_cast<SiWetEtchOperation>(ws.currentOperation()); op && depth >= 0)
                op->setDepth(depth);
        };
        operation->setObserver(dialog);
        return OperationPtr(operation);
    };
    ws.setOperationFactory(factory);
}

std::vector<uint32_t> atomCounts(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> counts(volume.cellCount());
    for (size_t i = 0; i < counts.size(); ++i)
        counts[i] = lock.cells()[i].atomCount();
    return counts;
}

} // namespace

class tst_SiWetEtchOperations : public QObject {
    Q_OBJECT
private slots:
    void models_data()
    {
        QTest::addColumn<QString>("which");
        QTest::newRow("BCA") << QStringLiteral("BCA");
        QTest::newRow("CCA") << QStringLiteral("CCA");
    }

    void runsUndoesAndRedoes_data() { models_data(); }
    void runsUndoesAndRedoes()
    {
        QFETCH(QString, which);
        const Case c = byName(which);
        Core::Workspace ws;
        auto volume = pit.volume();
        ws.document().addObject(volume);
        install(ws, c, 3.0);
        const auto before = states(*volume);
        auto expectedVolume = pit.volume();
        c.engine(*expectedVolume, 3.0);
        const auto expected = states(*expectedVolume);
        QVERIFY(expected != before);

        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation finished."));
        QCOMPARE(states(*volume), expected);
        QCOMPARE(atomCounts(*volume), atomCounts(*expectedVolume));
        QCOMPARE(ws.lastOperation(volume->id()), c.typeCode);
        QVERIFY(volume->siLattice());
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));

        QCOMPARE(ws.undoRedo().undoName(), c.name);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), before);
        // The lattice is laid anew over the restored cells: its atoms and counts are those of a
        // volume that was never etched.
        auto untouched = pit.volume();
        const size_t atoms = untouched->createSiLattice()->presentAtomCount();
        QCOMPARE(volume->siLattice()->presentAtomCount(), atoms);
        QCOMPARE(atomCounts(*volume), atomCounts(*untouched));

        QCOMPARE(ws.undoRedo().redoName(), c.name);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(states(*volume), expected);
        // Etching on after the redo goes on from the redone cells, over a lattice laid anew: the
        // cells keep no record of the atoms a cell had lost while it kept others.
        install(ws, c, 2.0);
        ws.startOperation(operationId);
        expectedVolume->createSiLattice();
        c.engine(*expectedVolume, 2.0);
        QCOMPARE(states(*volume), states(*expectedVolume));
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), expected);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), before);
    }

    void rejectedDialogCancels_data() { models_data(); }
    void rejectedDialogCancels()
    {
        QFETCH(QString, which);
        const Case c = byName(which);
        Core::Workspace ws;
        auto volume = pit.volume();
        ws.document().addObject(volume);
        install(ws, c, -1.0);
        const auto before = states(*volume);
        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation canceled."));
        QCOMPARE(states(*volume), before);
        QVERIFY(!ws.undoRedo().canUndo());
        QVERIFY(!volume->siLattice());
        QCOMPARE(ws.lastOperation(volume->id()), 0u);
    }

    void staleLatticeIsLaidAnew()
    {
        // A deposition of silicon after an etch marks the lattice; the next etch lays it anew and
        // etches the new silicon too.
        Core::Workspace ws;
        auto volume = pit.volume();
        ws.document().addObject(volume);
        install(ws, bca(), 1.0);
        ws.startOperation(operationId);
        auto first = volume->siLattice();
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        ws.startOperation(operationId);
        QCOMPARE(volume->siLattice(), first); // up to date: kept

        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId + 1] = [&ws] {
            auto op = std::make_shared<IsotropicFilmDepositionOperation>(ws);
            auto dialog = std::make_shared<CountingObserver>();
            dialog->onNotify = [&ws] {
                auto current = std::dynamic_pointer_cast<IsotropicFilmDepositionOperation>(ws.currentOperation());
                current->setMaterial(WetEtchScene::Silicon);
                current->setThickness(2.0);
            };
            op->setObserver(dialog);
            return OperationPtr(op);
        };
        ws.setOperationFactory(factory);
        ws.startOperation(operationId + 1);
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        const auto deposited = states(*volume);
        install(ws, bca(), 1.0);
        ws.startOperation(operationId);
        QVERIFY(volume->siLattice() != first);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        auto expected =
            std::make_shared<TotalVolume>(pit.n, pit.n, pit.height + 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), deposited);
        AtomicStructureSimpleSiWetEtch(*expected, 1.0).run();
        QCOMPARE(states(*volume), states(*expected));

        // Undoing the deposition puts other cells back: the lattice is marked again.
        QVERIFY(ws.undoRedo().undo());
        QVERIFY(ws.undoRedo().undo());
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
    }

    void zeroDepthStillLaysTheLattice()
    {
        Core::Workspace ws;
        auto volume = pit.volume();
        ws.document().addObject(volume);
        install(ws, cca(), 0.1);
        const auto before = states(*volume);
        ws.startOperation(operationId);
        QCOMPARE(ws.console().message(), QStringLiteral("Continuous Wet Etch: Operation finished."));
        QVERIFY(volume->siLattice());
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        QCOMPARE(states(*volume), before);
    }
};

QTEST_GUILESS_MAIN(tst_SiWetEtchOperations)
#include "tst_siwetetchoperations.moc"
