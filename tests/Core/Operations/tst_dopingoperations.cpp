#include "Core/Operations/dopingoperation.h"
#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/ionimplantationoperation.h"
#include "Core/Operations/simpledoping.h"
#include "Core/Operations/simplesioxidation.h"
#include "Core/Operations/simplesioxidationoperation.h"
#include "Core/workspace.h"
#include "Model/Process/processfactory.h"
#include "catalogtesthome.h"
#include "enginetesthelpers.h"
#include "testoperations.h"

#include <QtTest>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t NSi = 14;
constexpr uint32_t PSi = 15;

/// Silicon z < 6 with an oxide block on part of it.
uint32_t wafer(uint32_t x, uint32_t y, uint32_t z)
{
    if (z < 6)
        return Si;
    return x < 3 && y < 3 && z < 8 ? Oxide : 0u;
}

std::shared_ptr<TotalVolume> freshVolume() { return makeVolume(8, 6, 16, wafer); }

/// An operation under test: how it is made with its dialog's answers (or a rejected dialog),
/// and the engine run it must equal.
struct Case {
    std::function<OperationPtr(Core::Workspace &, bool accept)> make;
    std::function<void(TotalVolume &)> engine;
    QString name;
    uint32_t typeCode;
    bool marksLattice;
    QString cancelText;
};

template <class Op> std::function<OperationPtr(Core::Workspace &, bool)> maker(std::function<void(Op &)> setters)
{
    return [setters](Core::Workspace &ws, bool accept) -> OperationPtr {
        auto observer = std::make_shared<CountingObserver>();
        Core::Workspace *workspace = &ws;
        observer->onNotify = [workspace, setters, accept] {
            if (auto op = std::dynamic_pointer_cast<Op>(workspace->currentOperation()); op && accept)
                setters(*op);
        };
        auto operation = std::make_shared<Op>(ws);
        operation->setObserver(observer);
        return operation;
    };
}

QMap<QString, Case> cases()
{
    QMap<QString, Case> result;
    result.insert(QStringLiteral("doping with N"),
                  {maker<DopingOperation>([](DopingOperation &op) {
                       op.setMaterial(NSi);
                       op.setDepth(2.5);
                   }),
                   [](TotalVolume &v) { SimpleDoping(v, NSi, 2.5f).run(); }, QStringLiteral("Doping"), 17, false,
                   QStringLiteral("Doping: Operation canceled.")});
    // Silicon as the doped material turns silicon into itself: no cell of this wafer changes,
    // but the step still counts as silicon doping for the lattice.
    result.insert(QStringLiteral("doping with Si"),
                  {maker<DopingOperation>([](DopingOperation &op) {
                       op.setMaterial(Si);
                       op.setDepth(1.0);
                   }),
                   [](TotalVolume &v) { SimpleDoping(v, Si, 1.0f).run(); }, QStringLiteral("Doping"), 17, true,
                   QStringLiteral("Doping: Operation canceled.")});
    result.insert(QStringLiteral("ion implantation"),
                  {maker<IonImplantationOperation>([](IonImplantationOperation &op) {
                       op.setMaterial(PSi);
                       op.setDepth(3.0);
                       op.setSpread(0.5);
                       op.setAnnealingDistance(1.5);
                   }),
                   [](TotalVolume &v) { IonImplantation(v, PSi, 3.0f, 0.5f, 1.5f).run(); },
                   QStringLiteral("Ion Implantation"), 3, false,
                   QStringLiteral("Ion Implantation: Operation Canceled!")});
    result.insert(QStringLiteral("oxidation by thickness"),
                  {maker<SimpleSiOxidationOperation>([](SimpleSiOxidationOperation &op) {
                       op.setConversion(100.0);
                       op.setThickness(0.04);
                   }),
                   [](TotalVolume &v) { SimpleSiOxidation(v, 100.0).runWithThickness(0.04); },
                   QStringLiteral("Simple Si Oxidation"), 26, true,
                   QStringLiteral("Simple Si Oxidation: Operation canceled.")});
    result.insert(QStringLiteral("oxidation by time"),
                  {maker<SimpleSiOxidationOperation>([](SimpleSiOxidationOperation &op) {
                       op.setConversion(30.0);
                       op.setTime(1.5);
                       op.setTemperature(1323.0);
                       op.setPressure(0.8);
                   }),
                   [](TotalVolume &v) { SimpleSiOxidation(v, 30.0).runForTime(1.5, 1323.0, 0.8); },
                   QStringLiteral("Simple Si Oxidation"), 26, true,
                   QStringLiteral("Simple Si Oxidation: Operation canceled.")});
    return result;
}

const uint32_t operationId = 500;

/// Makes `ws` create the case's operation and starts it.
void start(Core::Workspace &ws, const Case &c, bool accept)
{
    auto factory = std::make_shared<TestFactory>();
    factory->makers[operationId] = [&ws, c, accept] { return c.make(ws, accept); };
    ws.setOperationFactory(factory);
    ws.startOperation(operationId);
}

} // namespace

