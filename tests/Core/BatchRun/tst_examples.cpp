#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/layoutmask.h"
#include "Core/workspace.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"
#include "vtifile.h"

#include <QDir>
#include <QTemporaryDir>
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

QStringList exampleLists() { return QDir(QStringLiteral(EXAMPLES_DIR)).entryList({QStringLiteral("*.plst")}); }

} // namespace

class tst_Examples : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void exampleGivesTheSameCellsEverywhere_data()
    {
        QTest::addColumn<QString>("list");
        for (const QString &name : exampleLists())
            QTest::newRow(qPrintable(name)) << name;
        QVERIFY(exampleLists().size() >= 3);
    }
    void exampleGivesTheSameCellsEverywhere()
    {
        QFETCH(QString, list);
        const QString path = QStringLiteral(EXAMPLES_DIR "/") + list;
        ProcessListFile file;
        QVERIFY2(file.load(path), qPrintable(file.errorString()));
        QVERIFY(file.materialReport().isEmpty());
        // The runner in this process gives the same cells with one and with four threads.
        std::vector<uint32_t> expectedStates;
        TotalVolumePtr expected;
        for (int n : {1, 4}) {
            PoolThreads pool(n);
            Core::Workspace workspace;
            BatchRunner runner(workspace, nullptr);
            runner.setSeed(runSeed);
            const RunSummary summary = runner.run(file.steps());
            QVERIFY2(summary.succeeded(),
                     qPrintable(summary.failure.name + QLatin1String(": ") + summary.failure.message));
            if (!expected) {
                expected = runner.target();
                expectedStates = cellStates(*expected);
            }
            QVERIFY(cellStates(*runner.target()) == expectedStates);
        }
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

        // The command line, through the document it writes.
        const QString output = m_dir.filePath(list + QStringLiteral(".cfw"));
        const QString vtiOutput = m_dir.filePath(list + QStringLiteral(".vti"));
        const BatchResult r = runBatch({path, QStringLiteral("--output"), output, QStringLiteral("--export-vti"),
                                        vtiOutput, QStringLiteral("--threads"), QStringLiteral("2"),
                                        QStringLiteral("--seed"), QString::number(runSeed)});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), file.steps().size());
        const TotalVolumePtr written = documentVolume(output);
        QVERIFY(written);
        QCOMPARE(written->sizeX(), expected->sizeX());
        QCOMPARE(written->sizeZ(), expected->sizeZ());
        QVERIFY(cellStates(*written) == expectedStates);

        // The exported image: the same cells, in VTK's order.
        VtiFile vti;
        QVERIFY2(vti.read(vtiOutput), qPrintable(vti.error));
        const VtiArray *material = vti.array(QStringLiteral("material"));
        QVERIFY(material);
        const uint32_t nx = expected->sizeX(), ny = expected->sizeY(), nz = expected->sizeZ();
        QCOMPARE(size_t(material->data.size()), expectedStates.size() * 4);
        for (uint32_t z = 0; z < nz; ++z)
            for (uint32_t y = 0; y < ny; ++y)
                for (uint32_t x = 0; x < nx; ++x) {
                    if (material->uint32At(x + size_t(nx) * (y + size_t(ny) * z)) !=
                        expectedStates[expected->index(x, y, z)])
                        QFAIL(qPrintable(QStringLiteral("cell (%1, %2, %3) differs").arg(x).arg(y).arg(z)));
                }
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
