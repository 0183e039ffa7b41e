#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "testoperations.h"

#include <QtTest>

#include <cmath>

using Core::Operations::CreateSubstrateOperation;
using Core::Operations::SubstrateBuilder;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

size_t filledCount(TotalVolume &volume, uint32_t material)
{
    CellLock lock(volume);
    size_t count = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        count += lock.cells()[i].state() == material ? 1 : 0;
    return count;
}

uint32_t stateAt(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z)
{
    CellLock lock(volume);
    return lock.cells()[volume.index(x, y, z)].state();
}

} // namespace

class tst_CreateSubstrate : public QObject {
    Q_OBJECT
private slots:
    void defaultBoxFillsTheLowestThirtyLayers()
    {
        SubstrateBuilder builder(3, 100, 100, 80, Util::Vector3D(), 0, 0, 0, 100, 100, 30);
        auto volume = builder.buildVolume();
        QCOMPARE(volume->sizeZ(), 80u);
        CellLock lock(*volume);
        for (uint32_t x = 0; x < 100; x += 33)
            for (uint32_t y = 0; y < 100; y += 33)
                for (uint32_t z = 0; z < 80; ++z)
                    QCOMPARE(lock.cells()[volume->index(x, y, z)].state(), z < 30 ? 3u : 0u);
    }

    void boxCells_data()
    {
        QTest::addColumn<uint32_t>("offsetZ");
        QTest::addColumn<uint32_t>("sizeZ");
        QTest::addColumn<uint32_t>("firstZ");
        QTest::addColumn<uint32_t>("endZ");
        QTest::newRow("default") << 0u << 30u << 0u << 30u;
        QTest::newRow("clipped at the top") << 60u << 30u << 60u << 80u;
        QTest::newRow("whole height") << 0u << 80u << 0u << 80u;
        QTest::newRow("offset beyond the volume") << 90u << 5u << 0u << 0u;
    }

    void boxCells()
    {
        QFETCH(uint32_t, offsetZ);
        QFETCH(uint32_t, sizeZ);
        QFETCH(uint32_t, firstZ);
        QFETCH(uint32_t, endZ);
        SubstrateBuilder builder(1, 10, 10, 80, Util::Vector3D(), 0, 0, offsetZ, 10, 10, sizeZ);
        auto volume = builder.buildVolume();
        QCOMPARE(filledCount(*volume, 1), size_t(100) * (endZ - firstZ));
        for (uint32_t z = 0; z < 80; ++z)
            QCOMPARE(stateAt(*volume, 4, 7, z), (z >= firstZ && z < endZ) ? 1u : 0u);
    }

    void boxPartlyOutsideSidewaysIsDropped()
    {
        SubstrateBuilder builder(2, 4, 5, 6, Util::Vector3D(), 3, 4, 5, 10, 10, 10);
        auto volume = builder.buildVolume();
        QCOMPARE(filledCount(*volume, 2), size_t(1));
        QCOMPARE(stateAt(*volume, 3, 4, 5), 2u);
    }

    void octantSphereIncludesCellsAtExactlyTheRadius()
    {
        SubstrateBuilder builder(1, 100, 100, 80, Util::Vector3D(), 0, 0, 0, 50);
        auto volume = builder.buildVolume();
        // Count column by column: z runs from 0 to floor(sqrt(2500 - x^2 - y^2)).
        size_t expected = 0;
        for (int x = 0; x <= 50; ++x)
            for (int y = 0; x * x + y * y <= 2500; ++y)
                expected += static_cast<size_t>(std::floor(std::sqrt(double(2500 - x * x - y * y)))) + 1;
        QCOMPARE(filledCount(*volume, 1), expected);
        QCOMPARE(stateAt(*volume, 50, 0, 0), 1u);
        QCOMPARE(stateAt(*volume, 0, 0, 50), 1u);
        QCOMPARE(stateAt(*volume, 30, 40, 0), 1u); // distance exactly 50
        QCOMPARE(stateAt(*volume, 0, 30, 40), 1u);
        QCOMPARE(stateAt(*volume, 51, 0, 0), 0u);
        QCOMPARE(stateAt(*volume, 36, 36, 0), 0u);
    }

    void radiusOneFillsTheCentreAndItsSixNeighbours()
    {
        SubstrateBuilder builder(9, 11, 11, 11, Util::Vector3D(), 5, 5, 5, 1);
        auto volume = builder.buildVolume();
        QCOMPARE(filledCount(*volume, 9), size_t(7));
        QCOMPARE(stateAt(*volume, 5, 5, 5), 9u);
        QCOMPARE(stateAt(*volume, 4, 5, 5), 9u);
        QCOMPARE(stateAt(*volume, 5, 5, 6), 9u);
        QCOMPARE(stateAt(*volume, 4, 4, 5), 0u);
    }

