// The runner of process lists: result codes, failures, warnings, stops and the volume it makes, and
// each step type as the runner wires it to its engine, with the records it leaves in the workspace.
#include "Core/BatchRun/imagefolder.h"
#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"
#include "batchsteps.h"
#include "catalogtesthome.h"
#include "gdsbytes.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace BatchSteps;

class tst_BatchRunner : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    // A stop during a step puts its cells back; one that comes too late for a step ends the run before
    // the next.
    void stopEndsTheRun_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<bool>("duringStep");
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("filmCells");
        QTest::newRow("during a step, 3 threads") << 3 << true << 1 << 0;
        // The first film of 4 is complete: the layers z = 5 to 8, whose centres lie 0.5 to 3.5 above.
        QTest::newRow("after a step") << 1 << false << 2 << 4 * 12 * 10;
    }
    void stopEndsTheRun()
    {
        QFETCH(int, threads);
        QFETCH(bool, duringStep);
        QFETCH(int, done);
        QFETCH(int, filmCells);
        PoolThreads pool(threads);
        Core::Workspace ws(Core::UndoFiles::Storage::None);
        BatchRunner runner(ws, nullptr);
        Util::RunControl control;
        // Boundary 3 of the deposition comes after its first iteration: cells have changed.
        int step = -1;
        runner.setStartObserver([&step](int index, const QString &) { step = index; });
        control.setBoundaryCallback([&step, duringStep](Util::RunControl &c) {
            if (duringStep && step == 1 && c.boundaries() == 3)
                c.requestStop();
        });
        runner.setRunControl(&control, true);
        QList<StepRecord> records;
        runner.setStepObserver([&records, &control, duringStep](const StepRecord &r) {
            records << r;
            if (!duringStep && r.index == 1)
                control.requestStop();
        });
        const RunSummary summary = runner.run({boxSubstrate(12, 10, 14, 5), film(4.0), film(2.0)});
        QVERIFY(summary.stopped && !summary.succeeded());
        QCOMPARE(summary.stoppedIndex, done);
        QCOMPARE(summary.done, done);
        QCOMPARE(summary.failedIndex, -1);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1].code, duringStep ? int(Stopped) : int(Success));
        QCOMPARE(countState(*runner.target(), 3), size_t(filmCells));
        QCOMPARE(countState(*runner.target(), 1), size_t(12 * 10 * 5));
    }

    // The steps before a failing one stay applied; the ones after it do not run (the last would warn).
    void failingStepEndsTheRun_data()
    {
        QTest::addColumn<ProcessStep>("step");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        ProcessStep textForCount = boxSubstrate(4, 4, 4, 2);
        textForCount.setParameter(QStringLiteral("Volume Size Y"), QStringLiteral("four"), true);
        QTest::newRow("missing parameter") << film(QVariant()) << 1 << QString();
        QTest::newRow("refused input") << film(-1.0) << 2 << QStringLiteral("The thickness must not be negative.");
        QTest::newRow("text for a count") << textForCount << 2 << QStringLiteral("invalid: Volume Size Y");
        QTest::newRow("volume of size 0") << boxSubstrate(0, 4, 4, 2) << 2 << QString();
        QTest::newRow("type above 23") << ProcessStep(24) << 3 << QString();
        QTest::newRow("failed to read") << ProcessStep(ProcessStep::FailedToRead) << 3 << QString();
        QTest::newRow("not implemented") << ProcessStep(SpinCoating) << 4 << QString();
        // Not a fault of the list: said as such, never as an invalid value.
        QTest::newRow("out of memory") << film(2e9) << 5 << QString();
    }
    void failingStepEndsTheRun()
    {
        QFETCH(ProcessStep, step);
        QFETCH(int, code);
        QFETCH(QString, detail);
        Core::Workspace workspace;
        TestSteps steps;
        BatchRunner runner(workspace, nullptr, steps.registry);
        QList<StepRecord> records;
        runner.setStepObserver([&records](const StepRecord &r) { records << r; });
        int warnings = 0;
        runner.setWarningObserver([&warnings](const QString &) { ++warnings; });
        ProcessStep typo = film(0.0);
        typo.markUnconverted(QStringLiteral("Film Thickness"), QStringLiteral("thick"));
        const RunSummary summary = runner.run({boxSubstrate(3, 3, 3, 1), step, typo});
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1].code, code);
        QCOMPARE(summary.done, 1);
        QCOMPARE(runner.doneCount(), 1);
        QCOMPARE(summary.failedIndex, 1);
        QCOMPARE(summary.failure.code, code);
        QCOMPARE(summary.failure.message, resultMessage(code));
        QVERIFY2(summary.failure.detail.startsWith(detail), qPrintable(summary.failure.detail));
        // The line shows the detail of a bad parameter after the message.
        if (code == 2)
            QVERIFY(records[1].line(1).endsWith(QLatin1String("list. (") + summary.failure.detail + QLatin1Char(')')));
        QCOMPARE(steps.runs, 0);
        QCOMPARE(warnings, 0);
        QCOMPARE(countState(*runner.target(), 1), size_t(9));
        QCOMPARE(countState(*runner.target(), 3), size_t(0));
    }

    void numbersThatDidNotConvertWarnAndRunAsZero()
    {
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        ProcessStep substrate = boxSubstrate(4, 4, 6, 2);
        substrate.markUnconverted(QStringLiteral("Lower Left Front Corner"), QStringLiteral("0;x;0"));
        ProcessStep typo = film(0.0);
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

    // A step estimated to run for more than an hour says so, with the estimate, before it starts.
    void longStepsAreAnnouncedWithTheirEstimate_data()
    {
        QTest::addColumn<double>("minutes");
        QTest::addColumn<uint>("side");
        QTest::addColumn<bool>("announced");
        // 4294967295 one-second steps: the longest walk the engine takes.
        QTest::newRow("4294967295 steps over 1000 cells") << 4294967295.0 / 60.0 << 10u << true;
        QTest::newRow("two minutes") << 2.0 << 10u << false;
    }
    void longStepsAreAnnouncedWithTheirEstimate()
    {
        QFETCH(double, minutes);
        QFETCH(uint, side);
        QFETCH(bool, announced);
        // The standard steps, but the walk itself does not run.
        StepRegistry registry = StepRegistry::standard();
        int walks = 0;
        registry.add(RandomWalkDoping, [&walks](StepContext &, const ProcessStep &) {
            ++walks;
            return int(Success);
        });
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        BatchRunner runner(workspace, nullptr, registry);
        QStringList events;
        runner.setWarningObserver([&events](const QString &w) { events << w; });
        runner.setStepObserver([&events](const StepRecord &r) { events << r.name; });
        Core::Operations::RandomWalkDopingInput walk = boronWalk();
        walk.dopingTimeMinutes = minutes;
        QVERIFY(runner.run({boxSubstrate(side, side, side, 5), walkStep(walk)}).succeeded());
        QCOMPARE(walks, 1);
        const uint64_t steps = uint64_t(minutes * 60.0);
        const double seconds =
            double(steps) * side * side * side * Core::Operations::RandomWalkDoping::secondsPerCellStep;
        QCOMPARE(walk.estimatedSeconds(uint64_t(side) * side * side), seconds);
        const QString warning =
            QStringLiteral(
                "step 2 (Doping (Random Walk CA)) is estimated to run for at least %1 (%2 time steps over %3 cells).")
                .arg(Core::Operations::RandomWalkDopingInput::durationText(seconds))
                .arg(steps)
                .arg(side * side * side);
        QCOMPARE(
            events,
            announced
                ? (QStringList{QStringLiteral("Create Substrate"), warning, QStringLiteral("Doping (Random Walk CA)")})
                : (QStringList{QStringLiteral("Create Substrate"), QStringLiteral("Doping (Random Walk CA)")}));
    }

    void durationsAreSaidInTheLargestUnit_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("seconds") << 45.0 << "45 seconds";
        QTest::newRow("minutes, one decimal below ten") << 150.0 << "2.5 minutes";
        QTest::newRow("hours") << 5400.0 << "1.5 hours";
        QTest::newRow("days") << 265.0 * 86400.0 << "265 days";
        QTest::newRow("years") << 3.0 * 365.25 * 86400.0 << "3.0 years";
        QTest::newRow("under a second") << 0.25 << "less than a second";
    }
    void durationsAreSaidInTheLargestUnit()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(Core::Operations::RandomWalkDopingInput::durationText(seconds), text);
    }

    // Image names of a list are file names in the images folder; nothing else is written.
    void imageNamesStayInTheImagesFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // the file inside the folder, or a part of the reason
        QTest::addColumn<bool>("accepted");
        QTest::newRow("file name") << "shot.png"
                                   << "shot.png" << true;
        QTest::newRow("in a sub-folder") << "shots/a.png"
                                         << "shots/a.png" << true;
        QTest::newRow("an existing file (replacing is decided elsewhere)") << "old.png"
                                                                           << "old.png" << true;
        QTest::newRow("absolute") << "/tmp/holiday.png"
                                  << "\"/tmp/holiday.png\" is an absolute path" << false;
        QTest::newRow("up") << "../holiday.png"
                            << "leads out of the images folder" << false;
        QTest::newRow("down and up") << "shots/../../holiday.png"
                                     << "(\"..\" is not allowed)" << false;
        QTest::newRow("linked folder leading out") << "out/holiday.png"
                                                   << "through a linked folder" << false;
        QTest::newRow("link in place of the file") << "link.png"
                                                   << "\"link.png\" is a symbolic link" << false;
        QTest::newRow("missing folder") << "missing/a.png"
                                        << "the folder of \"missing/a.png\" does not exist" << false;
        QTest::newRow("a folder") << "shots"
                                  << "\"shots\" is not a file." << false;
        QTest::newRow("the folder itself") << "."
                                           << "\".\" is not a file name." << false;
        QTest::newRow("empty") << ""
                               << "the image has no file name." << false;
    }
    void imageNamesStayInTheImagesFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(bool, accepted);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("images"));
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("images/shots")) && QDir(root.path()).mkpath("outside"));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("outside")), folder + QStringLiteral("/out")));
        QVERIFY(
            QFile::link(root.filePath(QStringLiteral("outside/holiday.png")), folder + QStringLiteral("/link.png")));
        writeFile(root, QStringLiteral("images/old.png"), "old");
        QString reason;
        const QString file = ImageFolder(folder).resolve(name, &reason);
        if (accepted) {
            QCOMPARE(file, QFileInfo(folder).canonicalFilePath() + QLatin1Char('/') + expected);
        } else {
            QCOMPARE(file, QString());
            QVERIFY2(reason.contains(expected), qPrintable(reason));
        }
    }

    // Before a run every image name is checked; during it a step writes only what the check let
    // through, and replaces a file only with leave (or one it wrote itself).
    void imageStepsAreCheckedBeforeAndDuringTheRun()
    {
        QTemporaryDir folder;
        writeFile(folder, QStringLiteral("old.png"), "old");
        auto save = [](const char *name) { return batchStep(SaveImage, {{"Filename", QString::fromLatin1(name)}}); };
        const QList<ProcessStep> steps{boxSubstrate(4, 4, 4, 2), save("old.png"), save("../x.png"),
                                       save("new.png"),          save("new.png"), save("notes.txt")};
        auto texts = [&steps](const ImageFolder &images) {
            QStringList lines;
            for (const ImageFolder::Finding &f : images.check(steps))
                lines << QStringLiteral("%1 %2 %3").arg(f.index).arg(f.existingFile).arg(f.text);
            return lines;
        };
        const QString old = QDir(folder.path()).canonicalPath() + QStringLiteral("/old.png");
        const QStringList refused{
            QStringLiteral("2 0 Step 3 (Save Image): \"../x.png\" leads out of the images folder \"%1\" (\"..\" is "
                           "not allowed).")
                .arg(folder.path()),
            QStringLiteral("5 0 Step 6 (Save Image): \"notes.txt\" must end in .png, .xpm or .jpg.")};
        QCOMPARE(texts(ImageFolder(folder.path())),
                 QStringList{QStringLiteral("1 1 Step 2 (Save Image): \"old.png\" would replace the existing file "
                                            "\"%1\".")
                                 .arg(old)} +
                     refused);
        QCOMPARE(texts(ImageFolder(folder.path(), true)), refused);
        QCOMPARE(ImageFolder(folder.filePath(QStringLiteral("absent"))).check(steps).front().text,
                 QStringLiteral("The images folder \"%1\" does not exist.").arg(folder.filePath("absent")));

        // The run: the handler gets the file in the folder; a refused name fails its step first.
        for (bool replace : {false, true}) {
            Core::Workspace workspace(Core::UndoFiles::Storage::None);
            BatchRunner runner(workspace, nullptr);
            runner.setImageFolder(ImageFolder(folder.path(), replace));
            QStringList written;
            runner.setSaveImageHandler([&written](const QString &file, QString *) {
                written << file;
                return true;
            });
            const RunSummary summary = runner.run({steps[0], save("new.png"), save("new.png"), save("old.png")});
            const QString fresh = QDir(folder.path()).canonicalPath() + QStringLiteral("/new.png");
            QCOMPARE(written, replace ? (QStringList{fresh, fresh, old}) : (QStringList{fresh, fresh}));
            QCOMPARE(summary.failedIndex, replace ? -1 : 3);
            if (!replace)
                QCOMPARE(summary.failure.detail,
                         QStringLiteral("\"old.png\" would replace the existing file \"%1\".").arg(old));
        }
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        BatchRunner runner(workspace, nullptr);
        bool drawn = false;
        runner.setSaveImageHandler([&drawn](const QString &, QString *) {
            drawn = true;
            return true;
        });
        const RunSummary summary = runner.run({steps[0], save("/tmp/holiday.png")});
        QVERIFY(!drawn);
        QCOMPARE(summary.failedIndex, 1);
        QVERIFY2(summary.failure.detail.startsWith(QStringLiteral("\"/tmp/holiday.png\" is an absolute path")),
                 qPrintable(summary.failure.detail));
    }

    void substrateShapes_data()
    {
        QTest::addColumn<ProcessStep>("step");
        QTest::addColumn<int>("filled");
        QTest::addColumn<QList<uint>>("inside");
        QTest::addColumn<QList<uint>>("outside");
        ProcessStep offsetBox = boxSubstrate(10, 10, 80, 30);
        offsetBox.setParameter(QStringLiteral("Substrate Delta Z"), 60u, true);
        QTest::newRow("box clipped at the top")
            << offsetBox << 10 * 10 * 20 << QList<uint>{9, 9, 60, 0, 1, 79} << QList<uint>{1, 1, 59, 9, 9, 0};
        // The octant of a ball of radius 2 in the corner: lattice points with x, y, z >= 0 and
        // x^2 + y^2 + z^2 <= 4.
        QTest::newRow("sphere at the corner")
            << sphereSubstrate(5, 0, 0, 0, 2) << 11 << QList<uint>{0, 0, 2, 1, 1, 0} << QList<uint>{1, 1, 2, 2, 1, 0};
    }
    void substrateShapes()
    {
        QFETCH(ProcessStep, step);
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

    // Volumes already in the document, each "x nx cell" (4 x 4 cells across y and z), and where the
    // list's 6 x 4 x 4 substrate at the origin goes: beside them along x, (nx + 10) of the largest
    // cells beyond the position of the one reaching farthest, when it would land inside one.
    void createdSubstrateGoesBesideTheVolumesThere_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("detail");
        const QString beside = QStringLiteral("placed beside the volumes already there, lower left front corner at "
                                              "(%1, 0, 0)");
        QTest::newRow("empty document") << QStringList() << 0.0 << QString();
        QTest::newRow("one at the origin") << QStringList{"0 6 1"} << 16.0 << beside.arg(16);
        QTest::newRow("the farthest with larger cells")
            << QStringList{"0 6 1", "5 4 2"} << 33.0 << beside.arg(33); // 5 + (4 + 10) * 2
        QTest::newRow("one that only touches it") << QStringList{"6 3 1"} << 0.0 << QString();
        QTest::newRow("one far away") << QStringList{"100 6 1"} << 0.0 << QString();
    }
    void createdSubstrateGoesBesideTheVolumesThere()
    {
        QFETCH(QStringList, existing);
        QFETCH(double, x);
        QFETCH(QString, detail);
        Core::Workspace workspace;
        for (const QString &volume : existing) {
            const QStringList v = volume.split(QLatin1Char(' '));
            const float cell = v[2].toFloat();
            workspace.document().addObject(std::make_shared<TotalVolume>(v[1].toUInt(), 4, 4, cell, cell, cell,
                                                                         Util::Vector3D(v[0].toDouble(), 0, 0), 1u));
        }
        BatchRunner runner(workspace, nullptr);
        QString line;
        runner.setStepObserver([&line](const StepRecord &record) { line = record.line(1); });
        QVERIFY(runner.run({boxSubstrate(6, 4, 4, 2)}).succeeded());
        QCOMPARE(runner.target()->position(), Util::Vector3D(x, 0, 0));
        QVERIFY2(detail.isEmpty() ? !line.contains(QLatin1Char('(')) : line.endsWith(QLatin1Char('(') + detail + ')'),
                 qPrintable(line));
    }

    // Steps worked out by hand on a 4 x 4 x 6 volume whose lowest two layers are silicon.
    void wiredStepsChangeTheCells_data()
    {
        QTest::addColumn<ProcessStep>("step");
        QTest::addColumn<uint>("material");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("siliconLeft");
        QTest::addColumn<uint>("operationCode");
        QTest::newRow("spin coating to 4")
            << batchStep(SpinCoating, {{"Material_Id", 11u}, {"Maximum Height", 4u}}) << 11u << 4 * 4 * 2 << 32 << 23u;
        QTest::newRow("planarization keeps z 1")
            << batchStep(Planarization, {{"Maximum Height", 2u}, {"Minimum Height", 1u}}) << 1u << 16 << 16 << 22u;
        QTest::newRow("Moore deposition of 2 layers")
            << batchStep(MooreDeposition, {{"Material_Id", 4u}, {"Thickness", 2u}}) << 4u << 4 * 4 * 2 << 32 << 18u;
        QTest::newRow("isotropic etching of 1")
            << batchStep(IsotropicEtching, {{"Material_Id", 1u}, {"Depth", 1.0}}) << 1u << 16 << 16 << 14u;
        QTest::newRow("anisotropic etching of 1 straight down")
            << batchStep(AnisotropicEtching,
                         {{"Material_Id", 1u}, {"Etch Depth", 1.0}, {"Horizontal to Vertical Ratio", 0.0}})
            << 1u << 16 << 16 << 32u;
        QTest::newRow("electroplating of 1 on silicon")
            << batchStep(Electroplating,
                         {{"Deposited Material_Id", 4u}, {"Conducting Material_Id", 1u}, {"Film Thickness", 1.0}})
            << 4u << 16 << 32 << 15u;
        QTest::newRow("CVD of 1") << batchStep(Cvd, {{"Material_Id", 3u}, {"Thickness", 1.0}}) << 3u << 16 << 32 << 13u;
        QTest::newRow("RIE of 1 from the top")
            << batchStep(SimpleRie, {{"Material_Id", 1u}, {"Etch Depth", 1u}, {"EtchDirectionValue", 1}}) << 1u << 16
            << 16 << 30u;
        QTest::newRow("PVD of 1 on top") << pvdOn(1) << 4u << 16 << 32 << 31u;
        // Doping and implantation: the top silicon layer is z = 1 (1 from the empty space, d = 1).
        QTest::newRow("doping of 1") << doping(14u, 1.0f) << 14u << 16 << 16 << 17u;
        QTest::newRow("implantation at 1") << implantation(15u, 1, 0, 0) << 15u << 16 << 16 << 3u;
        // 0.03 micron at 100 per micron: 1.68 outward takes the empty layer z = 2 (1.5 away),
        // 1.32 inward the surface layer z = 1 (0.5) but not z = 0 (1.5).
        QTest::newRow("oxidation to 0.03 micron") << oxidationTo(0.03) << 3u << 32 << 16 << 26u;
        // No time: the initial 0.025 micron, 1.4 outward (not z = 2) and 1.1 inward (z = 1).
        QTest::newRow("oxidation for no time") << oxidationFor(0.0, 1273.0, 100.0) << 3u << 16 << 16 << 26u;
        // Positive resist under an all-black top mask and no bottom mask: developed from below only,
        // where silicon covers it, so nothing goes.
        auto lithography = [](char top) {
            return batchStep(Photolithography, {{"Material_Id", 1u},
                                                {"Top Mask", QByteArray(16, top)},
                                                {"Top Mask Width", 4u},
                                                {"Top Mask Height", 4u},
                                                {"Bottom Mask", QByteArray()},
                                                {"Bottom Mask Width", 0u},
                                                {"Bottom Mask Height", 0u}});
        };
        QTest::newRow("photolithography, covered") << lithography(1) << 1u << 32 << 32 << 20u;
        QTest::newRow("photolithography, open") << lithography(0) << 1u << 0 << 0 << 20u;
    }
    void wiredStepsChangeTheCells()
    {
        QFETCH(ProcessStep, step);
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

    void badParametersFailAndChangeNothing_data()
    {
        QTest::addColumn<ProcessStep>("step");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        auto row = [](const char *name, const ProcessStep &step, int code, const QString &detail) {
            QTest::newRow(name) << step << code << detail;
        };
        const QString missing = QStringLiteral("missing: ");
        const QString invalid = QStringLiteral("invalid: ");
        row("Moore deposition without thickness", batchStep(MooreDeposition, {{"Material_Id", 1u}}), 1, missing);
        row("oxidation without mode", batchStep(SiOxidation, {{"Micron Conversion", 100.0}}), 1, missing);
        row("oxidation by time without time", batchStep(SiOxidation, {{"OxidationTimeSet", true}}), 1, missing);
        row("wet etch without depth", wetEtch(QVariant()), 1, QStringLiteral("missing: Depth"));
        ProcessStep noCellSize(RandomWalkDoping);
        const auto walk = walkStep(boronWalk()).getParameters();
        for (auto it = walk.cbegin(); it != walk.cend(); ++it)
            if (it.key() != QLatin1String("Cell Size"))
                noCellSize.setParameter(it.key(), it.value(), true);
        row("random walk without cell size", noCellSize, 1, QStringLiteral("missing: Cell Size"));

        row("doping depth as text", doping(14u, "deep"), 2, invalid);
        row("PVD on side 5", pvdOn(5), 2, invalid);
        row("mask given as text",
            batchStep(Photolithography, {{"Material_Id", 0u},
                                         {"Top Mask Width", 0u},
                                         {"Top Mask Height", 0u},
                                         {"Bottom Mask Width", 0u},
                                         {"Bottom Mask Height", 0u},
                                         {"Top Mask", "0110"},
                                         {"Bottom Mask", QByteArray()}}),
            2, invalid);
        row("unknown wet etch model", wetEtch(2.0, QStringLiteral("KOH")), 2,
            QStringLiteral("invalid: Etch Model must be BCA or CCA, not \"KOH\""));
        // The largest step is (1e-8 m)^2 / (6 * 1e-17 m^2/s) = 1.66667 s.
        auto longStep = boronWalk();
        longStep.timeStepSeconds = 2.0;
        row("random walk with too long a time step", walkStep(longStep), 2,
            QStringLiteral("largest allowed time step is 1.66667 s"));

        // Physically meaningless values, and numbers beyond what their kind holds, are refused by name.
        const QString range = QStringLiteral("invalid: \"%1\" of %2 is out of range: it must be %3");
        ProcessStep vacuum = oxidationFor(1.0, 1323.0, 40.0);
        vacuum.setParameter(QStringLiteral("Oxidation Pressure"), -1.0, true);
        row("oxidation at a negative pressure", vacuum, 2,
            range.arg("Oxidation Pressure", "-1", "above 0 and up to 1.79769e+308 atm"));
        row("oxidation at 0 K", oxidationFor(1.0, 0.0, 40.0), 2,
            range.arg("Oxidation Temperature", "0", "above 0 and up to 1.79769e+308 K"));
        row("negative doping depth", doping(14u, -2.0f), 2,
            range.arg("Doping Depth", "-2", "from 0 to 3.40282e+38 units"));
        row("negative implantation depth", implantation(15u, -3.0f, 0.5f, 1.5f), 2,
            range.arg("Implantation Depth", "-3", "from 0 to 3.40282e+38 units"));
        ProcessStep huge = doping(14u, 0.0f);
        huge.markUnconverted(QStringLiteral("Doping Depth"), QStringLiteral("1e308"));
        row("float of 1e308", huge, 2, range.arg("Doping Depth", "1e308", "from 0 to 3.40282e+38 units"));
        ProcessStep negativeCount = batchStep(MooreDeposition, {{"Material_Id", 1u}, {"Thickness", 0u}});
        negativeCount.markUnconverted(QStringLiteral("Thickness"), QStringLiteral("-3"));
        row("negative count", negativeCount, 2, range.arg("Thickness", "-3", "from 0 to 4294967295"));
        auto dense = boronWalk();
        dense.surfaceConcentrationPerCm3 = 1e308;
        row("random walk at 1e308 per cm^3", walkStep(dense), 2,
            range.arg("Surface Concentration", "1e+308", "from 0 to 1e+24 cm^-3"));
        auto endless = boronWalk();
        endless.dopingTimeMinutes = 1e308;
        row("random walk for 1e308 minutes", walkStep(endless), 2,
            range.arg("Doping Time", "1e+308", "from 0 to 1000000000 minutes"));
    }
    void badParametersFailAndChangeNothing()
    {
        QFETCH(ProcessStep, step);
        QFETCH(int, code);
        QFETCH(QString, detail);
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        auto volume = makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        const RunSummary summary = BatchRunner(workspace, volume).run({step});
        QCOMPARE(summary.failedIndex, 0);
        QCOMPARE(summary.failure.code, code);
        QVERIFY2(summary.failure.detail.contains(detail), qPrintable(summary.failure.detail));
        QCOMPARE(countState(*volume, 1), size_t(8));
        QVERIFY(volume->fieldNames().isEmpty());
        QCOMPARE(workspace.lastOperation(volume->id()), 0u);
    }

    void implantationDopingAndOxidationAsWorkedByHand_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("1 thread") << 1;
        QTest::newRow("3 threads") << 3;
    }
    void implantationDopingAndOxidationAsWorkedByHand()
    {
        QFETCH(int, threads);
        PoolThreads pool(threads);
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        // Silicon 12 x 10 x 20 cells, 9 high (its top layer is z = 8).
        const RunSummary summary = runner.run({boxSubstrate(12, 10, 20, 9), implantation(15u, 3.0f, 0.5f, 1.5f),
                                               doping(14u, 3.5f), oxidationFor(1.0, 1323.0, 40.0)});
        QVERIFY2(summary.succeeded(), qPrintable(summary.failure.detail));
        // Every column: P implanted at z 5..7 (d = 2..4) and annealed to z 4..8, N doped over it
        // at z 6..8 (1, 2 and 3 from the surface), then 0.0979 micron of oxide (3.92 cells: 2.19
        // outward, 1.72 inward) in place of z 7 and 8 and in the empty z 9.
        const QList<uint32_t> column{1, 1, 1, 1, 15, 15, 14, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        const std::vector<uint32_t> cells = cellStates(*runner.target());
        for (size_t c = 0; c < 12 * 10; ++c)
            for (uint32_t z = 0; z < 20; ++z)
                QCOMPARE(cells[c * 20 + z], column[int(z)]);
    }

    void oxidationValueThatDoesNotConvertRunsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("thickness") << QStringLiteral("Oxidation Thickness") << QStringLiteral("thin");
        QTest::newRow("mode") << QStringLiteral("OxidationTimeSet") << QStringLiteral("sometimes");
    }
    void oxidationValueThatDoesNotConvertRunsNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        ProcessStep step = oxidationTo(0.05);
        step.setParameter(name, value, true);
        Core::Workspace workspace;
        auto volume = threeLayers(1);
        QList<StepRecord> records;
        BatchRunner runner(workspace, volume);
        runner.setStepObserver([&records](const StepRecord &r) { records << r; });
        // The step counts as done, says why nothing happened, and the next step still runs.
        const RunSummary summary = runner.run({step, step});
        QVERIFY(summary.succeeded());
        QCOMPARE(summary.done, 2);
        QCOMPARE(records.first().code, 0);
        QCOMPARE(records.first().detail, QStringLiteral("not run: invalid: ") + name);
        QCOMPARE(countState(*volume, 3), size_t(0));
        QCOMPARE(countState(*volume, 1), size_t(27));
        QCOMPARE(workspace.lastOperation(volume->id()), 0u);
    }

    // The cells these steps change may be silicon cells of the lattice, whatever the material.
    void dopingAndOxidationLeaveTheLatticeOutOfDate_data()
    {
        QTest::addColumn<ProcessStep>("step");
        QTest::newRow("doping with N") << doping(14u, 1.0f);
        QTest::newRow("doping with Si") << doping(1u, 1.0f);
        QTest::newRow("implantation of P") << implantation(15u, 1, 1, 1);
        QTest::newRow("implantation of Si") << implantation(1u, 1, 1, 1);
        QTest::newRow("oxidation") << oxidationTo(0.01);
    }
    void dopingAndOxidationLeaveTheLatticeOutOfDate()
    {
        QFETCH(ProcessStep, step);
        Core::Workspace workspace;
        auto volume = threeLayers(16);
        workspace.setLatticeOutOfDate(volume->id(), false);
        QVERIFY(BatchRunner(workspace, volume).run({step}).succeeded());
        QVERIFY(workspace.isLatticeOutOfDate(volume->id()));
        QVERIFY(workspace.lastOperation(volume->id()) != 0u);
    }

    void wetEtchRunsTheChosenEngine_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("engine");
        QTest::addColumn<uint>("operationCode");
        QTest::newRow("no model: bond counting") << QString() << QStringLiteral("BCA") << 28u;
        QTest::newRow("CCA") << QStringLiteral("CCA") << QStringLiteral("CCA") << 29u;
    }
    void wetEtchRunsTheChosenEngine()
    {
        QFETCH(QString, model);
        QFETCH(QString, engine);
        QFETCH(uint, operationCode);
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        auto volume = pit.volume();
        workspace.document().addObject(volume);
        BatchRunner runner(workspace, volume);
        const RunSummary summary = runner.run({wetEtch(5.5, model), wetEtch(0.75, model)});
        QVERIFY2(summary.succeeded(), qPrintable(summary.failure.detail));
        QCOMPARE(summary.done, 2);
        auto expected = pit.volume();
        runWetEtchEngine(*expected, engine, 5.5);
        runWetEtchEngine(*expected, engine, 0.75);
        QCOMPARE(cellStates(*volume), cellStates(*expected));
        QVERIFY(cellStates(*volume) != cellStates(*pit.volume()));
        QCOMPARE(workspace.lastOperation(volume->id()), operationCode);
        QVERIFY(!workspace.isLatticeOutOfDate(volume->id()));
        // The lattice is kept while up to date and laid anew when stale.
        const auto first = volume->siLattice();
        QVERIFY(first && runner.run({wetEtch(1.0, model)}).succeeded());
        QCOMPARE(volume->siLattice(), first);
        workspace.setLatticeOutOfDate(volume->id(), true);
        QVERIFY(runner.run({wetEtch(1.0, model)}).succeeded());
        QVERIFY(volume->siLattice() != first);
        QVERIFY(!workspace.isLatticeOutOfDate(volume->id()));
    }

    // A step names a layout inside the list's folder and reads it at every run. On 10 by 8 columns
    // of material 3, 2 high, developed where exposed: layer 1 of square.gds exposes 3 by 3 columns at
    // 1 micrometre per cell, and 8 by 8 fitted (0.375 micrometres per cell, as the dialog fits it).
    void layoutStepsReadTheirLayoutInTheListsFolder_data()
    {
        QTest::addColumn<Core::Processes::ProcessStep>("step");
        QTest::addColumn<bool>("folderKnown");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<int>("exposed");
        auto row = [](const char *name, const Core::Processes::ProcessStep &step, int code,
                      const QString &detail = QString(), int exposed = 0, bool folderKnown = true) {
            QTest::newRow(name) << step << folderKnown << code << detail << exposed;
        };
        row("beside the list", layoutLithography("square.gds", 1), Success, QString(), 9);
        row("in a folder below", layoutLithography("masks/square.gds", 1), Success, QString(), 9);
        row("fitted to the volume", layoutLithography("square.gds", 1, false), Success, QString(), 64);
        row("absolute path", layoutLithography(QStringLiteral(TEST_DATA_DIR "/layouts/square.gds"), 1), InvalidValue,
            "Top Mask Layout \"" TEST_DATA_DIR "/layouts/square.gds\" is an absolute path; a list names its layouts "
            "relative to its own folder.");
        row("out of the folder", layoutLithography("masks/../../square.gds", 1), InvalidValue,
            "Top Mask Layout \"masks/../../square.gds\" leads out of the list's folder; a list reads layouts only "
            "from its folder and the folders below it.");
        row("list without a folder", layoutLithography("square.gds", 1), InvalidValue,
            "Top Mask Layout \"square.gds\" cannot be found: the list has no folder (save it first).", 0, false);
        row("absent layer", layoutLithography("square.gds", 7), InvalidValue,
            "The layout \"square.gds\": Layer 7, datatype 0 is not in the layout.");
        row("layer beyond the format", layoutLithography("square.gds", 70000), InvalidValue,
            "Layout Layer and Layout Datatype go from 0 to 65535.");
        row("absent layout", layoutLithography("absent.gds", 1), InvalidValue,
            "The layout \"absent.gds\" cannot be read: The file does not exist.");
        row("damaged layout", layoutLithography("bad.gds", 1), InvalidValue,
            "The layout \"bad.gds\" cannot be read: The LAYER record at byte 102 holds 0 bytes of data where 2 are "
            "needed.");
        Core::Processes::ProcessStep noLayer = layoutLithography("square.gds", 1);
        noLayer.removeParameter(QStringLiteral("Layout Layer"));
        row("no layer", noLayer, MissingParameter, "missing: Layout Layer");
    }
    void layoutStepsReadTheirLayoutInTheListsFolder()
    {
        QFETCH(Core::Processes::ProcessStep, step);
        QFETCH(bool, folderKnown);
        QFETCH(int, code);
        QFETCH(QString, detail);
        QFETCH(int, exposed);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("masks")));
        for (const char *copy : {"square.gds", "masks/square.gds"})
            QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/layouts/square.gds"), folder.filePath(copy)));
        using namespace GdsBytes;
        writeFile(
            folder, QStringLiteral("bad.gds"),
            library(structure("TOP", record(0x08) + record(0x0D) + points({0, 0, 9, 0, 9, 9, 0, 0}) + endElement())));
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        auto volume = makeVolume(10, 8, 3, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 3u : 0u; });
        BatchRunner runner(workspace, volume);
        if (folderKnown)
            runner.setListFolder(folder.path());
        const RunSummary summary = runner.run({step});
        QCOMPARE(summary.failure.code, code);
        QCOMPARE(summary.failure.detail, detail);
        QCOMPARE(countState(*volume, 3), size_t(2 * (80 - exposed)));
    }
};

QTEST_GUILESS_MAIN(tst_BatchRunner)
#include "tst_batchrunner.moc"
