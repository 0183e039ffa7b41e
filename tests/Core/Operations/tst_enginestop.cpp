#include "Core/Operations/anisotropicfilmdeposition.h"
#include "Core/Operations/anisotropicfilmetching.h"
#include "Core/Operations/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/continuoswetetching.h"
#include "Core/Operations/cutcellvolume.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/filmextraction.h"
#include "Core/Operations/gluelayout.h"
#include "Core/Operations/gluesubstrate.h"
#include "Core/Operations/isotropicfilmdeposition.h"
#include "Core/Operations/isotropicfilmetching.h"
#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/photolithography.h"
#include "Core/Operations/planarization.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/Operations/simplereactiveionetching.h"
#include "Core/Operations/spincoating.h"
#include "Util/runcontrol.h"
#include "enginetesthelpers.h"

#include <QBitArray>
#include <QtTest>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t Al = 4;
constexpr uint32_t Resist = 11;

/// Silicon floor with a ridge, an aluminium pad and a resist layer on part of the floor.
uint32_t shape(uint32_t x, uint32_t y, uint32_t z)
{
    if (z < 4)
        return Si;
    if (z == 4 && x >= 7 && y >= 2)
        return Al;
    if (z >= 4 && z < 7 && x < 3)
        return Resist;
    if (x >= 4 && x <= 5 && z < 11)
        return Si;
    return 0;
}

std::shared_ptr<TotalVolume> freshVolume() { return makeVolume(12, 6, 16, shape); }

/// Runs one engine on the volume with the control (null: none). `iterative` engines have
/// boundaries between their steps; the others stop only before their single pass.
struct Engine {
    std::function<void(TotalVolume &, Util::RunControl *)> run;
    bool iterative;
};

template <class E> void runWith(E &&engine, Util::RunControl *control)
{
    engine.setRunControl(control);
    engine.run();
}

QMap<QString, Engine> engines()
{
    QMap<QString, Engine> e;
    e.insert("isotropic deposition",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(IsotropicFilmDeposition(v, Oxide, 4.0f), c); }, true});
    e.insert("isotropic etching",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(IsotropicFilmEtching(v, Si, 3.0f), c); }, true});
    e.insert("electroplating",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(Electrodeposition(v, Oxide, Al, 3.0f), c); }, true});
    e.insert("anisotropic deposition",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(AnisotropicFilmDeposition(v, Oxide, 4.0f, 0.5f), c); },
              true});
    e.insert(
        "anisotropic etching",
        {[](TotalVolume &v, Util::RunControl *c) { runWith(AnisotropicFilmEtching(v, Si, 3.0f, 0.5f), c); }, true});
    e.insert("pvd", {[](TotalVolume &v, Util::RunControl *c) {
                         runWith(SimplePhysicalVaporDeposition(v, Al, 3.0f, 0.5f, 3), c);
                     },
                     true});
    e.insert("moore deposition",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(MooreNeighborhoodDeposition(v, Oxide, 3), c); }, true});
    e.insert("moore etching",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(MooreNeighborhoodEtching(v, Si, 3), c); }, true});
    e.insert("simple rie", {[](TotalVolume &v, Util::RunControl *c) {
                                runWith(SimpleReactiveIonEtching(v, Si, 5, SimpleReactiveIonEtching::fromTop), c);
                            },
                            true});
    e.insert("photolithography", {[](TotalVolume &v, Util::RunControl *c) {
                                      runWith(Photolithography(v, Resist, QBitArray(), 0, 0, QBitArray(), 0, 0), c);
                                  },
                                  true});
    e.insert("planarization", {[](TotalVolume &v, Util::RunControl *c) { runWith(Planarization(v, 8, 1), c); }, false});
    e.insert("spin coating",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(SpinCoating(v, Oxide, 9), c); }, false});
    // The wet etches stop between steps too; a first step may remove atoms without emptying a
    // cell, so they are checked before and after the run only.
    e.insert("bca wet etch",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(AtomicStructureSimpleSiWetEtch(v, 3.0), c); }, false});
    e.insert("cca wet etch",
             {[](TotalVolume &v, Util::RunControl *c) { runWith(ContinuosWetEtching(v, 3.0), c); }, false});
    return e;
}

} // namespace

class tst_EngineStop : public QObject {
    Q_OBJECT
private slots:
    void stopBeforeTheRunChangesNothing_data()
    {
        QTest::addColumn<QString>("which");
        for (const QString &key : engines().keys())
            QTest::newRow(qPrintable(key)) << key;
    }
    void stopBeforeTheRunChangesNothing()
    {
        QFETCH(QString, which);
        auto volume = freshVolume();
        const auto start = states(*volume);
        Util::RunControl control;
        control.requestStop();
        engines().value(which).run(*volume, &control);
        QVERIFY(control.wasStopped());
        QCOMPARE(states(*volume), start);
        QCOMPARE(control.done(), uint64_t(0));
    }

