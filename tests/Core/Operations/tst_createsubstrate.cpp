#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/substratebuilder.h"
#include "answeringscene.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>

using Core::Operations::CreateSubstrateOperation;
using Core::Operations::SubstrateBuilder;

class tst_CreateSubstrate : public QObject {
    Q_OBJECT
private slots:
    // A 10 x 10 x 80 volume; the box is clipped to it.
    void boxCells_data()
    {
        QTest::addColumn<uint32_t>("x0");
        QTest::addColumn<uint32_t>("y0");
        QTest::addColumn<uint32_t>("z0");
        QTest::addColumn<uint32_t>("sizeXY");
        QTest::addColumn<uint32_t>("sizeZ");
        QTest::addColumn<size_t>("filled");
        QTest::newRow("lowest thirty layers") << 0u << 0u << 0u << 10u << 30u << size_t(3000);
        QTest::newRow("clipped at the top") << 0u << 0u << 60u << 10u << 30u << size_t(2000);
        QTest::newRow("whole height") << 0u << 0u << 0u << 10u << 80u << size_t(8000);
        QTest::newRow("offset beyond the volume") << 0u << 0u << 90u << 10u << 5u << size_t(0);
        QTest::newRow("partly outside sideways") << 8u << 9u << 79u << 10u << 10u << size_t(2);
    }
    void boxCells()
    {
        QFETCH(uint32_t, x0);
        QFETCH(uint32_t, y0);
        QFETCH(uint32_t, z0);
        QFETCH(uint32_t, sizeXY);
        QFETCH(uint32_t, sizeZ);
        QFETCH(size_t, filled);
        SubstrateBuilder builder(3, 10, 10, 80, Util::Vector3D(1.5, -2, 7), x0, y0, z0, sizeXY, sizeXY, sizeZ);
        auto volume = builder.buildVolume();
        QCOMPARE(volume->position(), Util::Vector3D(1.5, -2, 7));
        const auto states = cellStates(*volume);
        QCOMPARE(size_t(std::count(states.begin(), states.end(), 3u)), filled);
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t y = 0; y < 10; ++y)
                for (uint32_t z = 0; z < 80; ++z) {
                    const bool inside =
                        x >= x0 && x < x0 + sizeXY && y >= y0 && y < y0 + sizeXY && z >= z0 && z < z0 + sizeZ;
                    QCOMPARE(states[volume->index(x, y, z)], inside ? 3u : 0u);
                }
    }

    // Every cell within the radius of the centre, cells at exactly the radius included.
    void sphereCells_data()
    {
        QTest::addColumn<uint32_t>("n");
        QTest::addColumn<uint32_t>("centre");
        QTest::addColumn<uint32_t>("radius");
        QTest::addColumn<size_t>("filled");
        QTest::newRow("octant of radius 50 in a corner") << 80u << 0u << 50u << size_t(68393);
        QTest::newRow("radius 1: the centre and its six neighbours") << 11u << 5u << 1u << size_t(7);
    }
    void sphereCells()
    {
        QFETCH(uint32_t, n);
        QFETCH(uint32_t, centre);
        QFETCH(uint32_t, radius);
        QFETCH(size_t, filled);
        SubstrateBuilder builder(9, n, n, n, Util::Vector3D(), centre, centre, centre, radius);
        auto volume = builder.buildVolume();
        const auto states = cellStates(*volume);
        QCOMPARE(size_t(std::count(states.begin(), states.end(), 9u)), filled);
        for (uint32_t x = 0; x < n; ++x)
            for (uint32_t y = 0; y < n; ++y)
                for (uint32_t z = 0; z < n; ++z) {
                    const int64_t dx = int64_t(x) - centre;
                    const int64_t dy = int64_t(y) - centre;
                    const int64_t dz = int64_t(z) - centre;
                    const bool inside = dx * dx + dy * dy + dz * dz <= int64_t(radius) * radius;
                    QCOMPARE(states[volume->index(x, y, z)], inside ? 9u : 0u);
                }
    }

    void rejectedDialogLeavesTheOperationWaitingSilently()
    {
        AnsweringScene<CreateSubstrateOperation> s(2);
        s.start();
        QCOMPARE(s.ws.currentOperation(), Core::Operations::OperationPtr(s.operation));
        QVERIFY(s.ws.document().allObjects().isEmpty());
        s.ws.cancelCurrentOperation();
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(s.log->lines.isEmpty());
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
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
        AnsweringScene<CreateSubstrateOperation> s(2);
        QStringList reported;
        s.ws.setErrorReporter([&](const QString &title, const QString &text) { reported << title << text; });
        s.answer = [n](CreateSubstrateOperation &op) {
            op.setBoxSubstrate(1, n, n, n, Util::Vector3D(), 0, 0, 0, 1, 1, 1);
        };
        s.start();
        QCOMPARE(reported.size(), 2);
        QCOMPARE(reported.first(), QStringLiteral("Create Substrate"));
        QVERIFY(!reported.last().isEmpty());
        QVERIFY(s.last().startsWith(QStringLiteral("Create Substrate: ")));
        QVERIFY(s.ws.document().allObjects().isEmpty());
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(!s.operation->volume());
    }
};

QTEST_GUILESS_MAIN(tst_CreateSubstrate)
#include "tst_createsubstrate.moc"
