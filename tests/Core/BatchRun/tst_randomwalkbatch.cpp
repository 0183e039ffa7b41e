#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/randomstream.h"
#include "Core/Operations/randomwalkdoping.h"
#include "Core/Operations/randomwalkdopinginput.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Model/Automaton/particlecounts.h"
#include "batchprocess.h"
#include "catalogtesthome.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

using namespace Core::BatchRun;
using Core::Operations::RandomWalkDopingInput;
using Model::Automaton::ParticleCounts;
using Model::Automaton::TotalVolume;
using Ui::ProcessData;

namespace {

// Silicon 12 x 10 x 24 cells, 20 high, like a "Create Substrate" step makes it.
ProcessData substrateStep()
{
    ProcessData step(CreateSubstrate);
    auto u = [&step](const char *name, uint value) {
        step.setParameter(QLatin1String(name), QVariant::fromValue<uint>(value), true);
    };
    u("Material_Id", 1);
    step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(0, 0, 0)), true);
    u("Volume Size X", 12);
    u("Volume Size Y", 10);
    u("Volume Size Z", 24);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    u("Substrate Size X", 12);
    u("Substrate Size Y", 10);
    u("Substrate Size Z", 20);
    u("Substrate Delta X", 0);
    u("Substrate Delta Y", 0);
    u("Substrate Delta Z", 0);
    return step;
}

// Boron-like values in the dialog's units: 10 nm cells (100 particles per cell at 1e20 cm^-3),
// D = 1e-13 cm^2/s, 1 s steps (q = 0.1), 2 minutes, threshold 10 %.
RandomWalkDopingInput dialogValues()
{
    RandomWalkDopingInput in;
    in.dopingTimeMinutes = 2.0;
    in.material = 15;
    in.diffusionCoefficientCm2PerS = 1e-13;
    in.cellSizeMicrometres = 0.01;
    in.timeStepSeconds = 1.0;
    in.surfaceConcentrationPerCm3 = 1e20;
    in.thresholdPercent = 10.0;
    return in;
}

ProcessData walkStep(const RandomWalkDopingInput &in)
{
    ProcessData step(RandomWalkDoping);
    step.setParameter(QStringLiteral("Doping Time"), in.dopingTimeMinutes, true);
    step.setParameter(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(in.material), true);
    step.setParameter(QStringLiteral("Diffusion Coefficient"), in.diffusionCoefficientCm2PerS, true);
    step.setParameter(QStringLiteral("Cell Size"), in.cellSizeMicrometres, true);
    step.setParameter(QStringLiteral("Time Step Duration"), in.timeStepSeconds, true);
    step.setParameter(QStringLiteral("Surface Concentration"), in.surfaceConcentrationPerCm3, true);
    step.setParameter(QStringLiteral("Doping Threshold"), in.thresholdPercent, true);
    completeDerivedParameters(step);
    return step;
}

std::vector<uint32_t> counters(const TotalVolume &volume)
{
    const auto counts = ParticleCounts::of(volume, ParticleCounts::pTypeName());
    if (!counts)
        return {};
    return std::vector<uint32_t>(counts->data(), counts->data() + counts->cellCount() * ParticleCounts::slotsPerCell);
}

std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> s(volume.cellCount());
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = lock.cells()[i].state();
    return s;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_RandomWalkBatch : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

    QString writeList(const QString &name, const QList<ProcessData> &steps)
    {
        const QString path = m_dir.filePath(name);
        ProcessListFile file(steps);
        if (!file.save(path))
            qWarning() << file.errorString();
        return path;
    }

