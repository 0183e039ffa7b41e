#include "Core/Operations/cutcellvolume.h"
#include "Core/Operations/filmextraction.h"
#include "Core/Operations/gluelayout.h"
#include "Core/Operations/gluesubstrate.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "engineoperationcases.h"

#include <QtTest>

using namespace EngineCases;

namespace {

const uint32_t operationId = 500;

/// A workspace holding one fresh volume, whose factory makes the case's operation.
struct Setup {
    explicit Setup(const Case &c, bool accept = true)
    {
        ws.document().addObject(volume);
        use(c, accept);
    }
    void use(const Case &c, bool accept = true)
    {
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [this, c, accept] { return c.make(ws, accept); };
        ws.setOperationFactory(factory);
    }
    Core::Workspace ws;
    std::shared_ptr<TotalVolume> volume = freshVolume();
};

/// Writes down when the window would show that it is busy.
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
        unfinished = control.done() < control.total();
    }
    int jobs = 0;
    bool unfinished = false;

private:
    uint64_t m_boundary;
};

void addEngines()
{
    QTest::addColumn<QString>("which");
    for (const QString &key : cases().keys())
        QTest::newRow(qPrintable(key)) << key;
}

} // namespace

class tst_EngineOperations : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void runsUndoesAndRedoesIgnoringALateStop_data() { addEngines(); }
    void runsUndoesAndRedoesIgnoringALateStop()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Setup s(c);
        s.ws.setLatticeOutOfDate(s.volume->id(), false);
        // A stop asked for after the job has ended comes too late: the full result stays.
        s.ws.setJobRunner(std::make_shared<StoppingRunner>(0));
        const auto before = cellStates(*s.volume);
        auto expectedVolume = freshVolume();
        c.engine(*expectedVolume, nullptr);
        const auto expected = cellStates(*expectedVolume);
        QVERIFY(expected != before);

        s.ws.startOperation(operationId);
        QCOMPARE(s.ws.console().message(), c.name + QStringLiteral(": Operation finished."));
        QCOMPARE(cellStates(*s.volume), expected);
        QCOMPARE(s.ws.lastOperation(s.volume->id()), c.typeCode);
        QCOMPARE(s.ws.isLatticeOutOfDate(s.volume->id()), c.marksLattice);
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().canUndo(), c.undoable);
        if (!c.undoable)
            return;
        QCOMPARE(s.ws.undoRedo().undoName(), c.name);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cellStates(*s.volume), before);
        QCOMPARE(s.ws.undoRedo().redoName(), c.name);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(cellStates(*s.volume), expected);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cellStates(*s.volume), before);
    }

    void rejectedOrStoppedLeavesTheCellsAndTheHistory_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("boundary"); // 0: the dialog is rejected
        for (const QString &key : cases().keys()) {
            QTest::newRow(qPrintable(key + QStringLiteral(", rejected dialog"))) << key << 0;
            QTest::newRow(qPrintable(key + QStringLiteral(", before the run"))) << key << 1;
            if (const int boundary = cases().value(key).stopBoundary)
                QTest::newRow(qPrintable(key + QStringLiteral(", during the run"))) << key << boundary;
        }
    }
    void rejectedOrStoppedLeavesTheCellsAndTheHistory()
    {
        QFETCH(QString, which);
        QFETCH(int, boundary);
        const Case c = cases().value(which);
        Setup s(c);
        // A step done and undone: one entry on the redo stack that a finished step would drop.
        if (c.undoable) {
            s.ws.startOperation(operationId);
            QVERIFY(s.ws.undoRedo().undo());
        }
        const auto start = cellStates(*s.volume);
        const size_t redoCount = s.ws.undoRedo().redoCount();
        s.ws.setLastOperation(s.volume->id(), 0);

        s.use(c, boundary > 0);
        auto runner = std::make_shared<StoppingRunner>(uint64_t(std::max(boundary, 1)));
        s.ws.setJobRunner(runner);
        s.ws.startOperation(operationId);
        QCOMPARE(runner->jobs, boundary > 0 ? 1 : 0);
        if (boundary > 1)
            QVERIFY(runner->unfinished); // the engine stops at the boundary, not at its end
        QCOMPARE(cellStates(*s.volume), start);
        QCOMPARE(s.ws.console().message(), c.canceled());
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(s.ws.undoRedo().redoCount(), redoCount);
        QCOMPARE(s.ws.lastOperation(s.volume->id()), 0u);
        if (c.undoable) {
            QVERIFY(s.ws.undoRedo().redo());
            QVERIFY(cellStates(*s.volume) != start);
        }
    }

    void windowIsBusyWhileTheEngineRunsAndRedrawsOnceAfter()
    {
        Setup s(cases().value("anisotropic etching"));
        auto busy = std::make_shared<RecordingBusyIndicator>();
        s.ws.setBusyIndicator(busy);
        auto updates = std::make_shared<CountingObserver>();
        updates->onNotify = [&] { busy->log << QStringLiteral("redraw"); };
        s.ws.addUpdateObserver(updates);
        s.ws.startOperation(operationId);
        // One redraw when the volume is chosen (before the dialog), one after the run.
        QCOMPARE(busy->log, QStringList({"redraw", "begin Anisotropic Etching", "end", "redraw"}));
        busy->log.clear();
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(busy->log.mid(0, 2), QStringList({"begin Anisotropic Etching", "end"}));
        QVERIFY(!busy->log.mid(2).contains(QStringLiteral("begin Anisotropic Etching")));
    }

    void oxidationByTimeTellsTheThickness()
    {
        Setup s(cases().value("oxidation by time"));
        auto log = std::make_shared<ConsoleLog>(s.ws);
        s.ws.console().addObserver(log);
        s.ws.startOperation(operationId);
        const double microns = SimpleSiOxidation::dealGroveThickness(1.5, 1323.0, 0.8);
        QVERIFY2(log->lines.contains(QStringLiteral("Simple Si Oxidation: Oxide thickness %1 microns (%2 cell units).")
                                         .arg(microns, 0, 'g', 4)
                                         .arg(microns * 30.0, 0, 'g', 4)),
                 qPrintable(log->lines.join(QLatin1Char('\n'))));
        QCOMPARE(log->lines.last(), QStringLiteral("Simple Si Oxidation: Operation finished."));
    }

    void emptyMaterialSetSaysSoAndChangesNothing_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<uint>("process");
        QTest::addColumn<QString>("message");
        const QString text = QStringLiteral("%1: No material can be %2: the process \"%3\" has no compatible "
                                            "materials (Materials > Manage Compatible Materials).");
        QTest::newRow("doping") << "doping with N" << 13u << text.arg("Doping", "doped", "Simple Doping");
        QTest::newRow("ion implantation")
            << "ion implantation" << 13u << text.arg("Ion Implantation", "implanted", "Simple Doping");
        QTest::newRow("oxidation") << "oxidation by time" << 12u
                                   << text.arg("Simple Si Oxidation", "oxidized", "Simple Si Oxidation");
    }
    void emptyMaterialSetSaysSoAndChangesNothing()
    {
        QFETCH(QString, which);
        QFETCH(uint, process);
        QFETCH(QString, message);
        CompatibleMaterials none(process, {});
        const Case c = cases().value(which);
        Setup s(c);
        const auto before = cellStates(*s.volume);
        auto log = std::make_shared<ConsoleLog>(s.ws);
        s.ws.console().addObserver(log);
        s.ws.startOperation(operationId);
        QVERIFY2(log->lines.size() >= 2, qPrintable(log->lines.join(QLatin1Char('\n'))));
        QCOMPARE(log->lines[log->lines.size() - 2], message);
        QCOMPARE(log->lines.last(), c.canceled());
        QCOMPARE(cellStates(*s.volume), before);
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(s.ws.lastOperation(s.volume->id()), 0u);
    }

    void resultsDoNotDependOnThreadsAndALateStopComesTooLate_data() { addEngines(); }
    void resultsDoNotDependOnThreadsAndALateStopComesTooLate()
    {
        QFETCH(QString, which);
        const ControlledRun engine = cases().value(which).engine;
        for (uint32_t nx : {3u, 23u}) {
            CellImage reference;
            for (int threads : {1, 7}) {
                PoolThreads pool(threads);
                auto volume = freshVolume(nx);
                Util::RunControl late;
                engine(*volume, &late);
                // The counters reach their total, also when the front ran dry before the last step.
                late.requestStop();
                QVERIFY(!late.wasStopped());
                QVERIFY(late.total() > 0);
                QCOMPARE(late.done(), late.total());
                if (threads == 1) {
                    reference = image(*volume);
                    QVERIFY(reference.states != cellStates(*freshVolume(nx)));
                }
                QVERIFY2(image(*volume) == reference,
                         qPrintable(QStringLiteral("nx %1, %2 threads").arg(nx).arg(threads)));
            }
        }
    }

    void singlePassesStopOnlyBeforeTheyStart()
    {
        auto volume = freshVolume();
        const auto start = cellStates(*volume);
        Util::RunControl stop;
        stop.requestStop();
        CutCellVolume cut(*volume, QBitArray(), 0, 0);
        cut.setRunControl(&stop);
        cut.cut();
        auto top = freshVolume();
        GlueSubstrate glue(*volume, *top, GlueLayout::prepare(*volume, *top));
        glue.setRunControl(&stop);
        QVERIFY(!glue.run());
        FilmExtraction film(*volume, Resist, false);
        film.setRunControl(&stop);
        QVERIFY(!film.run());
        QVERIFY(stop.wasStopped());
        QCOMPARE(cellStates(*volume), start);
        for (uint32_t count : cutCounts(*volume))
            QCOMPARE(count, 0u);
        Util::RunControl full;
        cut.setRunControl(&full);
        cut.cut();
        QCOMPARE(full.done(), full.total());
        QCOMPARE(cutCounts(*volume)[0], 1u);
    }
};

QTEST_MAIN(tst_EngineOperations)
#include "tst_engineoperations.moc"
