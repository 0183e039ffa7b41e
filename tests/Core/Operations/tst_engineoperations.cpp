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
    }
    int jobs = 0;

private:
    uint64_t m_boundary;
};

void addCases()
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
    void runsUndoesAndRedoesIgnoringALateStop_data() { addCases(); }
    void runsUndoesAndRedoesIgnoringALateStop()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Setup s(c);
        s.ws.setLatticeOutOfDate(s.volume->id(), false);
        // A stop asked for after the job has ended comes too late: the full result stays.
        s.ws.setJobRunner(std::make_shared<StoppingRunner>(0));
        const auto before = states(*s.volume);
        auto expectedVolume = freshVolume();
        c.engine(*expectedVolume, nullptr);
        const auto expected = states(*expectedVolume);
        QVERIFY(expected != before);

        s.ws.startOperation(operationId);
        QCOMPARE(s.ws.console().message(), c.name + QStringLiteral(": Operation finished."));
        QCOMPARE(states(*s.volume), expected);
        QCOMPARE(s.ws.lastOperation(s.volume->id()), c.typeCode);
        QCOMPARE(s.ws.isLatticeOutOfDate(s.volume->id()), c.marksLattice);
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().canUndo(), c.undoable);
        if (!c.undoable)
            return;
        QCOMPARE(s.ws.undoRedo().undoName(), c.name);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(states(*s.volume), before);
        QCOMPARE(s.ws.undoRedo().redoName(), c.name);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(states(*s.volume), expected);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(states(*s.volume), before);
    }

    void rejectedDialogCancels_data() { addCases(); }
    void rejectedDialogCancels()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Setup s(c, false);
        const auto before = states(*s.volume);
        s.ws.startOperation(operationId);
        QCOMPARE(s.ws.console().message(), c.canceled());
        QCOMPARE(states(*s.volume), before);
        QVERIFY(!s.ws.undoRedo().canUndo());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.lastOperation(s.volume->id()), 0u);
    }

    void stopPutsTheCellsBackAndLeavesTheHistory_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("boundary");
        for (const QString &key : cases().keys()) {
            QTest::newRow(qPrintable(key + QStringLiteral(", before the run"))) << key << 1;
            if (const int boundary = cases().value(key).stopBoundary)
                QTest::newRow(qPrintable(key + QStringLiteral(", during the run"))) << key << boundary;
        }
    }
    void stopPutsTheCellsBackAndLeavesTheHistory()
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
        const auto start = states(*s.volume);
        const size_t redoCount = s.ws.undoRedo().redoCount();
        s.ws.setLastOperation(s.volume->id(), 0);

        auto runner = std::make_shared<StoppingRunner>(uint64_t(boundary));
        s.ws.setJobRunner(runner);
        s.ws.startOperation(operationId);
        QCOMPARE(runner->jobs, 1);
        QCOMPARE(states(*s.volume), start);
        QCOMPARE(s.ws.console().message(), c.canceled());
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(s.ws.undoRedo().redoCount(), redoCount);
        QCOMPARE(s.ws.lastOperation(s.volume->id()), 0u);
        if (c.undoable) {
            QVERIFY(s.ws.undoRedo().redo());
            QVERIFY(states(*s.volume) != start);
        }
    }

    void rieBoxesChooseTheDirection_data()
    {
        QTest::addColumn<bool>("below");
        QTest::addColumn<bool>("top");
        QTest::addColumn<uint>("direction");
        QTest::newRow("top only") << false << true << 1u;
        QTest::newRow("below only") << true << false << 2u;
        QTest::newRow("both") << true << true << 3u;
        QTest::newRow("neither") << false << false << 0u;
    }
    void rieBoxesChooseTheDirection()
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

    void implantationNeedsEveryDistance()
    {
        Case c = cases().value("ion implantation");
        c.make = dialog<IonImplantationOperation>([](auto &op) {
            op.setMaterial(PSi);
            op.setDepth(3.0);
            op.setAnnealingDistance(1.5);
        });
        Setup s(c);
        const auto before = states(*s.volume);
        s.ws.startOperation(operationId);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Ion Implantation: Operation Canceled!"));
        QCOMPARE(states(*s.volume), before);
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
        const QString doping = QStringLiteral("No material can be %1: the process \"Simple Doping\" has no compatible "
                                              "materials (Materials > Manage Compatible Materials).");
        QTest::newRow("doping") << "doping with N" << 13u << QStringLiteral("Doping: ") + doping.arg("doped");
        QTest::newRow("ion implantation")
            << "ion implantation" << 13u << QStringLiteral("Ion Implantation: ") + doping.arg("implanted");
        QTest::newRow("oxidation") << "oxidation without conversion" << 12u
                                   << QStringLiteral("Simple Si Oxidation: No material can be oxidized: the process "
                                                     "\"Simple Si Oxidation\" has no compatible materials "
                                                     "(Materials > Manage Compatible Materials).");
    }
    void emptyMaterialSetSaysSoAndChangesNothing()
    {
        QFETCH(QString, which);
        QFETCH(uint, process);
        QFETCH(QString, message);
        CompatibleMaterials none(process, {});
        const Case c = cases().value(which);
        Setup s(c);
        const auto before = states(*s.volume);
        auto log = std::make_shared<ConsoleLog>(s.ws);
        s.ws.console().addObserver(log);
        s.ws.startOperation(operationId);
        QVERIFY2(log->lines.size() >= 2, qPrintable(log->lines.join(QLatin1Char('\n'))));
        QCOMPARE(log->lines[log->lines.size() - 2], message);
        QCOMPARE(log->lines.last(), c.canceled());
        QCOMPARE(states(*s.volume), before);
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(s.ws.lastOperation(s.volume->id()), 0u);
    }

    void photolithographyPreviewsMasksOverTheVolumeAndClearsThem()
    {
        Case c = cases().value("photolithography");
        const MaskBits top{QBitArray(40 * 30, true), 40, 30};
        const MaskBits bottom{QBitArray(1, false), 1, 1};
        Setup s(c);
        auto updates = std::make_shared<CountingObserver>();
        s.ws.addUpdateObserver(updates);
        c.make = dialog<PhotolithographyOperation>([&](PhotolithographyOperation &op) {
            const int before = updates->count;
            // Only the part over the volume's 10 x 6 columns is kept and shown.
            op.setTopMask(top.bits, top.width, top.height);
            uint32_t w = 0, h = 0;
            s.volume->upperMaskSize(w, h);
            QCOMPARE(QSize(int(w), int(h)), QSize(10, 6));
            QCOMPARE(s.volume->upperMask().count(true), 60);
            op.setBottomMask(bottom.bits, bottom.width, bottom.height);
            s.volume->lowerMaskSize(w, h);
            QCOMPARE(w, 1u);
            QCOMPARE(updates->count, before + 2);
            op.setMaterial(Resist);
        });
        s.use(c);
        const auto before = states(*s.volume);
        s.ws.startOperation(operationId);
        QCOMPARE(s.ws.console().message(), QStringLiteral("Photolithography: Operation finished."));
        QCOMPARE(states(*s.volume), before); // every column shielded from above, nothing open below
        QVERIFY(s.volume->upperMask().isEmpty());
        QVERIFY(s.volume->lowerMask().isEmpty());
        uint32_t w = 9, h = 9;
        s.volume->upperMaskSize(w, h);
        QCOMPARE(w + h, 0u);
    }
};

QTEST_GUILESS_MAIN(tst_EngineOperations)
#include "tst_engineoperations.moc"