class tst_DopingOperations : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

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
        const auto before = states(*volume);
        auto expectedVolume = freshVolume();
        c.engine(*expectedVolume);
        const auto expected = states(*expectedVolume);
        if (which != QLatin1String("doping with Si"))
            QVERIFY(expected != before);

        start(ws, c, true);
        QCOMPARE(ws.console().message(), c.name + QStringLiteral(": Operation finished."));
        QCOMPARE(states(*volume), expected);
        QCOMPARE(ws.lastOperation(volume->id()), c.typeCode);
        QCOMPARE(ws.isLatticeOutOfDate(volume->id()), c.marksLattice);
        QVERIFY(!ws.currentOperation());

        QCOMPARE(ws.undoRedo().undoName(), c.name);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), before);
        QCOMPARE(ws.undoRedo().redoName(), c.name);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(states(*volume), expected);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), before);
    }

    void undoAndRedoRestoreExactStatesOfSeveralSteps()
    {
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        std::vector<std::vector<uint32_t>> history{states(*volume)};
        for (const char *key : {"ion implantation", "doping with N", "oxidation by thickness"}) {
            start(ws, cases().value(QLatin1String(key)), true);
            history.push_back(states(*volume));
            QVERIFY(history.back() != history[history.size() - 2]);
        }
        for (int i = 2; i >= 0; --i) {
            QVERIFY(ws.undoRedo().undo());
            QCOMPARE(states(*volume), history[size_t(i)]);
        }
        for (size_t i = 1; i <= 3; ++i) {
            QVERIFY(ws.undoRedo().redo());
            QCOMPARE(states(*volume), history[i]);
        }
    }

    void rejectedDialogCancels_data() { runsUndoesAndRedoes_data(); }
    void rejectedDialogCancels()
    {
        QFETCH(QString, which);
        const Case c = cases().value(which);
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        const auto before = states(*volume);
        start(ws, c, false);
        QCOMPARE(ws.console().message(), c.cancelText);
        QCOMPARE(states(*volume), before);
        QVERIFY(!ws.undoRedo().canUndo());
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.lastOperation(volume->id()), 0u);
    }

    void implantationNeedsEveryDistance()
    {
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        const auto before = states(*volume);
        Case c = cases().value(QStringLiteral("ion implantation"));
        c.make = maker<IonImplantationOperation>([](IonImplantationOperation &op) {
            op.setMaterial(PSi);
            op.setDepth(3.0);
            op.setAnnealingDistance(1.5);
        });
        start(ws, c, true);
        QCOMPARE(ws.console().message(), QStringLiteral("Ion Implantation: Operation Canceled!"));
        QCOMPARE(states(*volume), before);
    }

    void oxidationWithoutConversionCountsMicronsAsCellUnits()
    {
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        Case c = cases().value(QStringLiteral("oxidation by thickness"));
        c.make = maker<SimpleSiOxidationOperation>([](SimpleSiOxidationOperation &op) { op.setThickness(4.0); });
        start(ws, c, true);
        auto expected = freshVolume();
        SimpleSiOxidation(*expected, 1.0).runWithThickness(4.0);
        QCOMPARE(states(*volume), states(*expected));
    }

    void oxidationByTimeTellsTheThickness()
    {
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        QStringList lines;
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&ws, &lines] { lines << ws.console().message(); };
        ws.console().addObserver(observer);
        start(ws, cases().value(QStringLiteral("oxidation by time")), true);
        const double microns = SimpleSiOxidation::dealGroveThickness(1.5, 1323.0, 0.8);
        QVERIFY2(lines.contains(QStringLiteral("Simple Si Oxidation: Oxide thickness %1 microns (%2 cell units).")
                                    .arg(microns, 0, 'g', 4)
                                    .arg(microns * 30.0, 0, 'g', 4)),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(lines.last(), QStringLiteral("Simple Si Oxidation: Operation finished."));
    }

    void emptyMaterialSetSaysSoAndChangesNothing_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<uint>("process");
        QTest::addColumn<QString>("message");
        const QString doping = QStringLiteral(
            "No material can be %1: the process \"Simple Doping\" has no compatible materials (Materials > "
            "Manage Compatible Materials).");
        QTest::newRow("doping") << "doping with N" << 13u
                                << QStringLiteral("Doping: ") + doping.arg(QStringLiteral("doped"));
        QTest::newRow("ion implantation")
            << "ion implantation" << 13u
            << QStringLiteral("Ion Implantation: ") + doping.arg(QStringLiteral("implanted"));
        QTest::newRow("oxidation") << "oxidation by thickness" << 12u
                                   << QStringLiteral("Simple Si Oxidation: No material can be oxidized: the process "
                                                     "\"Simple Si Oxidation\" has no compatible materials "
                                                     "(Materials > Manage Compatible Materials).");
    }
    void emptyMaterialSetSaysSoAndChangesNothing()
    {
        QFETCH(QString, which);
        QFETCH(uint, process);
        QFETCH(QString, message);
        auto *catalogue = Model::Process::ProcessFactory::instance().get();
        const Model::Process::Process old = catalogue->getProcess(process);
        catalogue->setProcess(Model::Process::Process(old.name(), process, {}));

        const Case c = cases().value(which);
        Core::Workspace ws;
        auto volume = freshVolume();
        ws.document().addObject(volume);
        const auto before = states(*volume);
        QStringList lines;
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&ws, &lines] { lines << ws.console().message(); };
        ws.console().addObserver(observer);
        start(ws, c, true);
        catalogue->setProcess(old);

        QVERIFY2(lines.size() >= 2, qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(lines[lines.size() - 2], message);
        QCOMPARE(lines.last(), c.cancelText);
        QCOMPARE(states(*volume), before);
        QVERIFY(!ws.undoRedo().canUndo());
        QCOMPARE(ws.lastOperation(volume->id()), 0u);
    }
};

QTEST_GUILESS_MAIN(tst_DopingOperations)
#include "tst_dopingoperations.moc"