    void builderKeepsPositionAndCellSize()
    {
        SubstrateBuilder builder(1, 3, 4, 5, Util::Vector3D(1.5, -2, 7), 0, 0, 0, 1, 1, 1);
        auto volume = builder.buildVolume();
        QCOMPARE(volume->position(), Util::Vector3D(1.5, -2, 7));
        QCOMPARE(volume->cellSizeX(), 1.0f);
        QCOMPARE(volume->cellCount(), size_t(60));
    }

    void operationAddsTheVolumeAndUndoRedoTakeItOutAndBack()
    {
        Core::Workspace ws;
        auto op = std::make_shared<CreateSubstrateOperation>(ws);
        auto dialog = std::make_shared<CountingObserver>();
        dialog->onNotify = [&] { op->setBoxSubstrate(1, 10, 10, 8, Util::Vector3D(), 0, 0, 0, 10, 10, 3); };
        op->setObserver(dialog);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[2] = [&] { return op; };
        ws.setOperationFactory(factory);

        ws.startOperation(2);
        QCOMPARE(dialog->count, 1);
        QCOMPARE(ws.console().message(), QStringLiteral("Create Substrate: substrate created successfully."));
        QCOMPARE(ws.document().allObjects().size(), 1);
        auto volume = op->volume();
        QVERIFY(volume);
        QCOMPARE(ws.document().allObjects().first(), Model::ObjectPtr(volume));
        QCOMPARE(filledCount(*volume, 1), size_t(300));
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("Create Substrate"));
        QVERIFY(!ws.currentOperation());

        ws.undoRedo().undo();
        QVERIFY(ws.document().allObjects().isEmpty());
        ws.undoRedo().redo();
        QCOMPARE(ws.document().allObjects().first(), Model::ObjectPtr(volume));
    }

    void rejectedDialogLeavesTheOperationWaitingSilently()
    {
        Core::Workspace ws;
        auto op = std::make_shared<CreateSubstrateOperation>(ws);
        op->setObserver(std::make_shared<CountingObserver>()); // the dialog was rejected
        auto factory = std::make_shared<TestFactory>();
        factory->makers[2] = [&] { return op; };
        ws.setOperationFactory(factory);
        auto messages = std::make_shared<CountingObserver>();
        ws.console().addObserver(messages);

        ws.startOperation(2);
        QCOMPARE(ws.currentOperation(), Core::Operations::OperationPtr(op));
        QVERIFY(ws.document().allObjects().isEmpty());
        ws.cancelCurrentOperation();
        QVERIFY(!ws.currentOperation());
        QCOMPARE(messages->count, 0);
        QCOMPARE(ws.undoRedo().undoCount(), size_t(0));
    }

    void tooLargeVolumeIsReportedAndNothingIsAdded_data()
    {
        QTest::addColumn<uint32_t>("n");
        QTest::newRow("cell count overflows") << 1000000000u;
        QTest::newRow("beyond the memory of the machine") << 100000u;
    }

    void tooLargeVolumeIsReportedAndNothingIsAdded()
    {
        QFETCH(uint32_t, n);
        Core::Workspace ws;
        QStringList reported;
        ws.setErrorReporter([&](const QString &title, const QString &text) { reported << title << text; });
        auto op = std::make_shared<CreateSubstrateOperation>(ws);
        auto dialog = std::make_shared<CountingObserver>();
        dialog->onNotify = [&] { op->setBoxSubstrate(1, n, n, n, Util::Vector3D(), 0, 0, 0, 1, 1, 1); };
        op->setObserver(dialog);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[2] = [&] { return op; };
        ws.setOperationFactory(factory);

        ws.startOperation(2);
        QCOMPARE(reported.size(), 2);
        QCOMPARE(reported.first(), QStringLiteral("Create Substrate"));
        QVERIFY(!reported.last().isEmpty());
        QVERIFY(ws.console().message().startsWith(QStringLiteral("Create Substrate: ")));
        QVERIFY(ws.document().allObjects().isEmpty());
        QCOMPARE(ws.undoRedo().undoCount(), size_t(0));
        QVERIFY(!ws.currentOperation());
        QVERIFY(!op->volume());
    }
};

QTEST_GUILESS_MAIN(tst_CreateSubstrate)
#include "tst_createsubstrate.moc"
