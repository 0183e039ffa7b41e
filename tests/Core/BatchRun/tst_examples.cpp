#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/anisotropicfilmdeposition.h"
#include "Core/Operations/anisotropicfilmetching.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/isotropicfilmdeposition.h"
#include "Core/Operations/isotropicfilmetching.h"
#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/photolithography.h"
#include "Core/Operations/planarization.h"
#include "Core/Operations/simpledoping.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/Operations/simplesioxidation.h"
#include "Core/Operations/spincoating.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "catalogtesthome.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <set>

using namespace Core::BatchRun;
namespace Ops = Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::ProcessData;

namespace {

QBitArray bits(const QByteArray &bytes)
{
    QBitArray b(bytes.size());
    for (int i = 0; i < bytes.size(); ++i)
        b.setBit(i, bytes.at(i) != 0);
    return b;
}

// The example's steps applied by calling the engines directly with the values of the list, as
// each interactive operation does after its dialog: the reference for the runner.
TotalVolumePtr applyDirectly(const QList<ProcessData> &steps)
{
    TotalVolumePtr volume;
    for (const ProcessData &s : steps) {
        auto p = [&s](const char *name) { return s.getProcessParameter(QLatin1String(name)); };
        switch (s.getProcessType()) {
        case CreateSubstrate:
            volume = Ops::SubstrateBuilder(p("Material_Id").toUInt(), p("Volume Size X").toUInt(),
                                           p("Volume Size Y").toUInt(), p("Volume Size Z").toUInt(),
                                           p("Lower Left Front Corner").value<Util::Vector3D>(),
                                           p("Substrate Delta X").toUInt(), p("Substrate Delta Y").toUInt(),
                                           p("Substrate Delta Z").toUInt(), p("Substrate Size X").toUInt(),
                                           p("Substrate Size Y").toUInt(), p("Substrate Size Z").toUInt())
                         .buildVolume();
            break;
        case SpinCoating:
            Ops::SpinCoating(*volume, p("Material_Id").toUInt(), p("Maximum Height").toUInt()).run();
            break;
        case Photolithography:
            Ops::Photolithography(*volume, p("Material_Id").toUInt(), bits(p("Bottom Mask").toByteArray()),
                                  p("Bottom Mask Width").toUInt(), p("Bottom Mask Height").toUInt(),
                                  bits(p("Top Mask").toByteArray()), p("Top Mask Width").toUInt(),
                                  p("Top Mask Height").toUInt())
                .run();
            break;
        case AnisotropicEtching:
            Ops::AnisotropicFilmEtching(*volume, p("Material_Id").toUInt(), p("Etch Depth").toFloat(),
                                        p("Horizontal to Vertical Ratio").toFloat())
                .run();
            break;
        case AnisotropicDeposition:
            Ops::AnisotropicFilmDeposition(*volume, p("Material_Id").toUInt(), p("Film Thickness").toFloat(),
                                           p("Horizontal to Vertical Ratio").toFloat())
                .run();
            break;
        case IsotropicEtching:
            Ops::IsotropicFilmEtching(*volume, p("Material_Id").toUInt(), p("Depth").toFloat()).run();
            break;
        case Cvd:
            Ops::IsotropicFilmDeposition(*volume, p("Material_Id").toUInt(), p("Thickness").toFloat()).run();
            break;
        case Pvd:
            Ops::SimplePhysicalVaporDeposition(*volume, p("Material_Id").toUInt(), p("Thickness").toFloat(),
                                               p("Horizontal to Vertical Ratio").toFloat(), p("DepositOn").toUInt())
                .run();
            break;
        case Electroplating:
            Ops::Electrodeposition(*volume, p("Deposited Material_Id").toUInt(), p("Conducting Material_Id").toUInt(),
                                   p("Film Thickness").toFloat())
                .run();
            break;
        case MooreDeposition:
            Ops::MooreNeighborhoodDeposition(*volume, p("Material_Id").toUInt(), p("Thickness").toUInt()).run();
            break;
        case MooreEtching:
            Ops::MooreNeighborhoodEtching(*volume, p("Material_Id").toUInt(), p("Depth").toUInt()).run();
            break;
        case Planarization:
            Ops::Planarization(*volume, p("Maximum Height").toUInt(), p("Minimum Height").toUInt()).run();
            break;
        case Doping:
            Ops::SimpleDoping(*volume, p("Doped Material_Id").toUInt(), p("Doping Depth").toFloat()).run();
            break;
        case IonImplantation:
            Ops::IonImplantation(*volume, p("Doped Material_Id").toUInt(), p("Implantation Depth").toFloat(),
                                 p("Vertical Spread").toFloat(), p("Annealing Distance").toFloat())
                .run();
            break;
        case SiOxidation: {
            Ops::SimpleSiOxidation oxidation(*volume, p("Micron Conversion").toDouble());
            if (p("OxidationTimeSet").toBool())
                oxidation.runForTime(p("Oxidation Time").toDouble(), p("Oxidation Temperature").toDouble(),
                                     p("Oxidation Pressure").toDouble());
            else
                oxidation.runWithThickness(p("Oxidation Thickness").toDouble());
            break;
        }
        default:
            return nullptr;
        }
    }
    return volume;
}

std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> s(volume.cellCount());
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = lock.cells()[i].state();
    return s;
}

