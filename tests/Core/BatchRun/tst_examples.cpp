#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/anisotropicfilmdeposition.h"
#include "Core/Operations/anisotropicfilmetching.h"
#include "Core/Operations/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/continuoswetetching.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/isotropicfilmdeposition.h"
#include "Core/Operations/isotropicfilmetching.h"
#include "Core/Operations/layoutmask.h"
#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/photolithography.h"
#include "Core/Operations/planarization.h"
#include "Core/Operations/randomstream.h"
#include "Core/Operations/randomwalkdoping.h"
#include "Core/Operations/randomwalkdopinginput.h"
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
#include "vtifile.h"

#include <QDir>
#include <QJsonArray>
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

// The seed of the runs: random steps then draw the same in every run.
constexpr uint64_t runSeed = 7;

// The example's steps applied by calling the engines directly with the values of the list, as
// each interactive operation does after its dialog: the reference for the runner.
TotalVolumePtr applyDirectly(const QList<ProcessData> &steps)
{
    TotalVolumePtr volume;
    uint64_t index = 0;
    for (const ProcessData &s : steps) {
        const uint64_t position = index++;
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
        case SiWetEtching:
            // The lattice is laid over the cells as they are before each etch of a list.
            volume->createSiLattice();
            if (p("Etch Model").toString() == QLatin1String("CCA"))
                Ops::ContinuosWetEtching(*volume, p("Depth").toDouble()).run();
            else
                Ops::AtomicStructureSimpleSiWetEtch(*volume, p("Depth").toDouble()).run();
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
        case RandomWalkDoping: {
            // In the list's units, converted as the dialog's observer converts them; the runner
            // seeds each step from the run's seed and the step's position.
            Ops::RandomWalkDopingInput in;
            in.dopingTimeMinutes = p("Doping Time").toDouble();
            in.material = p("Material_Id").toUInt();
            in.diffusionCoefficientCm2PerS = p("Diffusion Coefficient").toDouble();
            in.cellSizeMicrometres = p("Cell Size").toDouble();
            in.timeStepSeconds = p("Time Step Duration").toDouble();
            in.surfaceConcentrationPerCm3 = p("Surface Concentration").toDouble();
            in.thresholdPercent = p("Doping Threshold").toDouble();
            Ops::RandomWalkDoping walk(*volume, in.material, in.diffusionCoefficient(), in.timeStep(), in.cellSize(),
                                       in.dopantConcentration(), in.thresholdConcentration());
            walk.setSeed(Ops::RandomStream::mix(runSeed + position));
            walk.dope(in.dopingTime());
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
            runner.setSeed(runSeed);
            const RunSummary summary = runner.run(file.steps());
            QVERIFY2(summary.succeeded(),
                     qPrintable(summary.failure.name + QLatin1String(": ") + summary.failure.message));
            QVERIFY(states(*runner.target()) == expectedStates);
        }
        QThreadPool::globalInstance()->setMaxThreadCount(threads);

        // The command line, through the document it writes.
        const QString output = m_dir.filePath(list + QStringLiteral(".cfw"));
        const QString vtiOutput = m_dir.filePath(list + QStringLiteral(".vti"));
        QProcess process;
        process.start(QStringLiteral(CELLFORGE_BATCH),
                      {path, QStringLiteral("--output"), output, QStringLiteral("--export-vti"), vtiOutput,
                       QStringLiteral("--threads"), QStringLiteral("2"), QStringLiteral("--seed"),
                       QString::number(runSeed)});
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

        // The exported image: the same cells, read back here and by VTK itself.
        VtiFile vti;
        QVERIFY2(vti.read(vtiOutput), qPrintable(vti.error));
        const VtiArray *material = vti.array(QStringLiteral("material"));
        QVERIFY(material);
        const uint32_t nx = expected->sizeX(), ny = expected->sizeY(), nz = expected->sizeZ();
        QCOMPARE(size_t(material->data.size()), expectedStates.size() * 4);
        bool available = false;
        const QJsonObject read = readWithVtk(vtiOutput, available);
        const QJsonArray vtkStates = read.value(QStringLiteral("arrays"))
                                         .toObject()
                                         .value(QStringLiteral("material"))
                                         .toObject()
                                         .value(QStringLiteral("values"))
                                         .toArray();
        if (available) {
            QCOMPARE(read.value(QStringLiteral("dimensions")).toArray(),
                     (QJsonArray{int(nx) + 1, int(ny) + 1, int(nz) + 1}));
            QCOMPARE(vtkStates.size(), int(expectedStates.size()));
        }
        for (uint32_t z = 0; z < nz; ++z)
            for (uint32_t y = 0; y < ny; ++y)
                for (uint32_t x = 0; x < nx; ++x) {
                    const size_t image = x + size_t(nx) * (y + size_t(ny) * z);
                    const uint32_t state = expectedStates[expected->index(x, y, z)];
                    if (material->uint32At(image) != state ||
                        (available && vtkStates.at(int(image)).toDouble() != state))
                        QFAIL(qPrintable(QStringLiteral("cell (%1, %2, %3) differs").arg(x).arg(y).arg(z)));
                }
        if (!available)
            qInfo("python3-vtk9 is not installed: VTK's own reader was not tried.");
    }

    // The list carries the bitmaps of its layout's two layers at 1 um per cell from the origin.
    void layoutExampleCarriesTheLayoutsMasks()
    {
        ProcessListFile file;
        QVERIFY(file.load(QStringLiteral(EXAMPLES_DIR "/cantilever_comb_from_layout.plst")));
        Ops::GdsLayout layout;
        QVERIFY2(layout.load(QStringLiteral(EXAMPLES_DIR "/layouts/cantilever_comb.gds")),
                 qPrintable(layout.errorString()));
        const QVector<Ops::LayoutLayer> layers{{1, 0}, {2, 0}};
        QCOMPARE(layout.layers(), layers);
        int layer = 0;
        for (const ProcessData &step : file.steps()) {
            if (step.getProcessType() != Photolithography)
                continue;
            QVERIFY(layer < layers.size());
            QCOMPARE(step.getProcessParameter(QStringLiteral("Top Mask File")).toString(),
                     QStringLiteral("layouts/cantilever_comb.gds"));
            Ops::LayoutPlacement placement;
            placement.layer = layers[layer++];
            Ops::MaskBits mask;
            QVERIFY(Ops::layoutMask(layout, placement, 100, 100, mask));
            QCOMPARE(bits(step.getProcessParameter(QStringLiteral("Top Mask")).toByteArray()), mask.bits);
        }
        QCOMPARE(layer, 2);
    }
};

QTEST_GUILESS_MAIN(tst_Examples)
#include "tst_examples.moc"
