#include "Core/BatchRun/stepparameters.h"
#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "Core/Engines/Lattice/maskerosion.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processstep.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "engineoperationcases.h"
#include "siwetetchscenes.h"

#include <QtTest>

#include <cmath>

using namespace Core::Operations;
using Core::Processes::CommandId;
using Model::Automaton::TotalVolume;
using namespace WetEtchScene;

namespace {

const uint32_t operationId = 700;

/// 30 % KOH at 70 degC for `minutes`, cell edge 1 um, thermal oxide receding at `oxideRate` nm/min.
Core::Processes::SiWetEtchingParameters oxideBath(double minutes, double oxideRate)
{
    Core::Processes::SiWetEtchingParameters params;
    params.model = QStringLiteral("CCA");
    params.etchant = QStringLiteral("KOH");
    params.etchTime = minutes;
    params.oxideEtchRate = oxideRate;
    return params;
}

void erodingEtch(TotalVolume &volume, double minutes, double oxideRate)
{
    using Core::Processes::SiWetEtchingProcess;
    const auto params = oxideBath(minutes, oxideRate);
    ContinuousWetEtchEngine engine(volume, SiWetEtchingProcess::calibratedSteps(params),
                                   ContinuousWetEtchEngine::Calibrated{});
    engine.setMaskErosion(SiWetEtchingProcess::thermalOxideMaterial(), SiWetEtchingProcess::oxideStepsPerCell(params));
    engine.run();
}

/// A two-cell mask with a 6 x 6 opening over 8 cells of silicon.
const Pit openOxide{16, 8, 6, false, 2, Mask};

} // namespace

class tst_MaskErosion : public QObject {
    Q_OBJECT
private slots:
    // A mask k cells thick, receding at r nm/min with cells of s um, is gone after k s / r minutes
    // (not before, within a cell's time); the silicon under it then recedes at the (100) rate
    // (Sato et al. 1998, 0.797 um/min). Any material but thermal oxide stays.
    void maskRecedesAtTheOxideRate_data()
    {
        QTest::addColumn<uint32_t>("material");
        QTest::addColumn<double>("minutes");
        QTest::addColumn<uint32_t>("layersLeft");
        QTest::addColumn<double>("siliconDepth");
        // 2 cells of 1 um at 100 nm/min: 10 min a cell, 20 min the mask.
        QTest::newRow("oxide, first cell gone") << Mask << 10.5 << 1u << 0.0;
        QTest::newRow("oxide, just before the second goes") << Mask << 19.5 << 1u << 0.0;
        QTest::newRow("oxide, just after") << Mask << 20.5 << 0u << 0.0;
        QTest::newRow("oxide, 5 min after") << Mask << 25.0 << 0u << sato100 * 5.0;
        QTest::newRow("aluminium") << 4u << 25.0 << 2u << 0.0;
    }
    void maskRecedesAtTheOxideRate()
    {
        QFETCH(uint32_t, material);
        QFETCH(double, minutes);
        QFETCH(uint32_t, layersLeft);
        QFETCH(double, siliconDepth);
        const Pit wafer{10, 8, 0, false, 2, material};
        const auto volume = wafer.volume();
        erodingEtch(*volume, minutes, 100.0);
        QCOMPARE(count(*volume, material), size_t(layersLeft) * wafer.n * wafer.n);
        if (layersLeft > 0)
            QCOMPARE(count(*volume, Silicon), size_t(wafer.n) * wafer.n * wafer.height);
        const double depth = depthAt(*volume, wafer.height, wafer.n / 2, wafer.n / 2);
        QVERIFY2(std::fabs(depth - siliconDepth) <= 1.0, qPrintable(QString::number(depth)));
    }