QStringList exampleLists() { return QDir(QStringLiteral(EXAMPLES_DIR)).entryList({QStringLiteral("*.plst")}); }

} // namespace

class tst_Examples : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void exampleRunsAsTheEnginesDo_data()
    {
        QTest::addColumn<QString>("list");
        for (const QString &name : exampleLists())
            QTest::newRow(qPrintable(name)) << name;
        QVERIFY(exampleLists().size() >= 3);
    }
    void exampleRunsAsTheEnginesDo()
    {
        QFETCH(QString, list);
        const QString path = QStringLiteral(EXAMPLES_DIR "/") + list;
        ProcessListFile file;
        QVERIFY2(file.load(path), qPrintable(file.errorString()));
        QVERIFY(file.materialReport().isEmpty());
        const TotalVolumePtr expected = applyDirectly(file.steps());
        QVERIFY2(expected, "the list uses a step this test does not apply");
        const std::vector<uint32_t> expectedStates = states(*expected);
        // Every example ends with at least two materials and some empty space: a structure, not a block.
        const std::set<uint32_t> materials(expectedStates.begin(), expectedStates.end());
        QVERIFY(materials.size() >= 3);
        QVERIFY(materials.count(0) == 1);
        // Steps that dope or oxidize leave their material behind.
        for (const ProcessData &s : file.steps()) {
            const int type = s.getProcessType();
            if (type == Doping || type == IonImplantation)
                QVERIFY(materials.count(s.getProcessParameter(QStringLiteral("Doped Material_Id")).toUInt()) == 1);
            if (type == SiOxidation)
                QVERIFY(materials.count(3) == 1);
        }

        // The runner in this process, with one and with four threads.
        const int threads = QThreadPool::globalInstance()->maxThreadCount();
        for (int n : {1, 4}) {
            QThreadPool::globalInstance()->setMaxThreadCount(n);
            Core::Workspace workspace;
            BatchRunner runner(workspace, nullptr);
            const RunSummary summary = runner.run(file.steps());
            QVERIFY2(summary.succeeded(),
                     qPrintable(summary.failure.name + QLatin1String(": ") + summary.failure.message));
            QVERIFY(states(*runner.target()) == expectedStates);
        }
        QThreadPool::globalInstance()->setMaxThreadCount(threads);

        // The command line, through the document it writes.
        const QString output = m_dir.filePath(list + QStringLiteral(".cfw"));
        QProcess process;
        process.start(QStringLiteral(CELLFORGE_BATCH),
                      {path, QStringLiteral("--output"), output, QStringLiteral("--threads"), QStringLiteral("2")});
        QVERIFY(process.waitForFinished(300000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QVERIFY(process.readAllStandardError().isEmpty());
        const QStringList lines =
            QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), file.steps().size());

        Model::Document document;
        Model::Persistence::MaterialTranslationTable table;
        Model::Persistence::MaterialReconciler reconciler(table);
        const auto result = Model::Persistence::loadDocumentFile(
            output, document, Model::Persistence::ArchiverRegistry::standard(), reconciler);
        QVERIFY(result.ok);
        QCOMPARE(document.allObjects().size(), 1);
        auto written = std::dynamic_pointer_cast<TotalVolume>(document.allObjects().first());
        QVERIFY(written);
        QCOMPARE(written->sizeX(), expected->sizeX());
        QCOMPARE(written->sizeZ(), expected->sizeZ());
        QVERIFY(states(*written) == expectedStates);
    }
};

QTEST_GUILESS_MAIN(tst_Examples)
#include "tst_examples.moc"
