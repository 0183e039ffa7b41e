#include "Core/Operations/cutcellvolume.h"
#include "Core/Operations/filmextraction.h"
#include "Core/Operations/gluelayout.h"
#include "Core/Operations/gluesubstrate.h"
#include "catalogtesthome.h"
#include "engineoperationcases.h"

#include <QtTest>

using namespace EngineCases;

namespace {

/// One row per engine; `during` keeps those with whole steps to stop between (the wet etches
/// too stop between steps, but a first step may remove atoms without emptying a cell).
void addEngines(bool during = false)
{
    QTest::addColumn<QString>("which");
    for (const QString &key : cases().keys())
        if (!during || cases().value(key).stopBoundary == 3)
            QTest::newRow(qPrintable(key)) << key;
}

} // namespace

class tst_EngineInvariants : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void resultsDoNotDependOnThreads_data() { addEngines(); }
    void resultsDoNotDependOnThreads()
    {
        QFETCH(QString, which);
        const ControlledRun engine = cases().value(which).engine;
        for (uint32_t nx : {3u, 23u}) {
            CellImage reference;
            for (int threads : {1, 2, 3, 7}) {
                PoolSize pool(threads);
                auto volume = freshVolume(nx);
                engine(*volume, nullptr);
                if (threads == 1) {
                    reference = image(*volume);
                    QVERIFY(reference.states != states(*freshVolume(nx)));
                }
                QVERIFY2(image(*volume) == reference,
                         qPrintable(QStringLiteral("nx %1, %2 threads").arg(nx).arg(threads)));
            }
        }
    }

    void stopBeforeTheRunChangesNothingAfterItComesTooLate_data() { addEngines(); }
    void stopBeforeTheRunChangesNothingAfterItComesTooLate()
    {
        QFETCH(QString, which);
        const ControlledRun engine = cases().value(which).engine;
        auto volume = freshVolume();
        const auto start = states(*volume);
        Util::RunControl early;
        early.requestStop();
        engine(*volume, &early);
        QVERIFY(early.wasStopped());
        QCOMPARE(states(*volume), start);
        QCOMPARE(early.done(), uint64_t(0));

        auto expected = freshVolume();
        engine(*expected, nullptr);
        Util::RunControl late;
        engine(*volume, &late);
        late.requestStop();
        QVERIFY(!late.wasStopped());
        QCOMPARE(states(*volume), states(*expected));
        // The counters reach their total, also when the front ran dry before the last step.
        QVERIFY(late.total() > 0);
        QCOMPARE(late.done(), late.total());
    }

    void stopDuringTheRunLeavesWholeSteps_data() { addEngines(true); }
    void stopDuringTheRunLeavesWholeSteps()
    {
        QFETCH(QString, which);
        const ControlledRun engine = cases().value(which).engine;
        // Boundary 1 comes before any work, 2 after the seeding, 3 after the first step; the
        // distances count too, as the oxidation turns its cells only at the end.
        CellImage firstResult;
        for (int threads : {1, 2, 3}) {
            PoolSize pool(threads);
            auto volume = freshVolume();
            Util::RunControl control;
            control.setBoundaryCallback([](Util::RunControl &c) {
                if (c.boundaries() == 3)
                    c.requestStop();
            });
            engine(*volume, &control);
            QVERIFY(control.wasStopped());
            QCOMPARE(control.boundaries(), uint64_t(3));
            QCOMPARE(control.done(), uint64_t(2));
            QVERIFY(control.done() < control.total());
            if (threads == 1)
                firstResult = image(*volume);
            QVERIFY(image(*volume) == firstResult);
        }
        QVERIFY(!(firstResult == image(*freshVolume())));
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

    void singlePassesStopOnlyBeforeTheyStart()
    {
        auto volume = freshVolume();
        const auto start = states(*volume);
        Util::RunControl stop;
        stop.requestStop();
        CutCellVolume cut(*volume, QBitArray(), 0, 0);
        cut.setRunControl(&stop);
        cut.cut();
        auto top = freshVolume();
        GlueSubstrate glue(*volume, *top, GlueLayout::prepare(*volume, *top));
        glue.setRunControl(&stop);
        QVERIFY(!glue.run());
        FilmExtraction film(*volume, Resist, false);
        film.setRunControl(&stop);
        QVERIFY(!film.run());
        QVERIFY(stop.wasStopped());
        QCOMPARE(states(*volume), start);
        for (uint32_t count : cutCounts(*volume))
            QCOMPARE(count, 0u);

        Util::RunControl full;
        cut.setRunControl(&full);
        cut.cut();
        QCOMPARE(full.done(), full.total());
        QCOMPARE(cutCounts(*volume)[0], 1u);
        Util::RunControl fullFilm;
        film.setRunControl(&fullFilm);
        QVERIFY(film.run());
        QCOMPARE(fullFilm.done(), fullFilm.total());
        QVERIFY(!fullFilm.wasStopped());
    }
};

QTEST_MAIN(tst_EngineInvariants)
#include "tst_engineinvariants.moc"
