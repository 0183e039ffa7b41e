#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/documentio.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/continuoswetetching.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "siwetetchscenes.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::BatchRun;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::ProcessData;
using WetEtchScene::Pit;

namespace {

const Pit pit{26, 14, 16};

ProcessData wetEtch(const QVariant &depth, const QString &model = QString())
{
    ProcessData step(SiWetEtching);
    if (depth.isValid())
        step.setParameter(QStringLiteral("Depth"), depth, true);
    if (!model.isEmpty())
        step.setParameter(QStringLiteral("Etch Model"), model, true);
    return step;
}

std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells()[i].state();
    return result;
}

void runEngine(TotalVolume &volume, const QString &model, double depth)
{
    if (model == QLatin1String("CCA"))
        Core::Operations::ContinuosWetEtching(volume, depth).run();
    else
        Core::Operations::AtomicStructureSimpleSiWetEtch(volume, depth).run();
}

// A silicon block of 10 x 10 x 6 cells standing in a 16 x 16 x 9 volume, built by the list.
const QByteArray substrateStep =
    "<Process-Data process-type=\"11\">"
    "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
    "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" parameter-data=\"0;0;0\"/>"
    "<Parameter parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"16\"/>"
    "<Parameter parameter-name=\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"16\"/>"
    "<Parameter parameter-name=\"Volume Size Z\" parameter-type=\"uint\" parameter-data=\"9\"/>"
    "<Parameter parameter-name=\"SphericalSubstrate\" parameter-type=\"bool\" parameter-data=\"false\"/>"
    "<Parameter parameter-name=\"Substrate Size X\" parameter-type=\"uint\" parameter-data=\"10\"/>"
    "<Parameter parameter-name=\"Substrate Size Y\" parameter-type=\"uint\" parameter-data=\"10\"/>"
    "<Parameter parameter-name=\"Substrate Size Z\" parameter-type=\"uint\" parameter-data=\"6\"/>"
    "<Parameter parameter-name=\"Substrate Delta X\" parameter-type=\"uint\" parameter-data=\"3\"/>"
    "<Parameter parameter-name=\"Substrate Delta Y\" parameter-type=\"uint\" parameter-data=\"3\"/>"
    "<Parameter parameter-name=\"Substrate Delta Z\" parameter-type=\"uint\" parameter-data=\"0\"/>"
    "</Process-Data>\n";

TotalVolumePtr builtBlock()
{
    return Core::Operations::SubstrateBuilder(1, 16, 16, 9, Util::Vector3D(), 3, 3, 0, 10, 10, 6).buildVolume();
}

} // namespace

class tst_BatchWetEtch : public QObject {
    Q_OBJECT
private slots:
    void stepRunsTheChosenEngine_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("engine");
        QTest::addColumn<uint>("operationCode");
        QTest::newRow("no model: bond counting") << QString() << "BCA" << 28u;
        QTest::newRow("BCA") << "BCA"
                             << "BCA" << 28u;
        QTest::newRow("CCA") << "CCA"
                             << "CCA" << 29u;
    }
    void stepRunsTheChosenEngine()
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
        runEngine(*expected, engine, 5.5);
        runEngine(*expected, engine, 0.75);
        QCOMPARE(states(*volume), states(*expected));
        QCOMPARE(workspace.lastOperation(volume->id()), operationCode);
        QVERIFY(volume->siLattice());
        QVERIFY(!workspace.isLatticeOutOfDate(volume->id()));
    }

    void staleLatticeIsLaidAnewFirst()
    {
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        auto volume = pit.volume();
        BatchRunner runner(workspace, volume);
        QVERIFY(runner.run({wetEtch(1.0)}).succeeded());
        auto first = volume->siLattice();
        QVERIFY(runner.run({wetEtch(1.0)}).succeeded());
        QCOMPARE(volume->siLattice(), first);
        workspace.setLatticeOutOfDate(volume->id(), true);
        QVERIFY(runner.run({wetEtch(1.0)}).succeeded());
        QVERIFY(volume->siLattice() != first);
        QVERIFY(!workspace.isLatticeOutOfDate(volume->id()));
    }

    void badStepsFail_data()
    {
        QTest::addColumn<ProcessData>("step");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        QTest::newRow("no depth") << wetEtch(QVariant()) << int(MissingParameter) << "missing: Depth";
        QTest::newRow("depth of text") << wetEtch(QStringLiteral("deep")) << int(InvalidValue) << "invalid: Depth";
        QTest::newRow("unknown model") << wetEtch(2.0, QStringLiteral("KOH")) << int(InvalidValue)
                                       << "invalid: Etch Model must be BCA or CCA, not \"KOH\"";
    }
    void badStepsFail()
    {
        QFETCH(ProcessData, step);
        QFETCH(int, code);
        QFETCH(QString, detail);
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        auto volume = pit.volume();
        const auto before = states(*volume);
        BatchRunner runner(workspace, volume);
        const RunSummary summary = runner.run({step});
        QCOMPARE(summary.failedIndex, 0);
        QCOMPARE(summary.failure.code, code);
        QCOMPARE(summary.failure.detail, detail);
        QCOMPARE(states(*volume), before);
    }

    void commandLineRunsBothModels_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("BCA") << "BCA";
        QTest::newRow("CCA") << "CCA";
    }
    void commandLineRunsBothModels()
    {
        QFETCH(QString, model);
        QTemporaryDir dir;
        const QByteArray step =
            "<Process-Data process-type=\"1\">"
            "<Parameter parameter-name=\"Depth\" parameter-type=\"double\" parameter-data=\"2.5\"/>"
            "<Parameter parameter-name=\"Etch Model\" parameter-type=\"QString\" parameter-data=\"" +
            model.toLatin1() + "\"/></Process-Data>\n";
        QFile list(dir.filePath(QStringLiteral("etch.plst")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("<?xml version=\"1.0\"?>\n<Process-List version=\"1\">\n<Materials>\n<Material version=\"1\" "
                   "name=\"Si\" material-id=\"1\" density=\"2329\" color=\"#FF7F7F7F\"/>\n</Materials>\n" +
                   substrateStep + step + "</Process-List>\n");
        list.close();
        const QString output = dir.filePath(QStringLiteral("etched.cfw"));
        QProcess process;
        process.start(QStringLiteral(CELLFORGE_BATCH), {list.fileName(), QStringLiteral("--output"), output});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());

        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        QString error;
        QStringList notes;
        QVERIFY2(DocumentIo::read(output, workspace, &error, &notes), qPrintable(error));
        const auto objects = workspace.document().allObjects();
        QCOMPARE(objects.size(), 1);
        auto read = std::dynamic_pointer_cast<TotalVolume>(objects.first());
        QVERIFY(read);

        auto expected = builtBlock();
        runEngine(*expected, model, 2.5);
        const auto etched = states(*expected);
        QVERIFY(etched != states(*builtBlock()));
        QCOMPARE(states(*read), etched);
    }
};

QTEST_GUILESS_MAIN(tst_BatchWetEtch)
#include "tst_batchwetetch.moc"
