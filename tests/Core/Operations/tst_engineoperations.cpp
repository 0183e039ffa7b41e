#include "Core/Engines/Volume/cutcellvolume.h"
#include "Core/Engines/Volume/filmextractionengine.h"
#include "Core/Engines/Volume/gluelayout.h"
#include "Core/Engines/Volume/gluesubstrate.h"
#include "Core/Operations/Objects/copyobject.h"
#include "Core/Operations/Objects/createsubstrateoperation.h"
#include "Core/Operations/Objects/deleteobject.h"
#include "Core/Operations/Objects/filmextractionoperation.h"
#include "Core/Operations/Objects/gluesubstrateoperation.h"
#include "Core/Operations/Objects/moveobject.h"
#include "Core/Operations/View/maskedcutcellvolumeoperation.h"
#include "Core/Operations/View/removecutsfromvolumeoperation.h"
#include "Core/Processes/anisotropicdepositionprocess.h"
#include "Core/Processes/electroplatingprocess.h"
#include "Core/Processes/isotropicetchingprocess.h"
#include "Core/Processes/mooreetchingprocess.h"
#include "Core/Processes/pvdprocess.h"
#include "Core/Processes/randomwalkdopingprocess.h"
#include "Core/Processes/spincoatingprocess.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Volume/particlecounts.h"
#include "Model/Volume/silattice.h"
#include "Model/Volume/surfaceflux.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "engineoperationcases.h"

#include <QBuffer>
#include <QDataStream>
#include <QXmlStreamWriter>
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

/// The document as the program writes it, followed by what undo must restore that the file
/// does not hold: each volume's masks, cut and atom counts, silicon lattice and its mark, and
/// counter fields.
QByteArray historyImage(Core::Workspace &ws)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QXmlStreamWriter writer(&buffer);
        Model::Persistence::writeDocument(writer, ws.document(), Model::Persistence::ArchiverRegistry::standard());
    }
    QDataStream out(&bytes, QIODevice::WriteOnly | QIODevice::Append);
    for (const auto &object : ws.document().allObjects()) {
        auto volume = std::dynamic_pointer_cast<TotalVolume>(object);
        if (!volume)
            continue;
        uint32_t w = 0, h = 0, lw = 0, lh = 0;
        volume->upperMaskSize(w, h);
        volume->lowerMaskSize(lw, lh);
        out << volume->upperMask() << w << h << volume->lowerMask() << lw << lh;
        const auto cuts = cutCounts(*volume);
        const auto atoms = image(*volume).atoms;
        out << QVector<uint32_t>(cuts.begin(), cuts.end()) << QVector<uint32_t>(atoms.begin(), atoms.end());
        const auto lattice = volume->siLattice();
        out << bool(lattice) << ws.isLatticeOutOfDate(volume->id());
        for (size_t i = 0; lattice && i < lattice->storedByteCount(); ++i)
            out << lattice->storedByte(i);
        for (const QString &name : volume->fieldNames()) {
            const auto counts = Model::Automaton::ParticleCounts::of(*volume, name);
            out << name << bool(counts);
            for (size_t i = 0; counts && i < counts->cellCount() * counts->slotsPerCell; ++i)
                out << counts->data()[i];
        }
    }
    return bytes;
}

/// A workspace holding one fresh volume, where steps are started the way the window starts them:
/// the volume they work on selected, the dialog answered, console lines typed.
struct History {
    History()
    {
        ws.document().addObject(volume);
        ws.setOperationFactory(factory);
        ws.console().addObserver(log);
        // Masks left by an earlier preview, which undo must bring back.
        volume->setUpperMask(QBitArray(60, false), 10, 6);
        volume->setLowerMask(QBitArray(60, false), 10, 6);
    }
    void run(uint32_t id, const Maker &make, const Model::ObjectPtr &selected, const QStringList &typed = {},
             const Model::ObjectPtr &selectedNext = nullptr)
    {
        factory->makers[id] = [this, make] { return make(ws, true); };
        ws.selection().clearSelection();
        if (selected)
            ws.selection().toggle(selected);
        ws.startOperation(id);
        if (selectedNext)
            ws.selection().toggle(selectedNext);
        for (const QString &line : typed)
            ws.console().handleLine(line);
    }
    std::shared_ptr<TotalVolume> added(int index)
    {
        return std::dynamic_pointer_cast<TotalVolume>(ws.document().allObjects().value(index));
    }