    void stopAfterTheRunKeepsTheFullResult_data() { stopBeforeTheRunChangesNothing_data(); }
    void stopAfterTheRunKeepsTheFullResult()
    {
        QFETCH(QString, which);
        const Engine engine = engines().value(which);
        auto expected = freshVolume();
        engine.run(*expected, nullptr);
        QVERIFY(states(*expected) != states(*freshVolume()));

        auto volume = freshVolume();
        Util::RunControl control;
        engine.run(*volume, &control);
        control.requestStop(); // too late: the run has ended
        QVERIFY(!control.wasStopped());
        QCOMPARE(states(*volume), states(*expected));
        // The counters reach their total, also when the front ran dry before the last step.
        QVERIFY(control.total() > 0);
        QCOMPARE(control.done(), control.total());
    }

    void stopDuringTheRunLeavesWholeSteps_data()
    {
        QTest::addColumn<QString>("which");
        for (const QString &key : engines().keys()) {
            if (engines().value(key).iterative)
                QTest::newRow(qPrintable(key)) << key;
        }
    }
    void stopDuringTheRunLeavesWholeSteps()
    {
        QFETCH(QString, which);
        const Engine engine = engines().value(which);
        // Boundary 1 comes before any work, 2 after the seeding, 3 after the first step.
        std::vector<uint32_t> firstResult;
        for (int threads : {1, 2, 3}) {
            PoolSize pool(threads);
            auto volume = freshVolume();
            Util::RunControl control;
            control.setBoundaryCallback([](Util::RunControl &c) {
                if (c.boundaries() == 3)
                    c.requestStop();
            });
            engine.run(*volume, &control);
            QVERIFY(control.wasStopped());
            QCOMPARE(control.boundaries(), uint64_t(3));
            QCOMPARE(control.done(), uint64_t(2));
            QVERIFY(control.done() < control.total());
            // One step of the engine, whatever the number of threads.
            if (firstResult.empty())
                firstResult = states(*volume);
            QCOMPARE(states(*volume), firstResult);
        }
        QVERIFY(firstResult != states(*freshVolume()));
    }

    void stoppedDistanceCountingRunEqualsFewerIterations_data()
    {
        QTest::addColumn<int>("boundary");
        QTest::newRow("after the seeding") << 2;
        QTest::newRow("after one iteration") << 3;
        QTest::newRow("after three iterations") << 5;
    }
    void stoppedDistanceCountingRunEqualsFewerIterations()
    {
        QFETCH(int, boundary);
        auto expected = freshVolume();
        IsotropicFilmDeposition(*expected, Oxide, 4.0f).run(uint32_t(boundary - 2));

        auto volume = freshVolume();
        Util::RunControl control;
        control.setBoundaryCallback([boundary](Util::RunControl &c) {
            if (c.boundaries() == uint64_t(boundary))
                c.requestStop();
        });
        IsotropicFilmDeposition engine(*volume, Oxide, 4.0f);
        engine.setRunControl(&control);
        engine.run();
        QVERIFY(control.wasStopped());
        QCOMPARE(engine.iterationsRun(), uint32_t(boundary - 2));
        QCOMPARE(states(*volume), states(*expected));
        QCOMPARE(control.total(), uint64_t(engine.iterationCount()) + 1);
    }

    void cutPassStopsOnlyBeforeItStarts()
    {
        auto volume = freshVolume();
        Util::RunControl control;
        control.requestStop();
        CutCellVolume cut(*volume, QBitArray(), 0, 0);
        cut.setRunControl(&control);
        cut.cut();
        QVERIFY(control.wasStopped());
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i)
                QCOMPARE(lock.cells()[i].cutCount(), 0u);
        }
        Util::RunControl full;
        cut.setRunControl(&full);
        cut.cut();
        QCOMPARE(full.done(), full.total());
        Model::Automaton::CellLock lock(*volume);
        QCOMPARE(lock.cells()[0].cutCount(), 1u);
    }

    void gluingAndFilmExtractionStopBeforeMakingAVolume()
    {
        auto base = freshVolume();
        auto top = freshVolume();
        const auto baseStart = states(*base);
        Util::RunControl stop;
        stop.requestStop();
        GlueSubstrate glue(*base, *top, GlueLayout::prepare(*base, *top));
        glue.setRunControl(&stop);
        QVERIFY(!glue.run());
        QVERIFY(stop.wasStopped());
        QCOMPARE(states(*base), baseStart);

        Util::RunControl stopFilm;
        stopFilm.requestStop();
        FilmExtraction film(*base, Resist, false);
        film.setRunControl(&stopFilm);
        QVERIFY(!film.run());
        QVERIFY(stopFilm.wasStopped());

        Util::RunControl full;
        film.setRunControl(&full);
        QVERIFY(film.run());
        QCOMPARE(full.done(), full.total());
        QVERIFY(!full.wasStopped());
    }
};

QTEST_MAIN(tst_EngineStop)
#include "tst_enginestop.moc"