    // An oxide cell covered by aluminium above and silicon below shows no face to the bath; once the
    // silicon under it is etched away at time 5 it recedes from there, and goes 7 steps later (the
    // cell's time), then bares the oxide beside it, which goes 7 steps after that.
    void oxideBaredFromBelowGoesACellsTimeLater()
    {
        // One row along z: silicon, oxide, aluminium, and a second oxide cell beside the first (y = 1).
        std::vector<uint32_t> states{Silicon, Mask, 4, 4, Mask, 4};
        TotalVolume volume(1, 2, 3, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
        Model::Automaton::CellLock lock(volume);
        Model::Automaton::Cells cells = lock.cells();
        MaskErosion erosion(Mask, 7.0);
        erosion.start(cells, 1, 2, 3);
        QVERIFY(!erosion.hasDue(1e9));
        cells.setState(0, 0);
        erosion.exposeAround(cells, {0}, 5.0);
        QVERIFY(erosion.takeDue(cells, 11.9).empty());
        QCOMPARE(erosion.takeDue(cells, 12.0), std::vector<int64_t>{1});
        QCOMPARE(cells.state(1), 0u);
        QVERIFY(erosion.takeDue(cells, 18.9).empty());
        QCOMPARE(erosion.takeDue(cells, 19.0), std::vector<int64_t>{4});
        QVERIFY(!erosion.hasDue(1e9));
    }

    // The mask recedes from the opening and from above while the silicon etches; the result is the
    // same on any number of threads.
    void erosionDoesNotDependOnTheThreadCount()
    {
        std::vector<uint32_t> cells[2];
        for (int n = 0; n < 2; ++n) {
            PoolThreads threads(n == 0 ? 1 : 4);
            const auto volume = openOxide.volume();
            erodingEtch(*volume, 12.0, 150.0);
            cells[n] = cellStates(*volume);
        }
        QCOMPARE(cells[0], cells[1]);
        const size_t oxide = size_t(std::count(cells[0].begin(), cells[0].end(), Mask));
        // 6.7 min a cell: the top layer has gone, the lower one recedes from the opening.
        QVERIFY2(oxide > 0 && oxide < size_t(openOxide.n * openOxide.n - 36), qPrintable(QString::number(oxide)));
    }

    // "Oxide Etch Rate" must be a number from 0 to 1000 nm/min; a step that breaks it is refused
    // before it runs (cellforge-batch exits with 2).
    void oxideEtchRateIsRefusedOutsideItsRange_data()
    {
        QTest::addColumn<QVariant>("rate");
        QTest::addColumn<QString>("problem");
        QTest::newRow("negative") << QVariant(-1.0)
                                  << "\"Oxide Etch Rate\" of -1 is out of range: it must be from 0 to 1000 nm/min";
        QTest::newRow("too large") << QVariant(1500.0)
                                   << "\"Oxide Etch Rate\" of 1500 is out of range: it must be from 0 to 1000 nm/min";
        QTest::newRow("not a number") << QVariant(QStringLiteral("fast")) << "Oxide Etch Rate";
    }
    void oxideEtchRateIsRefusedOutsideItsRange()
    {
        QFETCH(QVariant, rate);
        QFETCH(QString, problem);
        using namespace Core::Processes;
        ProcessStep step{int(ProcessType::SiWetEtching)};
        const QVariantMap values = EngineCases::values<SiWetEtchingProcess>(oxideBath(10.0, 5.0));
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.value().isValid())
                step.setParameter(it.key(), it.value(), true);
        }
        step.setParameter(QLatin1String(Parameter::OxideEtchRate), rate, true);
        Core::BatchRun::StepParameters reader(step);
        ProcessRegistry::get<SiWetEtchingProcess>().read(reader);
        QCOMPARE(reader.result(), 2);
        QCOMPARE(reader.problem(), QStringLiteral("invalid: ") + problem);
        if (rate.userType() == QMetaType::Double)
            QCOMPARE(Core::BatchRun::StepParameters::rangeRefusals(step), QStringList{problem});
    }

    // Undone, a step that wore oxide away gives back the oxide, the silicon and the lattice;
    // redone, the step's cells again.
    void erodingStepIsUndoneAndRedone()
    {
        Core::Workspace ws;
        auto volume = openOxide.volume();
        ws.document().addObject(volume);
        const EngineCases::Maker make =
            EngineCases::command(CommandId::ContinuousWetEtch,
                                 EngineCases::values<Core::Processes::SiWetEtchingProcess>(oxideBath(12.0, 150.0)));
        auto factory = std::make_shared<TestFactory>();
        factory->makers[operationId] = [&ws, make] { return make(ws, true); };
        ws.setOperationFactory(factory);
        volume->createSiLattice();
        ws.setLatticeOutOfDate(volume->id(), false);
        const auto before = cellStates(*volume);
        const auto latticeBefore = latticeBytes(*volume->siLattice());
        ws.startOperation(operationId);
        auto expected = openOxide.volume();
        erodingEtch(*expected, 12.0, 150.0);
        const auto after = cellStates(*volume);
        QCOMPARE(after, cellStates(*expected));
        QVERIFY(count(*volume, Mask) < count(*openOxide.volume(), Mask));
        const auto latticeAfter = latticeBytes(*volume->siLattice());
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(cellStates(*volume), before);
        QCOMPARE(latticeBytes(*volume->siLattice()), latticeBefore);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(cellStates(*volume), after);
        QCOMPARE(latticeBytes(*volume->siLattice()), latticeAfter);
    }
};

QTEST_GUILESS_MAIN(tst_MaskErosion)
#include "tst_maskerosion.moc"
