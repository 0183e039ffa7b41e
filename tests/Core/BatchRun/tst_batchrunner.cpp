#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Util/runcontrol.h"
#include "catalogtesthome.h"

#include <QThreadPool>
#include <QtTest>

#include <new>
#include <stdexcept>

using namespace Core::BatchRun;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::ProcessData;

namespace {

ProcessData boxSubstrate(uint nx, uint ny, uint nz, uint sizeZ, uint material = 1)
{
    ProcessData step(CreateSubstrate);
    step.setParameter(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(material), false);
    step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(0, 0, 0)), true);
    step.setParameter(QStringLiteral("Volume Size X"), QVariant::fromValue<uint>(nx), true);
    step.setParameter(QStringLiteral("Volume Size Y"), QVariant::fromValue<uint>(ny), true);
    step.setParameter(QStringLiteral("Volume Size Z"), QVariant::fromValue<uint>(nz), true);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    for (const char *axis : {"X", "Y", "Z"})
        step.setParameter(QStringLiteral("Substrate Delta ") + QLatin1String(axis), QVariant::fromValue<uint>(0), true);
    step.setParameter(QStringLiteral("Substrate Size X"), QVariant::fromValue<uint>(nx), true);
    step.setParameter(QStringLiteral("Substrate Size Y"), QVariant::fromValue<uint>(ny), true);
    step.setParameter(QStringLiteral("Substrate Size Z"), QVariant::fromValue<uint>(sizeZ), true);
    return step;
}

ProcessData sphereSubstrate(uint n, uint cx, uint cy, uint cz, uint radius)
{
    ProcessData step = boxSubstrate(n, n, n, 1);
    step.setParameter(QStringLiteral("SphericalSubstrate"), true, false);
    step.setParameter(QStringLiteral("Substrate Center X"), QVariant::fromValue<uint>(cx), true);
    step.setParameter(QStringLiteral("Substrate Center Y"), QVariant::fromValue<uint>(cy), true);
    step.setParameter(QStringLiteral("Substrate Center Z"), QVariant::fromValue<uint>(cz), true);
    step.setParameter(QStringLiteral("Substrate Radius"), QVariant::fromValue<uint>(radius), true);
    return step;
}

ProcessData deposition(float thickness)
{
    ProcessData step(IsotropicDeposition);
    step.setParameter(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(3), false);
    step.setParameter(QStringLiteral("Film Thickness"), QVariant::fromValue(thickness), true);
    return step;
}

size_t countState(TotalVolume &volume, uint32_t state)
{
    Model::Automaton::CellLock lock(volume);
    size_t count = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        count += lock.cells()[i].state() == state ? 1 : 0;
    return count;
}

// A registry with Create Substrate and a test step (type 16) that reads "Film Thickness" as a
// double, counts its runs and fills the top layer with material 3.
struct TestSteps {
    int runs = 0;
    StepRegistry registry;
    TestSteps()
    {
        registry.add(CreateSubstrate,
                     [](StepContext &c, const ProcessData &s) { return StepRegistry::standard().run(c, s); });
        registry.add(IsotropicDeposition, [this](StepContext &c, const ProcessData &s) {
            if (!s.hasParameter(QStringLiteral("Film Thickness")))
                return int(MissingParameter);
            bool ok = false;
            const double t = s.getProcessParameter(QStringLiteral("Film Thickness")).toDouble(&ok);
            if (!ok)
                return int(InvalidValue);
            if (t < 0)
                throw std::invalid_argument("The thickness must not be negative.");
            if (t > 1e9)
                throw std::bad_alloc();
            ++runs;
            Model::Automaton::CellLock lock(*c.target);
            for (uint32_t x = 0; x < c.target->sizeX(); ++x)
                for (uint32_t y = 0; y < c.target->sizeY(); ++y)
                    lock.cells()[c.target->index(x, y, c.target->sizeZ() - 1)].setState(3);
            c.recordStep(13);
            return int(Success);
        });
    }
};

ProcessData film(const QVariant &thickness)
{
    ProcessData step(IsotropicDeposition);
    if (thickness.isValid())
        step.setParameter(QStringLiteral("Film Thickness"), thickness, true);
    return step;
}

} // namespace

