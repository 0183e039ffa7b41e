#include "Core/Operations/planarization.h"
#include "Core/Operations/planarizationoperation.h"
#include "Core/Operations/spincoating.h"
#include "Core/Operations/spincoatingoperation.h"
#include "Core/workspace.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

std::shared_ptr<TotalVolume> patterned(uint32_t nx = 5, uint32_t nz = 6)
{
    return makeVolume(nx, 3, nz, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 7, 3); });
}

} // namespace

class tst_Planarization : public QObject {
    Q_OBJECT
private slots:
    void planarizationCuts_data()
    {
        QTest::addColumn<uint32_t>("maximum");
        QTest::addColumn<uint32_t>("minimum");
        QTest::addColumn<uint32_t>("keptFrom");
        QTest::addColumn<uint32_t>("keptTo");
        // The volume has nz = 6; cells with z in [keptFrom, keptTo) keep their states.
        QTest::newRow("whole range leaves the volume") << 6u << 0u << 0u << 6u;
        QTest::newRow("maximum above nz counts as nz") << 100u << 0u << 0u << 6u;
        QTest::newRow("top and bottom removed") << 4u << 1u << 1u << 4u;
        QTest::newRow("maximum equal to minimum empties all") << 2u << 2u << 0u << 0u;
        QTest::newRow("maximum below minimum empties all") << 1u << 3u << 0u << 0u;
        QTest::newRow("maximum 0 empties all") << 0u << 0u << 0u << 0u;
        QTest::newRow("minimum above nz empties all") << 6u << 9u << 0u << 0u;
    }
    void planarizationCuts()
    {
        QFETCH(uint32_t, maximum);
        QFETCH(uint32_t, minimum);
        QFETCH(uint32_t, keptFrom);
        QFETCH(uint32_t, keptTo);
        auto volume = patterned();
        const auto before = cellStates(*volume);
        Planarization engine(*volume, maximum, minimum);
        QVERIFY(engine.upperCut() <= 6u);
        engine.run();
        const auto after = cellStates(*volume);
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 0; z < 6; ++z) {
                    const size_t i = volume->index(x, y, z);
                    QCOMPARE(after[i], (z >= keptFrom && z < keptTo) ? before[i] : 0u);
                }
    }

    void spinCoatingFills_data()
    {
        QTest::addColumn<uint32_t>("height");
        QTest::addColumn<uint32_t>("filledTo");
        QTest::newRow("height 0 changes nothing") << 0u << 0u;
        QTest::newRow("height 3") << 3u << 3u;
        QTest::newRow("height nz fills every empty cell") << 6u << 6u;
        QTest::newRow("height above nz counts as nz") << 1000u << 6u;
    }
    void spinCoatingFills()
    {
        QFETCH(uint32_t, height);
        QFETCH(uint32_t, filledTo);
        auto volume = patterned();
        const auto before = cellStates(*volume);
        SpinCoating engine(*volume, 9, height);
        QCOMPARE(engine.fillHeight(), filledTo);
        engine.run();
        const auto after = cellStates(*volume);
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 0; z < 6; ++z) {
                    const size_t i = volume->index(x, y, z);
                    // Occupied cells never change, whatever their material.
                    const uint32_t expected = before[i] != 0 ? before[i] : (z < filledTo ? 9u : 0u);
                    QCOMPARE(after[i], expected);
                }
    }

    void oneThreadAndParallelRunsAgree_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint32_t>("nx");
        QTest::newRow("narrow volume, one slab") << 4 << 11u;
        QTest::newRow("two slabs") << 2 << 11u;
        QTest::newRow("three slabs, last wider") << 3 << 11u;
    }
    void oneThreadAndParallelRunsAgree()
    {
        QFETCH(int, threads);
        QFETCH(uint32_t, nx);
        auto serialPlanar = patterned(nx, 8);
        auto serialPoured = patterned(nx, 8);
        {
            PoolThreads pool(1);
            Planarization(*serialPlanar, 6, 2).run();
            SpinCoating(*serialPoured, 4, 5).run();
        }
        PoolThreads pool(threads);
        auto planar = patterned(nx, 8);
        auto poured = patterned(nx, 8);
        Planarization engine(*planar, 6, 2);
        QCOMPARE(engine.workers(), uint32_t(threads));
        engine.run();
        SpinCoating(*poured, 4, 5).run();
        QCOMPARE(cellStates(*planar), cellStates(*serialPlanar));
        QCOMPARE(cellStates(*poured), cellStates(*serialPoured));
    }

    void planarizationOperationRuns()
    {
        Core::Workspace ws;
        auto volume = patterned();
        ws.document().addObject(volume);
        auto observer = std::make_shared<CountingObserver>();
        auto op = std::make_shared<PlanarizationOperation>(ws);
        QCOMPARE(op->volumeSizeZ(), 0u);
        observer->onNotify = [&] {
            QCOMPARE(op->volumeSizeZ(), 6u);
            op->setMaximumHeight(3);
            op->setMinimumHeight(1);
        };
        op->setObserver(observer);
        ws.setLatticeOutOfDate(volume->id(), false);
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Planarization: Operation finished."));
        QCOMPARE(ws.lastOperation(volume->id()), 22u);
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        QCOMPARE(stateAt(*volume, 0, 0, 0), 0u);
        QCOMPARE(stateAt(*volume, 4, 2, 5), 0u);
        QVERIFY(!ws.undoRedo().canUndo());
    }

    void spinCoatingOperationRuns()
    {
        Core::Workspace ws;
        auto volume = patterned();
        ws.document().addObject(volume);
        auto observer = std::make_shared<CountingObserver>();
        auto op = std::make_shared<SpinCoatingOperation>(ws);
        observer->onNotify = [&] {
            QCOMPARE(op->volumeSizeZ(), 6u);
            op->setMaterial(11);
            op->setDepositionHeight(6);
        };
        op->setObserver(observer);
        ws.setLatticeOutOfDate(volume->id(), false);
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Spin Coating: Operation finished."));
        QCOMPARE(ws.lastOperation(volume->id()), 23u);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        const auto after = cellStates(*volume);
        QCOMPARE(std::count(after.begin(), after.end(), 0u), 0);
    }

    void rejectedDialogsCancelWithTheirOwnTexts_data()
    {
        QTest::addColumn<bool>("planarization");
        QTest::addColumn<QString>("message");
        QTest::newRow("planarization") << true << QStringLiteral("Planarization: Operation canceled!");
        QTest::newRow("spin coating") << false << QStringLiteral("Spin Coating: Operation canceled.");
    }
    void rejectedDialogsCancelWithTheirOwnTexts()
    {
        QFETCH(bool, planarization);
        QFETCH(QString, message);
        Core::Workspace ws;
        auto volume = patterned();
        ws.document().addObject(volume);
        const auto before = cellStates(*volume);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[22] = [&ws] {
            auto op = std::make_shared<PlanarizationOperation>(ws);
            op->setMaximumHeight(2); // the minimum never comes
            return op;
        };
        factory->makers[23] = [&ws] {
            auto op = std::make_shared<SpinCoatingOperation>(ws);
            op->setMaterial(2); // the height never comes
            return op;
        };
        ws.setOperationFactory(factory);
        ws.startOperation(planarization ? 22 : 23);
        QCOMPARE(ws.console().message(), message);
        QCOMPARE(cellStates(*volume), before);
        QVERIFY(!ws.currentOperation());
    }
};

QTEST_GUILESS_MAIN(tst_Planarization)
#include "tst_planarization.moc"