private slots:
    void stepRunsAsTheDialogWould()
    {
        // The runner converts the dialog's units exactly as the operation's observer does: the
        // same engine with the same seed gives the same cells and counts.
        const RandomWalkDopingInput in = dialogValues();
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        runner.setSeed(99);
        const RunSummary summary = runner.run({substrateStep(), walkStep(in)});
        QVERIFY2(summary.succeeded(), qPrintable(summary.failure.message + summary.failure.detail));
        const auto target = runner.target();
        QCOMPARE(workspace.lastOperation(target->id()), 36u);
        QVERIFY(workspace.isLatticeOutOfDate(target->id()));

        auto reference = Core::Operations::SubstrateBuilder(1, 12, 10, 24, Util::Vector3D(0, 0, 0), 0, 0, 0, 12, 10, 20)
                             .buildVolume();
        Core::Operations::RandomWalkDoping engine(*reference, in.material, in.diffusionCoefficient(), in.timeStep(),
                                                  in.cellSize(), in.dopantConcentration(), in.thresholdConcentration());
        QCOMPARE(engine.surfaceCount(), 100u);
        QCOMPARE(engine.thresholdCount(), 10u);
        QCOMPARE(engine.moveProbability(), 0.1);
        // The second step of the list draws from the stream of position 1.
        engine.setSeed(Core::Operations::RandomStream::mix(99 + 1));
        QCOMPARE(engine.dope(in.dopingTime()), uint64_t(120));
        QVERIFY(counters(*target) == counters(*reference));
        const std::vector<uint32_t> cells = states(*target);
        QVERIFY(cells == states(*reference));
        QVERIFY(std::count(cells.begin(), cells.end(), 15u) > 0);
    }

    void missingParameterIsNamed()
    {
        const ProcessData full = walkStep(dialogValues());
        ProcessData step(RandomWalkDoping);
        const QVariantMap parameters = full.getParameters();
        for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
            if (it.key() != QLatin1String("Cell Size"))
                step.setParameter(it.key(), it.value(), true);
        }
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        const RunSummary summary = runner.run({substrateStep(), step});
        QCOMPARE(summary.failedIndex, 1);
        QCOMPARE(summary.failure.code, int(MissingParameter));
        QCOMPARE(summary.failure.detail, QStringLiteral("missing: Cell Size"));
    }

    void tooLongTimeStepIsResultTwoWithTheLargestStep()
    {
        RandomWalkDopingInput in = dialogValues();
        in.timeStepSeconds = 2.0; // the largest is (1e-8 m)^2 / (6 * 1e-17 m^2/s) = 1.66667 s
        Core::Workspace workspace;
        BatchRunner runner(workspace, nullptr);
        const RunSummary summary = runner.run({substrateStep(), walkStep(in)});
        QCOMPARE(summary.failedIndex, 1);
        QCOMPARE(summary.failure.code, int(InvalidValue));
        QVERIFY2(summary.failure.detail.contains(QStringLiteral("largest allowed time step is 1.66667 s")),
                 qPrintable(summary.failure.detail));
        QVERIFY(runner.target()->fieldNames().isEmpty());
    }

    void seededRunsAgreeForAnyThreadCount()
    {
        std::vector<uint32_t> reference;
        const int threads = QThreadPool::globalInstance()->maxThreadCount();
        for (int n : {1, 2, 3}) {
            QThreadPool::globalInstance()->setMaxThreadCount(n);
            Core::Workspace workspace;
            BatchRunner runner(workspace, nullptr);
            runner.setSeed(5);
            QVERIFY(runner.run({substrateStep(), walkStep(dialogValues())}).succeeded());
            if (reference.empty())
                reference = counters(*runner.target());
            else
                QVERIFY(counters(*runner.target()) == reference);
        }
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }

    void commandLineOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::newRow("seed") << QStringList{"l.plst", "--seed", "18446744073709551615"} << QString();
        QTest::newRow("seed not a number") << QStringList{"l.plst", "--seed", "-3"} << QStringLiteral("--seed needs");
        QTest::newRow("seed without value") << QStringList{"l.plst", "--seed"} << QStringLiteral("needs a value");
        QTest::newRow("export") << QStringList{"l.plst", "--export-csv", "Random Walk Particle Count Type N", "o.csv"}
                                << QString();
        QTest::newRow("export without file")
            << QStringList{"l.plst", "--export-csv", "X"} << QStringLiteral("a field name and a file name");
    }
    void commandLineOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        BatchCommand::Options options;
        QString message;
        QCOMPARE(BatchCommand::parse(arguments, options, &message), error.isEmpty());
        QVERIFY2(message.contains(error), qPrintable(message));
        if (arguments.contains(QStringLiteral("--seed")) && error.isEmpty())
            QCOMPARE(*options.seed, uint64_t(18446744073709551615ull));
        if (arguments.contains(QStringLiteral("--export-csv")) && error.isEmpty()) {
            QCOMPARE(options.exportField, ParticleCounts::nTypeName());
            QCOMPARE(options.exportFile, QStringLiteral("o.csv"));
        }
        QVERIFY(BatchCommand::usage().contains(QStringLiteral("--export-csv FIELD OUT.csv")));
    }

    void commandLineExportsTheSameCsvForAnyThreadCount()
    {
        const QString list = writeList(QStringLiteral("walk.plst"), {substrateStep(), walkStep(dialogValues())});
        QByteArray first;
        for (const char *threads : {"1", "2"}) {
            const QString csv = m_dir.filePath(QStringLiteral("walk-%1.csv").arg(QLatin1String(threads)));
            const BatchResult r =
                runBatch({list, QStringLiteral("--seed"), QStringLiteral("11"), QStringLiteral("--threads"),
                          QLatin1String(threads), QStringLiteral("--export-csv"), ParticleCounts::pTypeName(), csv});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            const QByteArray text = readFile(csv);
            QVERIFY(text.startsWith("X: 0\n"));
            // 12 blocks of a heading, 10 rows and two empty lines.
            QCOMPARE(text.count('\n'), 12 * (1 + 10 + 2));
            QCOMPARE(text.count(" ; "), 12 * 10 * 24);
            // The surface cells hold 100 particles.
            QVERIFY(text.contains("1.0000000000e+02 ; "));
            if (first.isEmpty())
                first = text;
            else
                QVERIFY(text == first);
        }
    }

    void commandLineExportFailures_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("toFolder");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("words");
        QTest::newRow("field the volume lacks") << ParticleCounts::nTypeName() << false << 1
                                                << QStringLiteral("no field \"Random Walk Particle Count Type N\"");
        QTest::newRow("output is a folder") << ParticleCounts::pTypeName() << true << 4 << QStringLiteral("folder");
    }
    void commandLineExportFailures()
    {
        QFETCH(QString, field);
        QFETCH(bool, toFolder);
        QFETCH(int, exitCode);
        QFETCH(QString, words);
        const QString list = writeList(QStringLiteral("fail.plst"), {substrateStep(), walkStep(dialogValues())});
        const QString target = toFolder ? m_dir.path() : m_dir.filePath(QStringLiteral("never.csv"));
        const BatchResult r = runBatch({list, QStringLiteral("--export-csv"), field, target});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(words), qPrintable(r.err));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.csv"))));
    }

    void commandLineRefusesAnUnwritableExportAfterTheRun()
    {
        const QString list = writeList(QStringLiteral("late.plst"), {substrateStep(), walkStep(dialogValues())});
        const BatchResult r = runBatch({list, QStringLiteral("--export-csv"), ParticleCounts::pTypeName(),
                                        m_dir.filePath(QStringLiteral("no/such/folder/out.csv"))});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(QStringLiteral("No such file or directory")), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(tst_RandomWalkBatch)
#include "tst_randomwalkbatch.moc"