class tst_BatchRunner : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void stopDuringAStepPutsItsCellsBackAndEndsTheRun_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("1 thread") << 1;
        QTest::newRow("2 threads") << 2;
    }
    void stopDuringAStepPutsItsCellsBackAndEndsTheRun()
    {
        QFETCH(int, threads);
        const int oldThreads = QThreadPool::globalInstance()->maxThreadCount();
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        Core::Workspace ws(Core::UndoFiles::Storage::None);
        BatchRunner runner(ws, nullptr);
        Util::RunControl control;
        // Boundary 3 of the deposition comes after its first iteration: cells have changed.
        int step = -1;
        runner.setStartObserver([&step](int index, const QString &) { step = index; });
        control.setBoundaryCallback([&step](Util::RunControl &c) {
            if (step == 1 && c.boundaries() == 3)
                c.requestStop();
        });
        runner.setRunControl(&control, true);
        QList<StepRecord> records;
        runner.setStepObserver([&records](const StepRecord &r) { records << r; });
        const RunSummary summary = runner.run({boxSubstrate(12, 10, 14, 5), deposition(4.0f), deposition(2.0f)});
        QThreadPool::globalInstance()->setMaxThreadCount(oldThreads);

        QVERIFY(summary.stopped);
        QVERIFY(!summary.succeeded());
        QCOMPARE(summary.stoppedIndex, 1);
        QCOMPARE(summary.done, 1);
        QCOMPARE(summary.failedIndex, -1);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1].code, int(Stopped));
        QVERIFY(runner.target());
        QCOMPARE(countState(*runner.target(), 3), size_t(0));
        QCOMPARE(countState(*runner.target(), 1), size_t(12 * 10 * 5));
    }

    void stopTooLateForAStepEndsTheRunBeforeTheNext()
    {
        Core::Workspace ws(Core::UndoFiles::Storage::None);
        BatchRunner runner(ws, nullptr);
        Util::RunControl control;
        runner.setRunControl(&control, true);
        runner.setStepObserver([&control](const StepRecord &r) {
            if (r.index == 1)
                control.requestStop();
        });
        const RunSummary summary = runner.run({boxSubstrate(8, 8, 10, 3), deposition(2.0f), deposition(2.0f)});
        QVERIFY(summary.stopped);
        QCOMPARE(summary.stoppedIndex, 2);
        QCOMPARE(summary.done, 2);

        Core::Workspace reference(Core::UndoFiles::Storage::None);
        BatchRunner full(reference, nullptr);
        const RunSummary fullSummary = full.run({boxSubstrate(8, 8, 10, 3), deposition(2.0f)});
        QVERIFY(fullSummary.succeeded());
        QCOMPARE(countState(*runner.target(), 3), countState(*full.target(), 3));
        QVERIFY(countState(*runner.target(), 3) > 0);
    }

    void resultCodes_data()
    {
        QTest::addColumn<ProcessData>("step");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        ProcessData noSize = boxSubstrate(4, 4, 4, 2);
        noSize.setParameter(QStringLiteral("Volume Size X"), QVariant(), true);
        ProcessData textSize = boxSubstrate(4, 4, 4, 2);
        textSize.setParameter(QStringLiteral("Volume Size Y"), QStringLiteral("four"), true);
        ProcessData negativeSize = boxSubstrate(4, 4, 4, 2);
        negativeSize.setParameter(QStringLiteral("Substrate Size Z"), -2, true);
        ProcessData zeroSize = boxSubstrate(0, 4, 4, 2);
        ProcessData noCorner(CreateSubstrate);
        noCorner.setParameter(QStringLiteral("Material_Id"), 1u, false);
        ProcessData badMask = boxSubstrate(4, 4, 4, 2);
        badMask.setParameter(QStringLiteral("Lower Left Front Corner"), QStringLiteral("1;2;3"), true);

        QTest::newRow("success") << boxSubstrate(4, 4, 4, 2) << 0 << "No error, process was run successfully.";
        QTest::newRow("missing parameter") << noCorner << 1 << "A required parameter was not found. Check input list.";
        QTest::newRow("empty step") << ProcessData(CreateSubstrate) << 1
                                    << "A required parameter was not found. Check input list.";
        QTest::newRow("value of unknown type")
            << noSize << 2 << "Value for a required parameter is invalid. Check input list.";
        QTest::newRow("text for a count")
            << textSize << 2 << "Value for a required parameter is invalid. Check input list.";
        QTest::newRow("negative count") << negativeSize << 2
                                        << "Value for a required parameter is invalid. Check input list.";
        QTest::newRow("text for a vector")
            << badMask << 2 << "Value for a required parameter is invalid. Check input list.";
        QTest::newRow("volume of size 0")
            << zeroSize << 2 << "Value for a required parameter is invalid. Check input list.";
        QTest::newRow("type above 19") << ProcessData(20) << 3 << "Unknown process. Remove process from the list.";
        QTest::newRow("failed to read") << ProcessData(ProcessData::FailedToRead) << 3
                                        << "Unknown process. Remove process from the list.";
        QTest::newRow("negative type") << ProcessData(-1) << 3 << "Unknown process. Remove process from the list.";
        QTest::newRow("not implemented") << film(1.0) << 4
                                         << "Process is not implemented. Remove process from the list.";
    }
    void resultCodes()
    {
        QFETCH(ProcessData, step);
        QFETCH(int, code);
        QFETCH(QString, message);
        Core::Workspace workspace;
        // Only Create Substrate is wired in this registry; type 16 has no runner here.
        StepRegistry registry;
        registry.add(CreateSubstrate,
                     [](StepContext &c, const ProcessData &s) { return StepRegistry::standard().run(c, s); });
        auto volume = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        BatchRunner runner(workspace, volume, registry);
        QList<StepRecord> records;
        runner.setStepObserver([&records](const StepRecord &r) { records << r; });
        const RunSummary summary = runner.run({step});
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].code, code);
        QCOMPARE(records[0].message, message);
        QCOMPARE(resultMessage(code), message);
        QCOMPARE(summary.done, code == 0 ? 1 : 0);
        QCOMPARE(summary.failedIndex, code == 0 ? -1 : 0);
        if (code == 1 || code == 2)
            QVERIFY(!records[0].detail.isEmpty());
    }

    void runStopsAtFirstFailure()
    {
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        QList<int> codes;
        runner.setStepObserver([&codes](const StepRecord &r) { codes << r.code; });
        const RunSummary summary = runner.run({boxSubstrate(3, 3, 3, 1), film(QVariant()), film(2.0)});
        QCOMPARE(codes, (QList<int>{0, 1}));
        QCOMPARE(summary.done, 1);
        QCOMPARE(runner.doneCount(), 1);
        QCOMPARE(summary.failedIndex, 1);
        QCOMPARE(summary.failure.name, QStringLiteral("Isotropic Deposition"));
        QCOMPARE(steps.runs, 0);
        // The first step stays applied.
        QVERIFY(runner.target());
        QCOMPARE(countState(*runner.target(), 1), size_t(9));
        QCOMPARE(countState(*runner.target(), 3), size_t(0));
    }

    void engineErrorFailsTheStep_data()
    {
        QTest::addColumn<double>("thickness");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("refused input") << -1.0 << 2 << resultMessage(2)
                                       << QStringLiteral("The thickness must not be negative.");
        // Not a fault of the list: said as such, never as an invalid value.
        QTest::newRow("out of memory") << 2e9 << 5
                                       << QStringLiteral("Not enough memory to run this process on the cell volume.")
                                       << QString();
    }
    void engineErrorFailsTheStep()
    {
        QFETCH(double, thickness);
        QFETCH(int, code);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        const RunSummary summary = runner.run({boxSubstrate(3, 3, 3, 1), film(thickness), film(1.0)});
        QCOMPARE(summary.done, 1);
        QCOMPARE(summary.failure.code, code);
        QCOMPARE(summary.failure.message, message);
        QCOMPARE(summary.failure.detail, detail);
        QCOMPARE(steps.runs, 0);
    }

    void numbersThatDidNotConvertWarnAndRunAsZero()
    {
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        ProcessData deposition(IsotropicDeposition);
        deposition.setParameter(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(3), false);
        deposition.setParameter(QStringLiteral("Film Thickness"), 0.0, true);
        deposition.markUnconverted(QStringLiteral("Film Thickness"), QStringLiteral("thick"));
        QStringList events;
        runner.setWarningObserver([&events](const QString &w) { events << QStringLiteral("warning: ") + w; });
        runner.setStepObserver(
            [&events](const StepRecord &r) { events << r.line(2).section(QLatin1String("  "), 0, 1); });
        const RunSummary summary = runner.run({boxSubstrate(4, 4, 6, 2), deposition});
        QVERIFY(summary.succeeded());
        // One warning, just before the step it belongs to runs.
        QCOMPARE(events, (QStringList{QStringLiteral("1/2  Create Substrate"),
                                      QStringLiteral("warning: step 2 (Isotropic Deposition): \"Film Thickness\" is "
                                                     "not a number (\"thick\"); 0 is used."),
                                      QStringLiteral("2/2  Isotropic Deposition")}));
        // A film of thickness 0 leaves the substrate as it was: 4 x 4 x 2 cells of Si, nothing else.
        QCOMPARE(countState(*runner.target(), 1), size_t(32));
        QCOMPARE(countState(*runner.target(), 3), size_t(0));
    }

    void conversionWarningsNameStepAndParameter()
    {
        ProcessData step(CreateSubstrate);
        step.setParameter(QStringLiteral("Volume Size X"), QVariant::fromValue<uint>(0), true);
        step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(1, 0, 3)),
                          true);
        step.markUnconverted(QStringLiteral("Volume Size X"), QStringLiteral("-3"));
        step.markUnconverted(QStringLiteral("Lower Left Front Corner"), QStringLiteral("1;x;3"));
        QCOMPARE(BatchRunner::conversionWarnings(step, 6),
                 (QStringList{QStringLiteral("step 7 (Create Substrate): \"Lower Left Front Corner\" is not three "
                                             "numbers (\"1;x;3\"); 0 is used for each part that is not a number."),
                              QStringLiteral("step 7 (Create Substrate): \"Volume Size X\" is not a number (\"-3\"); 0 "
                                             "is used.")}));
        QVERIFY(BatchRunner::conversionWarnings(ProcessData(Planarization), 0).isEmpty());
    }

    void stepsThatDoNotRunDoNotWarn()
    {
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        ProcessData typo = film(0.0);
        typo.markUnconverted(QStringLiteral("Film Thickness"), QStringLiteral("thick"));
        int warnings = 0;
        runner.setWarningObserver([&warnings](const QString &) { ++warnings; });
        // No volume for the first step; after a failing step nothing more runs.
        QVERIFY(runner.run({typo}).missingVolume);
        QCOMPARE(runner.run({boxSubstrate(3, 3, 3, 1), film(QVariant()), typo}).failedIndex, 1);
        QCOMPARE(warnings, 0);
    }

    void stepLines()
    {
        StepRecord record;
        record.index = 1;
        record.name = QStringLiteral("PVD");
        record.milliseconds = 12;
        record.message = resultMessage(InvalidValue);
        QCOMPARE(record.line(5),
                 QStringLiteral("2/5  PVD  12 ms  Value for a required parameter is invalid. Check input list."));
        record.detail = QStringLiteral("invalid: DepositOn");
        QVERIFY(record.line(5).endsWith(QLatin1String("Check input list. (invalid: DepositOn)")));
    }

    void createSubstrateRunsWithoutVolume()
    {
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        const RunSummary summary = runner.run({boxSubstrate(5, 4, 6, 2), film(1.0)});
        QVERIFY(summary.succeeded());
        QCOMPARE(summary.done, 2);
        const TotalVolumePtr volume = runner.target();
        QVERIFY(volume);
        QCOMPARE(workspace.document().allObjects().size(), 1);
        QCOMPARE(workspace.document().allObjects().first(), std::static_pointer_cast<Model::Object>(volume));
        QCOMPARE(volume->sizeX(), 5u);
        QCOMPARE(volume->sizeZ(), 6u);
        QCOMPARE(countState(*volume, 1), size_t(5 * 4 * 2));
        QCOMPARE(countState(*volume, 3), size_t(5 * 4));
        QCOMPARE(workspace.lastOperation(volume->id()), 13u);
        QVERIFY(workspace.isLatticeOutOfDate(volume->id()));
    }

    void substrateShapes_data()
    {
        QTest::addColumn<ProcessData>("step");
        QTest::addColumn<int>("filled");
        ProcessData offsetBox = boxSubstrate(10, 10, 80, 30);
        offsetBox.setParameter(QStringLiteral("Substrate Delta Z"), 60u, true);
        ProcessData shiftedBox = boxSubstrate(4, 4, 4, 4);
        shiftedBox.setParameter(QStringLiteral("Substrate Delta X"), 2u, true);
        QTest::newRow("box clipped at the top") << offsetBox << 10 * 10 * 20;
        QTest::newRow("box clipped at the side") << shiftedBox << 2 * 4 * 4;
        QTest::newRow("sphere of radius 1") << sphereSubstrate(11, 5, 5, 5, 1) << 7;
        // The octant of a ball of radius 2 in the corner: lattice points with x, y, z >= 0 and
        // x^2 + y^2 + z^2 <= 4.
        QTest::newRow("sphere at the corner") << sphereSubstrate(5, 0, 0, 0, 2) << 11;
    }
    void substrateShapes()
    {
        QFETCH(ProcessData, step);
        QFETCH(int, filled);
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        QVERIFY(runner.run({step}).succeeded());
        QCOMPARE(countState(*runner.target(), 1), size_t(filled));
    }

    void boxClippedAtTheTopFillsTheRightCells()
    {
        Core::Workspace workspace;
        ProcessData step = boxSubstrate(2, 2, 80, 30);
        step.setParameter(QStringLiteral("Substrate Delta Z"), 60u, true);
        BatchRunner runner(workspace, nullptr);
        QVERIFY(runner.run({step}).succeeded());
        TotalVolume &v = *runner.target();
        Model::Automaton::CellLock lock(v);
        QCOMPARE(lock.cells()[v.index(1, 1, 59)].state(), 0u);
        QCOMPARE(lock.cells()[v.index(1, 1, 60)].state(), 1u);
        QCOMPARE(lock.cells()[v.index(0, 1, 79)].state(), 1u);
    }

    void missingVolumeStopsTheRun()
    {
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        int observed = 0;
        runner.setStepObserver([&observed](const StepRecord &) { ++observed; });
        const RunSummary summary = runner.run({film(1.0), boxSubstrate(2, 2, 2, 1)});
        QVERIFY(summary.missingVolume);
        QVERIFY(!summary.succeeded());
        QCOMPARE(summary.done, 0);
        QCOMPARE(summary.failure.index, 0);
        QCOMPARE(observed, 0);
        QCOMPARE(steps.runs, 0);
        QVERIFY(workspace.document().allObjects().isEmpty());
    }

    void emptyListSucceeds()
    {
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        const RunSummary summary = runner.run({});
        QVERIFY(summary.succeeded());
        QCOMPARE(summary.done, 0);
    }

    void saveImageNeedsFileNameAndHandler()
    {
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        ProcessData save(SaveImage);
        QCOMPARE(BatchRunner(workspace, volume).run({save}).failure.code, 1);
        save.setParameter(QStringLiteral("Filename"), QStringLiteral("a.png"), true);
        QCOMPARE(BatchRunner(workspace, volume).run({save}).failure.code, 2);

        BatchRunner runner(workspace, volume);
        QStringList asked;
        runner.setSaveImageHandler([&asked](const QString &name, QString *) {
            asked << name;
            return true;
        });
        QVERIFY(runner.run({save, save}).succeeded());
        QCOMPARE(asked, (QStringList{QStringLiteral("a.png"), QStringLiteral("a.png")}));

        BatchRunner refusing(workspace, volume);
        refusing.setSaveImageHandler([](const QString &, QString *error) {
            *error = QStringLiteral("no context");
            return false;
        });
        const RunSummary summary = refusing.run({save});
        QCOMPARE(summary.failure.code, 2);
        QCOMPARE(summary.failure.detail, QStringLiteral("no context"));
    }

    // Steps worked out by hand on a 4 x 4 x 6 volume whose lowest two layers are silicon.
    void wiredStepsChangeTheCells_data()
    {
        QTest::addColumn<ProcessData>("step");
        QTest::addColumn<uint>("material");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("siliconLeft");
        QTest::addColumn<uint>("operationCode");
        auto make = [](int type, QList<QPair<const char *, QVariant>> values) {
            ProcessData step(type);
            for (const auto &v : values)
                step.setParameter(QLatin1String(v.first), v.second, true);
            return step;
        };
        QTest::newRow("spin coating to 4")
            << make(SpinCoating, {{"Material_Id", 11u}, {"Maximum Height", 4u}}) << 11u << 4 * 4 * 2 << 32 << 23u;
        QTest::newRow("spin coating above the top")
            << make(SpinCoating, {{"Material_Id", 11u}, {"Maximum Height", 99u}}) << 11u << 4 * 4 * 4 << 32 << 23u;
        QTest::newRow("planarization keeps z 1")
            << make(Planarization, {{"Maximum Height", 2u}, {"Minimum Height", 1u}}) << 1u << 16 << 16 << 22u;
        QTest::newRow("Moore deposition of 2 layers")
            << make(MooreDeposition, {{"Material_Id", 4u}, {"Thickness", 2u}}) << 4u << 4 * 4 * 2 << 32 << 18u;
        QTest::newRow("Moore etching of 1 layer")
            << make(MooreEtching, {{"Material_Id", 1u}, {"Depth", 1u}}) << 1u << 16 << 16 << 19u;
        QTest::newRow("CVD of 1") << make(Cvd, {{"Material_Id", 3u}, {"Thickness", 1.0}}) << 3u << 16 << 32 << 13u;
        QTest::newRow("isotropic deposition of 1")
            << make(IsotropicDeposition, {{"Material_Id", 3u}, {"Film Thickness", 1.0}}) << 3u << 16 << 32 << 13u;
        QTest::newRow("RIE of 1 from the top")
            << make(SimpleRie, {{"Material_Id", 1u}, {"Etch Depth", 1u}, {"EtchDirectionValue", 1}}) << 1u << 16 << 16
            << 30u;
        QTest::newRow("PVD of 1 on top")
            << make(Pvd,
                    {{"Material_Id", 4u}, {"Thickness", 1.0}, {"Horizontal to Vertical Ratio", 0.0}, {"DepositOn", 1}})
            << 4u << 16 << 32 << 31u;
        // Doping and implantation: the top silicon layer is z = 1 (1 from the empty space, d = 1).
        QTest::newRow("doping of 1") << make(Doping, {{"Doped Material_Id", 14u}, {"Doping Depth", 1.0f}}) << 14u << 16
                                     << 16 << 17u;
        QTest::newRow("implantation at 1") << make(IonImplantation, {{"Doped Material_Id", 15u},
                                                                     {"Implantation Depth", 1.0f},
                                                                     {"Vertical Spread", 0.0f},
                                                                     {"Annealing Distance", 0.0f}})
                                           << 15u << 16 << 16 << 3u;
        // 0.03 micron at 100 per micron: 1.68 outward takes the empty layer z = 2 (1.5 away),
        // 1.32 inward the surface layer z = 1 (0.5) but not z = 0 (1.5).
        QTest::newRow("oxidation to 0.03 micron") << make(SiOxidation, {{"OxidationTimeSet", false},
                                                                        {"OxidationThicknessSet", true},
                                                                        {"Oxidation Thickness", 0.03},
                                                                        {"Micron Conversion", 100.0}})
                                                  << 3u << 32 << 16 << 26u;
        // No time: the initial 0.025 micron, 1.4 outward (not z = 2) and 1.1 inward (z = 1).
        QTest::newRow("oxidation for no time") << make(SiOxidation, {{"OxidationTimeSet", true},
                                                                     {"Oxidation Time", 0.0},
                                                                     {"Oxidation Temperature", 1273.0},
                                                                     {"Oxidation Pressure", 1.0},
                                                                     {"Micron Conversion", 100.0}})
                                               << 3u << 16 << 16 << 26u;
        // Positive resist under an all-black top mask and no bottom mask: developed from below only,
        // where silicon covers it, so nothing goes.
        QTest::newRow("photolithography, covered") << make(Photolithography, {{"Material_Id", 1u},
                                                                              {"Top Mask", QByteArray(16, 1)},
                                                                              {"Top Mask Width", 4u},
                                                                              {"Top Mask Height", 4u},
                                                                              {"Bottom Mask", QByteArray()},
                                                                              {"Bottom Mask Width", 0u},
                                                                              {"Bottom Mask Height", 0u}})
                                                   << 1u << 32 << 32 << 20u;
        QTest::newRow("photolithography, open") << make(Photolithography, {{"Material_Id", 1u},
                                                                           {"Top Mask", QByteArray(16, 0)},
                                                                           {"Top Mask Width", 4u},
                                                                           {"Top Mask Height", 4u},
                                                                           {"Bottom Mask", QByteArray()},
                                                                           {"Bottom Mask Width", 0u},
                                                                           {"Bottom Mask Height", 0u}})
                                                << 1u << 0 << 0 << 20u;
    }
    void wiredStepsChangeTheCells()
    {
        QFETCH(ProcessData, step);
        QFETCH(uint, material);
        QFETCH(int, cells);
        QFETCH(int, siliconLeft);
        QFETCH(uint, operationCode);
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        const RunSummary summary = runner.run({boxSubstrate(4, 4, 6, 2), step});
        QVERIFY2(summary.succeeded(), qPrintable(summary.failure.message + QLatin1Char(' ') + summary.failure.detail));
        const TotalVolumePtr volume = runner.target();
        QCOMPARE(countState(*volume, material), size_t(cells));
        QCOMPARE(countState(*volume, 1), size_t(siliconLeft));
        QCOMPARE(workspace.lastOperation(volume->id()), operationCode);
    }

    void wiredStepsReportMissingParameters_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("code");
        QTest::newRow("Moore deposition without thickness")
            << int(MooreDeposition) << "Material_Id" << QVariant(1u) << 1;
        QTest::newRow("spin coating without material") << int(SpinCoating) << "Maximum Height" << QVariant(4u) << 1;
        QTest::newRow("planarization without minimum") << int(Planarization) << "Maximum Height" << QVariant(3u) << 1;
        QTest::newRow("PVD without side") << int(Pvd) << "Material_Id" << QVariant(4u) << 1;
        QTest::newRow("electroplating without thickness")
            << int(Electroplating) << "Conducting Material_Id" << QVariant(4u) << 1;
        QTest::newRow("doping without depth") << int(Doping) << "Doped Material_Id" << QVariant(14u) << 1;
        QTest::newRow("doping without material") << int(Doping) << "Doping Depth" << QVariant(1.0f) << 1;
        QTest::newRow("implantation without spread")
            << int(IonImplantation) << "Doped Material_Id" << QVariant(15u) << 1;
        QTest::newRow("oxidation without mode") << int(SiOxidation) << "Micron Conversion" << QVariant(100.0) << 1;
        QTest::newRow("oxidation by time without time")
            << int(SiOxidation) << "OxidationTimeSet" << QVariant(true) << 1;
        QTest::newRow("oxidation by thickness without thickness")
            << int(SiOxidation) << "OxidationTimeSet" << QVariant(false) << 1;
        QTest::newRow("photolithography without masks") << int(Photolithography) << "Material_Id" << QVariant(11u) << 1;
    }
    void wiredStepsReportMissingParameters()
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(int, code);
        ProcessData step(type);
        step.setParameter(name, value, true);
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        const RunSummary summary = BatchRunner(workspace, volume).run({step});
        QCOMPARE(summary.failure.code, code);
        QCOMPARE(countState(*volume, 1), size_t(8));
    }

    void invalidValuesOfWiredSteps_data()
    {
        QTest::addColumn<ProcessData>("step");
        ProcessData text(SpinCoating);
        text.setParameter(QStringLiteral("Material_Id"), 11u, false);
        text.setParameter(QStringLiteral("Maximum Height"), QStringLiteral("high"), true);
        ProcessData negative(Planarization);
        negative.setParameter(QStringLiteral("Maximum Height"), -1, true);
        negative.setParameter(QStringLiteral("Minimum Height"), 0u, true);
        ProcessData textMask(Photolithography);
        for (const char *n :
             {"Material_Id", "Top Mask Width", "Top Mask Height", "Bottom Mask Width", "Bottom Mask Height"})
            textMask.setParameter(QLatin1String(n), 0u, true);
        textMask.setParameter(QStringLiteral("Top Mask"), QStringLiteral("0110"), true);
        textMask.setParameter(QStringLiteral("Bottom Mask"), QByteArray(), true);
        ProcessData side(Pvd);
        side.setParameter(QStringLiteral("Material_Id"), 4u, false);
        side.setParameter(QStringLiteral("Thickness"), 1.0, true);
        side.setParameter(QStringLiteral("Horizontal to Vertical Ratio"), 0.0, true);
        side.setParameter(QStringLiteral("DepositOn"), 5, false);
        ProcessData depth(Doping);
        depth.setParameter(QStringLiteral("Doped Material_Id"), 14u, true);
        depth.setParameter(QStringLiteral("Doping Depth"), QStringLiteral("deep"), true);
        ProcessData implanted(IonImplantation);
        implanted.setParameter(QStringLiteral("Doped Material_Id"), QStringLiteral("P"), true);
        for (const char *n : {"Annealing Distance", "Implantation Depth", "Vertical Spread"})
            implanted.setParameter(QLatin1String(n), 1.0f, true);
        QTest::newRow("doping depth as text") << depth;
        QTest::newRow("implanted material as text") << implanted;
        QTest::newRow("PVD on side 5") << side;
        QTest::newRow("text height") << text;
        QTest::newRow("negative height") << negative;
        QTest::newRow("mask given as text") << textMask;
    }
    void invalidValuesOfWiredSteps()
    {
        QFETCH(ProcessData, step);
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        const RunSummary summary = BatchRunner(workspace, volume).run({step});
        QCOMPARE(summary.failure.code, 2);
        QVERIFY(!summary.failure.detail.isEmpty());
        QCOMPARE(countState(*volume, 1), size_t(8));
    }

    void everyTypeHasNameAndVocabulary()
    {
        for (int type = 0; type <= LastProcessType; ++type) {
            QVERIFY(displayName(type) != QLatin1String("Unknown process"));
            const auto definitions = parameterDefinitions(type);
            QVERIFY2(!definitions.isEmpty(), qPrintable(displayName(type)));
            for (int i = 1; i < definitions.size(); ++i)
                QVERIFY(definitions[i - 1].name < definitions[i].name);
            for (const QString &base : materialBases(type)) {
                QVERIFY(std::any_of(definitions.begin(), definitions.end(),
                                    [&](const ParameterDefinition &s) { return s.name == base; }));
                QVERIFY(std::any_of(definitions.begin(), definitions.end(), [&](const ParameterDefinition &s) {
                    return s.name == base + QStringLiteral("_Color");
                }));
            }
        }
        QCOMPARE(displayName(20), QStringLiteral("Unknown process"));
        QCOMPARE(displayName(19), QStringLiteral("Doping (Random Walk CA)"));
        QCOMPARE(materialBases(Electroplating),
                 (QStringList{QStringLiteral("Conducting Material"), QStringLiteral("Deposited Material")}));
        QCOMPARE(addableProcesses().size(), 20);
    }

    void defaultVisibilityFollowsTheMode()
    {
        ProcessData sphere = sphereSubstrate(4, 1, 1, 1, 1);
        applyDefaultVisibility(sphere);
        QVERIFY(sphere.getParameterVisibility(QStringLiteral("Substrate Radius")));
        QVERIFY(!sphere.getParameterVisibility(QStringLiteral("Substrate Size X")));
        QVERIFY(!sphere.getParameterVisibility(QStringLiteral("Material_Id")));
        QVERIFY(sphere.getParameterVisibility(QStringLiteral("Volume Size X")));
        ProcessData box = boxSubstrate(4, 4, 4, 1);
        applyDefaultVisibility(box);
        QVERIFY(box.getParameterVisibility(QStringLiteral("Substrate Size X")));
        QVERIFY(!box.getParameterVisibility(QStringLiteral("SphericalSubstrate")));
    }

    void stepAccessors()
    {
        ProcessData a(5);
        ProcessData b(5);
        QVERIFY(b.getSerialNumber() > a.getSerialNumber());
        const ProcessData copy = a;
        QCOMPARE(copy.getSerialNumber(), a.getSerialNumber());
        QVERIFY(!a.getProcessParameter(QStringLiteral("Depth")).isValid());
        QVERIFY(!a.getParameterVisibility(QStringLiteral("Depth")));
        a.setParameter(QStringLiteral("Depth"), 2.0, false);
        a.setParameterValue(QStringLiteral("Depth"), 3.0);
        QCOMPARE(a.getProcessParameter(QStringLiteral("Depth")).toDouble(), 3.0);
        QVERIFY(!a.getParameterVisibility(QStringLiteral("Depth")));
        QVERIFY(!a.isExpanded());
        a.setExpanded(true);
        QVERIFY(a.isExpanded());
    }
};

QTEST_GUILESS_MAIN(tst_BatchRunner)
#include "tst_batchrunner.moc"
