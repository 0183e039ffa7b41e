// The runner of process lists: result codes, failures, warnings, stops and the volume it makes.
#include "Core/BatchRun/batchrunner.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"
#include "batchlists.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <new>
#include <stdexcept>

using namespace Core::BatchRun;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::ProcessData;

namespace {

ProcessData sphereSubstrate(uint n, uint cx, uint cy, uint cz, uint radius)
{
    ProcessData step = boxSubstrate(n, n, n, 1);
    step.setParameter(QStringLiteral("SphericalSubstrate"), true, false);
    step.setParameter(QStringLiteral("Substrate Center X"), cx, true);
    step.setParameter(QStringLiteral("Substrate Center Y"), cy, true);
    step.setParameter(QStringLiteral("Substrate Center Z"), cz, true);
    step.setParameter(QStringLiteral("Substrate Radius"), radius, true);
    return step;
}

ProcessData deposition(double thickness)
{
    return batchStep(IsotropicDeposition, {{"Material_Id", 3u}, {"Film Thickness", thickness}});
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
        PoolThreads pool(threads);
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
        const RunSummary summary = runner.run({boxSubstrate(12, 10, 14, 5), deposition(4.0), deposition(2.0)});
        QVERIFY(summary.stopped);
        QVERIFY(!summary.succeeded());
        QCOMPARE(summary.stoppedIndex, 1);
        QCOMPARE(summary.done, 1);
        QCOMPARE(summary.failedIndex, -1);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1].code, int(Stopped));
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
        const RunSummary summary = runner.run({boxSubstrate(8, 8, 10, 3), deposition(2.0), deposition(2.0)});
        QVERIFY(summary.stopped);
        QCOMPARE(summary.stoppedIndex, 2);
        QCOMPARE(summary.done, 2);

        // The first film of 2 is complete: the layers z = 3 and 4, whose centres lie 0.5 and 1.5 above.
        QCOMPARE(countState(*runner.target(), 3), size_t(2 * 8 * 8));
    }

    void resultCodes_data()
    {
        QTest::addColumn<ProcessData>("step");
        QTest::addColumn<int>("code");
        auto with = [](const char *name, const QVariant &value) {
            ProcessData step = boxSubstrate(4, 4, 4, 2);
            step.setParameter(QLatin1String(name), value, true);
            return step;
        };
        ProcessData noCorner(CreateSubstrate);
        noCorner.setParameter(QStringLiteral("Material_Id"), 1u, false);
        QTest::newRow("success") << boxSubstrate(4, 4, 4, 2) << 0;
        QTest::newRow("missing parameter") << noCorner << 1;
        QTest::newRow("empty step") << ProcessData(CreateSubstrate) << 1;
        QTest::newRow("value of unknown type") << with("Volume Size X", QVariant()) << 2;
        QTest::newRow("text for a count") << with("Volume Size Y", QStringLiteral("four")) << 2;
        QTest::newRow("negative count") << with("Substrate Size Z", -2) << 2;
        QTest::newRow("text for a vector") << with("Lower Left Front Corner", QStringLiteral("1;2;3")) << 2;
        QTest::newRow("volume of size 0") << boxSubstrate(0, 4, 4, 2) << 2;
        QTest::newRow("type above 19") << ProcessData(20) << 3;
        QTest::newRow("failed to read") << ProcessData(ProcessData::FailedToRead) << 3;
        QTest::newRow("negative type") << ProcessData(-1) << 3;
        QTest::newRow("not implemented") << film(1.0) << 4;
    }
    void resultCodes()
    {
        QFETCH(ProcessData, step);
        QFETCH(int, code);
        const QStringList messages{"No error, process was run successfully.",
                                   "A required parameter was not found. Check input list.",
                                   "Value for a required parameter is invalid. Check input list.",
                                   "Unknown process. Remove process from the list.",
                                   "Process is not implemented. Remove process from the list."};
        Core::Workspace workspace;
        // Only Create Substrate is wired in this registry; type 16 has no runner here.
        StepRegistry registry;
        registry.add(CreateSubstrate,
                     [](StepContext &c, const ProcessData &s) { return StepRegistry::standard().run(c, s); });
        BatchRunner runner(workspace, std::make_shared<TotalVolume>(2, 2, 2, 1, 1, 1, Util::Vector3D(), 1u), registry);
        QList<StepRecord> records;
        runner.setStepObserver([&records](const StepRecord &r) { records << r; });
        const RunSummary summary = runner.run({step});
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].code, code);
        QCOMPARE(records[0].message, messages[code]);
        QCOMPARE(resultMessage(code), messages[code]);
        QCOMPARE(summary.done, code == 0 ? 1 : 0);
        QCOMPARE(summary.failedIndex, code == 0 ? -1 : 0);
        if (code == 1 || code == 2)
            QVERIFY(!records[0].detail.isEmpty());
    }

    void failingStepEndsTheRun_data()
    {
        QTest::addColumn<QVariant>("thickness");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("missing parameter") << QVariant() << 1 << resultMessage(1) << QString();
        QTest::newRow("refused input") << QVariant(-1.0) << 2 << resultMessage(2)
                                       << QStringLiteral("The thickness must not be negative.");
        // Not a fault of the list: said as such, never as an invalid value.
        QTest::newRow("out of memory") << QVariant(2e9) << 5
                                       << QStringLiteral("Not enough memory to run this process on the cell volume.")
                                       << QString();
    }
    void failingStepEndsTheRun()
    {
        QFETCH(QVariant, thickness);
        QFETCH(int, code);
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        QList<int> codes;
        runner.setStepObserver([&codes](const StepRecord &r) { codes << r.code; });
        int warnings = 0;
        runner.setWarningObserver([&warnings](const QString &) { ++warnings; });
        // The last step would warn if it ran.
        ProcessData typo = film(0.0);
        typo.markUnconverted(QStringLiteral("Film Thickness"), QStringLiteral("thick"));
        const RunSummary summary = runner.run({boxSubstrate(3, 3, 3, 1), film(thickness), typo});
        QCOMPARE(codes, (QList<int>{0, code}));
        QCOMPARE(summary.done, 1);
        QCOMPARE(runner.doneCount(), 1);
        QCOMPARE(summary.failedIndex, 1);
        QCOMPARE(summary.failure.name, QStringLiteral("Isotropic Deposition"));
        QCOMPARE(summary.failure.code, code);
        QTEST(summary.failure.message, "message");
        QTEST(summary.failure.detail, "detail");
        QCOMPARE(steps.runs, 0);
        QCOMPARE(warnings, 0);
        // The first step stays applied.
        QCOMPARE(countState(*runner.target(), 1), size_t(9));
        QCOMPARE(countState(*runner.target(), 3), size_t(0));
    }

    void numbersThatDidNotConvertWarnAndRunAsZero()
    {
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        ProcessData substrate = boxSubstrate(4, 4, 6, 2);
        substrate.markUnconverted(QStringLiteral("Lower Left Front Corner"), QStringLiteral("0;x;0"));
        ProcessData typo = deposition(0.0);
        typo.markUnconverted(QStringLiteral("Film Thickness"), QStringLiteral("thick"));
        QStringList events;
        runner.setWarningObserver([&events](const QString &w) { events << QStringLiteral("warning: ") + w; });
        runner.setStepObserver(
            [&events](const StepRecord &r) { events << r.line(2).section(QLatin1String("  "), 0, 1); });
        QVERIFY(runner.run({substrate, typo}).succeeded());
        // Each warning just before the step it belongs to runs.
        QCOMPARE(events,
                 (QStringList{QStringLiteral("warning: step 1 (Create Substrate): \"Lower Left Front Corner\" is "
                                             "not three numbers (\"0;x;0\"); 0 is used for each part that is "
                                             "not a number."),
                              QStringLiteral("1/2  Create Substrate"),
                              QStringLiteral("warning: step 2 (Isotropic Deposition): \"Film Thickness\" is "
                                             "not a number (\"thick\"); 0 is used."),
                              QStringLiteral("2/2  Isotropic Deposition")}));
        // A film of thickness 0 leaves the substrate as it was: 4 x 4 x 2 cells of Si, nothing else.
        QCOMPARE(countState(*runner.target(), 1), size_t(32));
        QCOMPARE(countState(*runner.target(), 3), size_t(0));
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
        QTest::addColumn<QList<uint>>("inside");
        QTest::addColumn<QList<uint>>("outside");
        ProcessData offsetBox = boxSubstrate(10, 10, 80, 30);
        offsetBox.setParameter(QStringLiteral("Substrate Delta Z"), 60u, true);
        ProcessData shiftedBox = boxSubstrate(4, 4, 4, 4);
        shiftedBox.setParameter(QStringLiteral("Substrate Delta X"), 2u, true);
        QTest::newRow("box clipped at the top")
            << offsetBox << 10 * 10 * 20 << QList<uint>{9, 9, 60, 0, 1, 79} << QList<uint>{1, 1, 59, 9, 9, 0};
        QTest::newRow("box clipped at the side")
            << shiftedBox << 2 * 4 * 4 << QList<uint>{2, 0, 0, 3, 3, 3} << QList<uint>{1, 0, 0, 0, 3, 3};
        QTest::newRow("sphere of radius 1")
            << sphereSubstrate(11, 5, 5, 5, 1) << 7 << QList<uint>{5, 5, 6, 4, 5, 5} << QList<uint>{5, 6, 6, 4, 4, 5};
        // The octant of a ball of radius 2 in the corner: lattice points with x, y, z >= 0 and
        // x^2 + y^2 + z^2 <= 4.
        QTest::newRow("sphere at the corner")
            << sphereSubstrate(5, 0, 0, 0, 2) << 11 << QList<uint>{0, 0, 2, 1, 1, 0} << QList<uint>{1, 1, 2, 2, 1, 0};
    }
    void substrateShapes()
    {
        QFETCH(ProcessData, step);
        QFETCH(int, filled);
        QFETCH(QList<uint>, inside);
        QFETCH(QList<uint>, outside);
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        QVERIFY(runner.run({step}).succeeded());
        TotalVolume &volume = *runner.target();
        QCOMPARE(countState(volume, 1), size_t(filled));
        for (int i = 0; i < inside.size(); i += 3) {
            QCOMPARE(stateAt(volume, inside[i], inside[i + 1], inside[i + 2]), 1u);
            QCOMPARE(stateAt(volume, outside[i], outside[i + 1], outside[i + 2]), 0u);
        }
    }

    void missingVolumeStopsTheRun()
    {
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        int observed = 0;
        runner.setStepObserver([&observed](const StepRecord &) { ++observed; });
        runner.setWarningObserver([&observed](const QString &) { ++observed; });
        ProcessData typo = film(1.0);
        typo.markUnconverted(QStringLiteral("Film Thickness"), QStringLiteral("thick"));
        const RunSummary summary = runner.run({typo, boxSubstrate(2, 2, 2, 1)});
        QVERIFY(summary.missingVolume);
        QVERIFY(!summary.succeeded());
        QCOMPARE(summary.done, 0);
        QCOMPARE(summary.failure.index, 0);
        QCOMPARE(observed, 0);
        QCOMPARE(steps.runs, 0);
        QVERIFY(workspace.document().allObjects().isEmpty());
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
        // A new value keeps the visibility.
        box.setParameterValue(QStringLiteral("SphericalSubstrate"), true);
        QVERIFY(!box.getParameterVisibility(QStringLiteral("SphericalSubstrate")));
    }
};

QTEST_GUILESS_MAIN(tst_BatchRunner)
#include "tst_batchrunner.moc"