    Core::Workspace ws;
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    // Taller than the engine cases' volume: room above for every film.
    std::shared_ptr<TotalVolume> volume = ::makeVolume(10, 6, 24, rough);
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
};

using HistoryStep = std::pair<QString, std::function<void(History &)>>;

/// Every step of the menus that changes the document, each once, in an order in which each
/// changes something: the engines on the fresh volume, then the steps that add, move, glue and
/// remove volumes.
std::vector<HistoryStep> everyStep()
{
    const auto c = cases();
    auto engine = [c](const char *which, uint32_t id) {
        return [c, which, id](History &h) { h.run(id, c.value(which).make, h.volume); };
    };
    auto on = [](uint32_t id, const Maker &make) { return [id, make](History &h) { h.run(id, make, h.volume); }; };
    RandomWalkDopingInput walk;
    walk.material = NSi;
    walk.dopingTimeMinutes = 1.0;
    walk.diffusionCoefficientCm2PerS = 1e-10; // q = D dt / a^2 = 0.1
    walk.cellSizeMicrometres = 1.0;
    walk.timeStepSeconds = 10.0;
    walk.surfaceConcentrationPerCm3 = 5e13;
    walk.thresholdPercent = 50.0;
    // Columns x < 5 of the 10 x 6 columns.
    QBitArray half(60);
    for (int i = 0; i < 30; ++i)
        half.setBit(i);
    return {
        // Shallower than the cases' 3 cells, which may leave only atoms held by three neighbours
        // that are themselves held, as on {111} terraces: the continuous etch then has atoms to take.
        {"bca wet etch (lays the lattice)",
         on(28, command(CommandId::BondCountingWetEtch, {{Core::Processes::Parameter::Depth, 0.5}}))},
        {"cca wet etch (on that lattice)", engine("cca wet etch", 29)},
        {"oxidation", on(26, command(CommandId::SiOxidation, values<Core::Processes::SiOxidationProcess>(
                                                                  {false, 1.0, 1.0, 0.0, 1273.0, 1.0, {}})))},
        {"random walk doping",
         on(36, command(CommandId::RandomWalkDoping, values<Core::Processes::RandomWalkDopingProcess>(walk), 3))},
        {"doping", engine("doping with N", 17)},
        {"ion implantation", engine("ion implantation", 3)},
        {"simple rie", on(30, command(CommandId::SimpleRie, values<Core::Processes::SimpleRieProcess>({PSi, 2, 1})))},
        {"cca wet etch (lattice laid anew)", engine("cca wet etch", 29)},
        {"isotropic etching",
         on(14, command(CommandId::IsotropicEtching, values<Core::Processes::IsotropicEtchingProcess>({Oxide, 1.0})))},
        {"isotropic deposition", engine("isotropic deposition", 13)},
        {"cvd", on(33, command(CommandId::Cvd, values<Core::Processes::CvdProcess>({PolySi, 1.0})))},
        {"anisotropic deposition",
         on(27, command(CommandId::AnisotropicDeposition,
                        values<Core::Processes::AnisotropicDepositionProcess>({Al, 1.5, 0.5})))},
        {"anisotropic etching",
         on(32, command(CommandId::AnisotropicEtching,
                        values<Core::Processes::AnisotropicEtchingProcess>({Al, 1.0, 0.25})))},
        {"pvd", on(31, command(CommandId::Pvd, values<Core::Processes::PvdProcess>({Al, 1.0, 0.5, Core::Processes::PvdSide::Top})))},
        {"electroplating",
         on(15, command(CommandId::Electroplating, values<Core::Processes::ElectroplatingProcess>({Cu, Al, 1.0})))},
        {"moore deposition", engine("moore deposition", 18)},
        {"moore etching",
         on(19, command(CommandId::MooreEtching, values<Core::Processes::MooreEtchingProcess>({Oxide, 1})))},
        {"pour material",
         on(23, command(CommandId::SpinCoating, values<Core::Processes::SpinCoatingProcess>({22, Resist})))},
        {"photolithography",
         on(20, command(CommandId::Photolithography,
                        values<Core::Processes::PhotolithographyProcess>({Resist, {{half, 10, 6}, ""}, {}, false})))},
        {"planarization", engine("planarization", 22)},
        {"masked cut", on(34, dialog<MaskedCutCellVolumeOperation>([half](auto &op) { op.setMask(half, 10, 6); }))},
        {"remove cuts", on(35, dialog<RemoveCutsFromVolumeOperation>([](auto &) {}))},
        {"create substrate",
         [](History &h) {
             h.run(2, dialog<CreateSubstrateOperation>([](auto &op) {
                       op.setSubstrate(SubstrateBuilder(Si, 10, 6, 8, Util::Vector3D(0, 20, 0), 0, 0, 0, 10, 6, 3));
                   }),
                   nullptr);
         }},
        {"copy", [](History &h) { h.run(1, dialog<CopyObject>([](auto &) {}), h.added(1), {"0, 0, 30"}); }},
        {"move", [](History &h) { h.run(7, dialog<MoveObject>([](auto &) {}), h.added(2), {"40, 0, 0"}); }},
        {"extract film",
         [](History &h) { h.run(8, dialog<FilmExtractionOperation>([](auto &op) { op.setMaterial(Resist); }), h.volume); }},
        {"glue",
         [](History &h) {
             h.run(12, dialog<GlueSubstrateOperation>([](auto &op) {
                       op.setFinalSize(op.wideX(), op.wideY(), op.stackedHeight());
                   }),
                   h.added(1), {QString()}, h.added(2));
         }},
        {"delete", [](History &h) { h.run(4, dialog<DeleteObject>([](auto &) {}), h.added(1)); }},
    };
}

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

    void lineOfSightFluxFollowsUndoAndRedo()
    {
        // The flux field belongs to the cells of its step: undo takes it back to what was there
        // before (nothing, or an earlier step's flux), redo brings the step's own back.
        const Case c = cases().value("line-of-sight deposition");
        Setup s(c);
        s.ws.startOperation(operationId);
        const auto first = Model::Automaton::SurfaceFlux::of(*s.volume);
        QVERIFY(first && !first->sites().empty());
        s.ws.startOperation(operationId);
        const auto second = Model::Automaton::SurfaceFlux::of(*s.volume);
        QVERIFY(second && second != first);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(Model::Automaton::SurfaceFlux::of(*s.volume), first);
        QVERIFY(s.ws.undoRedo().undo());
        QVERIFY(!Model::Automaton::SurfaceFlux::of(*s.volume));
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(Model::Automaton::SurfaceFlux::of(*s.volume), first);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(Model::Automaton::SurfaceFlux::of(*s.volume), second);
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

    void everyStepUndoesAndRedoesToTheSameDocuments()
    {
        History h;
        std::vector<QByteArray> images{historyImage(h.ws)};
        const auto steps = everyStep();
        for (const auto &step : steps) {
            step.second(h);
            images.push_back(historyImage(h.ws));
            QVERIFY2(
                images.back() != images[images.size() - 2],
                qPrintable(step.first + " changed nothing: " + h.log->lines.mid(h.log->lines.size() - 2).join(" | ")));
            QVERIFY2(h.ws.undoRedo().undoCount() == images.size() - 1 && !h.ws.currentOperation(),
                     qPrintable(step.first + " is not on the undo stack"));
        }
        for (size_t i = steps.size(); i > 0; --i) {
            QVERIFY(h.ws.undoRedo().undo());
            QVERIFY2(historyImage(h.ws) == images[i - 1], qPrintable("undo of " + steps[i - 1].first));
        }
        QVERIFY(!h.ws.undoRedo().canUndo());
        for (size_t i = 0; i < steps.size(); ++i) {
            QVERIFY(h.ws.undoRedo().redo());
            QVERIFY2(historyImage(h.ws) == images[i + 1], qPrintable("redo of " + steps[i].first));
        }
        QVERIFY(!h.ws.undoRedo().canRedo());
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
        FilmExtractionEngine film(*volume, Resist, false);
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
