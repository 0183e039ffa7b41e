#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/simpledoping.h"
#include "Core/Operations/simplesioxidation.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Model/document.h"
#include "catalogtesthome.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::BatchRun;
namespace Ops = Core::Operations;
using Model::Automaton::TotalVolume;
using Ui::ProcessData;

namespace {

// A silicon wafer 12 x 10 x 20 cells, 9 high (its top layer is z = 8).
ProcessData substrate()
{
    ProcessData step(CreateSubstrate);
    step.setParameter(QStringLiteral("Material_Id"), 1u, false);
    step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(0, 0, 0)), true);
    step.setParameter(QStringLiteral("Volume Size X"), 12u, true);
    step.setParameter(QStringLiteral("Volume Size Y"), 10u, true);
    step.setParameter(QStringLiteral("Volume Size Z"), 20u, true);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    step.setParameter(QStringLiteral("Substrate Size X"), 12u, true);
    step.setParameter(QStringLiteral("Substrate Size Y"), 10u, true);
    step.setParameter(QStringLiteral("Substrate Size Z"), 9u, true);
    for (const char *axis : {"X", "Y", "Z"})
        step.setParameter(QStringLiteral("Substrate Delta ") + QLatin1String(axis), 0u, true);
    return step;
}

ProcessData withValues(int type, const QList<QPair<const char *, QVariant>> &values)
{
    ProcessData step(type);
    for (const auto &value : values)
        step.setParameter(QLatin1String(value.first), value.second, true);
    completeDerivedParameters(step);
    return step;
}

QList<ProcessData> oneStepOfEachType()
{
    return {substrate(),
            withValues(IonImplantation, {{"Doped Material_Id", 15u},
                                         {"Implantation Depth", 3.0f},
                                         {"Vertical Spread", 0.5f},
                                         {"Annealing Distance", 1.5f}}),
            withValues(Doping, {{"Doped Material_Id", 14u}, {"Doping Depth", 3.5f}}),
            withValues(SiOxidation, {{"OxidationTimeSet", true},
                                     {"OxidationThicknessSet", false},
                                     {"Oxidation Time", 1.0},
                                     {"Oxidation Temperature", 1323.0},
                                     {"Oxidation Pressure", 1.0},
                                     {"Oxidation Thickness", 0.0},
                                     {"Micron Conversion", 40.0}})};
}

std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> s(volume.cellCount());
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = lock.cells()[i].state();
    return s;
}

// The same steps by calling the engines directly with the values above.
std::vector<uint32_t> expectedStates()
{
    auto volume = Ops::SubstrateBuilder(1, 12, 10, 20, Util::Vector3D(0, 0, 0), 0, 0, 0, 12, 10, 9).buildVolume();
    Ops::IonImplantation(*volume, 15, 3.0f, 0.5f, 1.5f).run();
    Ops::SimpleDoping(*volume, 14, 3.5f).run();
    Ops::SimpleSiOxidation(*volume, 40.0).runForTime(1.0, 1323.0, 1.0);
    return states(*volume);
}

size_t countState(TotalVolume &volume, uint32_t state)
{
    Model::Automaton::CellLock lock(volume);
    size_t count = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        count += lock.cells()[i].state() == state ? 1 : 0;
    return count;
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runBatch(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(CELLFORGE_BATCH), arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class tst_BatchDoping : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void listRunsAsTheEnginesDo_data()
    {
        QTest::addColumn<QString>("threads");
        QTest::newRow("1 thread") << "1";
        QTest::newRow("2 threads") << "2";
        QTest::newRow("3 threads") << "3";
    }
    void listRunsAsTheEnginesDo()
    {
        QFETCH(QString, threads);
        const QString list = m_dir.filePath(QStringLiteral("each.plst"));
        QVERIFY(ProcessListFile(oneStepOfEachType()).save(list));
        const QString output = m_dir.filePath(QStringLiteral("each-") + threads + QStringLiteral(".cfw"));
        const Run run = runBatch({list, QStringLiteral("--output"), output, QStringLiteral("--threads"), threads});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[1].contains(QLatin1String("  Ion Implantation  ")));
        QVERIFY(lines[2].contains(QLatin1String("  Doping  ")));
        QVERIFY(lines[3].contains(QLatin1String("  Si Oxidation  ")));

        Model::Document document;
        Model::Persistence::MaterialTranslationTable table;
        Model::Persistence::MaterialReconciler reconciler(table);
        QVERIFY(Model::Persistence::loadDocumentFile(output, document, Model::Persistence::ArchiverRegistry::standard(),
                                                     reconciler)
                    .ok);
        auto written = std::dynamic_pointer_cast<TotalVolume>(document.allObjects().first());
        QVERIFY(written);
        const auto result = states(*written);
        QVERIFY(result == expectedStates());
        // Worked by hand for every column: P implanted at z 5..7 (d = 2..4) and annealed to z 4..8,
        // N doped over it at z 6..8 (1, 2 and 3 from the surface), then 0.0979 micron of oxide
        // (3.92 cells: 2.19 outward, 1.72 inward) in place of z 7 and 8 and in the empty z 9.
        const QList<uint32_t> column{1, 1, 1, 1, 15, 15, 14, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (size_t c = 0; c < 12 * 10; ++c)
            for (uint32_t z = 0; z < 20; ++z)
                QCOMPARE(result[c * 20 + z], column[int(z)]);
    }

    void missingAndWrongTypeParametersFailTheStep_data()
    {
        QTest::addColumn<QByteArray>("step");
        QTest::addColumn<QString>("message");
        const QString missing = QStringLiteral("A required parameter was not found. Check input list.");
        const QString invalid = QStringLiteral("Value for a required parameter is invalid. Check input list.");
        QTest::newRow("doping without depth")
            << QByteArray("<Process-Data process-type=\"8\"><Parameter parameter-name=\"Doped Material_Id\" "
                          "parameter-type=\"uint\" parameter-data=\"14\"/></Process-Data>")
            << QStringLiteral("Step 2 (Doping) failed: ") + missing;
        QTest::newRow("doping depth of a kind the list format does not know")
            << QByteArray("<Process-Data process-type=\"8\"><Parameter parameter-name=\"Doped Material_Id\" "
                          "parameter-type=\"uint\" parameter-data=\"14\"/><Parameter parameter-name=\"Doping Depth\" "
                          "parameter-type=\"length\" parameter-data=\"2\"/></Process-Data>")
            << QStringLiteral("Step 2 (Doping) failed: ") + invalid;
        QTest::newRow("implantation without annealing")
            << QByteArray("<Process-Data process-type=\"14\"><Parameter parameter-name=\"Doped Material_Id\" "
                          "parameter-type=\"uint\" parameter-data=\"15\"/><Parameter parameter-name=\"Implantation "
                          "Depth\" parameter-type=\"float\" parameter-data=\"2\"/><Parameter parameter-name=\"Vertical "
                          "Spread\" parameter-type=\"float\" parameter-data=\"1\"/></Process-Data>")
            << QStringLiteral("Step 2 (Ion Implantation) failed: ") + missing;
        QTest::newRow("spread of a kind the list format does not know")
            << QByteArray("<Process-Data process-type=\"14\"><Parameter parameter-name=\"Doped Material_Id\" "
                          "parameter-type=\"uint\" parameter-data=\"15\"/><Parameter parameter-name=\"Implantation "
                          "Depth\" parameter-type=\"float\" parameter-data=\"2\"/><Parameter parameter-name=\"Vertical "
                          "Spread\" parameter-type=\"text\" parameter-data=\"1\"/><Parameter parameter-name="
                          "\"Annealing Distance\" parameter-type=\"float\" parameter-data=\"1\"/></Process-Data>")
            << QStringLiteral("Step 2 (Ion Implantation) failed: ") + invalid;
        QTest::newRow("oxidation by time without temperature")
            << QByteArray("<Process-Data process-type=\"15\"><Parameter parameter-name=\"OxidationTimeSet\" "
                          "parameter-type=\"bool\" parameter-data=\"true\"/><Parameter parameter-name=\"Micron "
                          "Conversion\" parameter-type=\"double\" parameter-data=\"100\"/><Parameter parameter-name="
                          "\"Oxidation Time\" parameter-type=\"double\" parameter-data=\"1\"/><Parameter "
                          "parameter-name=\"Oxidation Pressure\" parameter-type=\"double\" parameter-data=\"1\"/>"
                          "</Process-Data>")
            << QStringLiteral("Step 2 (Si Oxidation) failed: ") + missing;
    }
    void missingAndWrongTypeParametersFailTheStep()
    {
        QFETCH(QByteArray, step);
        QFETCH(QString, message);
        ProcessListFile file({substrate()});
        const QString base = m_dir.filePath(QStringLiteral("base.plst"));
        QVERIFY(file.save(base));
        QFile in(base);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray text = in.readAll();
        text.replace("</Process-List>", step + "\n</Process-List>");
        const QString path = m_dir.filePath(QStringLiteral("bad.plst"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text);
        out.close();
        const Run run = runBatch({path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void oxidationValueThatDoesNotConvertRunsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("detail");
        QTest::newRow("thickness") << "Oxidation Thickness" << QVariant(QStringLiteral("thin"))
                                   << "not run: invalid: Oxidation Thickness";
        QTest::newRow("conversion") << "Micron Conversion" << QVariant(QStringLiteral("many"))
                                    << "not run: invalid: Micron Conversion";
        QTest::newRow("mode") << "OxidationTimeSet" << QVariant(QStringLiteral("sometimes"))
                              << "not run: invalid: OxidationTimeSet";
    }
    void oxidationValueThatDoesNotConvertRunsNothing()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QString, detail);
        ProcessData step(SiOxidation);
        step.setParameter(QStringLiteral("OxidationTimeSet"), false, false);
        step.setParameter(QStringLiteral("Oxidation Thickness"), 0.05, true);
        step.setParameter(QStringLiteral("Micron Conversion"), 100.0, true);
        step.setParameter(name, value, true);
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(3, 3, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 0u);
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i)
                lock.cells()[i].setState(i % 6 < 3 ? 1u : 0u);
        }
        QList<StepRecord> records;
        BatchRunner runner(workspace, volume);
        runner.setStepObserver([&records](const StepRecord &r) { records << r; });
        // The step counts as done, says why nothing happened, and the next step still runs.
        const RunSummary summary = runner.run({step, step});
        QVERIFY(summary.succeeded());
        QCOMPARE(summary.done, 2);
        QCOMPARE(records.first().code, 0);
        QCOMPARE(records.first().detail, detail);
        QCOMPARE(countState(*volume, 3), size_t(0));
        QCOMPARE(countState(*volume, 1), size_t(27));
        QCOMPARE(workspace.lastOperation(volume->id()), 0u);
    }

    void dopingMarksTheLatticeOnlyForSilicon_data()
    {
        QTest::addColumn<ProcessData>("step");
        QTest::addColumn<bool>("outOfDate");
        auto doping = [](uint material) {
            ProcessData step(Doping);
            step.setParameter(QStringLiteral("Doped Material_Id"), material, true);
            step.setParameter(QStringLiteral("Doping Depth"), 1.0f, true);
            return step;
        };
        auto implantation = [](uint material) {
            ProcessData step(IonImplantation);
            step.setParameter(QStringLiteral("Doped Material_Id"), material, true);
            for (const char *n : {"Annealing Distance", "Implantation Depth", "Vertical Spread"})
                step.setParameter(QLatin1String(n), 1.0f, true);
            return step;
        };
        ProcessData oxidation(SiOxidation);
        oxidation.setParameter(QStringLiteral("OxidationTimeSet"), false, false);
        oxidation.setParameter(QStringLiteral("Oxidation Thickness"), 0.01, true);
        oxidation.setParameter(QStringLiteral("Micron Conversion"), 100.0, true);
        QTest::newRow("doping with N") << doping(14) << false;
        QTest::newRow("doping with Si") << doping(1) << true;
        QTest::newRow("implantation of P") << implantation(15) << false;
        QTest::newRow("implantation of Si") << implantation(1) << true;
        QTest::newRow("oxidation") << oxidation << true;
    }
    void dopingMarksTheLatticeOnlyForSilicon()
    {
        QFETCH(ProcessData, step);
        QFETCH(bool, outOfDate);
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(3, 3, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 0u);
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i)
                lock.cells()[i].setState(i % 6 < 3 ? 16u : 0u);
        }
        workspace.setLatticeOutOfDate(volume->id(), false);
        QVERIFY(BatchRunner(workspace, volume).run({step}).succeeded());
        QCOMPARE(workspace.isLatticeOutOfDate(volume->id()), outOfDate);
        QVERIFY(workspace.lastOperation(volume->id()) != 0u);
    }
};

QTEST_GUILESS_MAIN(tst_BatchDoping)
#include "tst_batchdoping.moc"
