#include "Core/Operations/simplereactiveionetching.h"
#include "enginetesthelpers.h"

#include <QtTest>

using Core::Operations::SimpleReactiveIonEtching;
using namespace EngineTest;

namespace {
constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;

/// Silicon from z 2 to 11 with empty space above and below; an oxide cap on column (1, 1) and
/// an oxide foot under column (3, 2).
uint32_t block(uint32_t x, uint32_t y, uint32_t z)
{
    if (x == 1 && y == 1 && z == 12)
        return Oxide;
    if (x == 3 && y == 2 && z == 1)
        return Oxide;
    return z >= 2 && z <= 11 ? Si : 0u;
}
} // namespace

class tst_SimpleReactiveIonEtching : public QObject {
    Q_OBJECT
private slots:
    void etchesColumns_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint>("direction");
        QTest::addColumn<uint>("depth");
        for (int threads : {1, 2, 3, 7}) {
            const QByteArray t = QByteArray::number(threads) + " threads";
            QTest::newRow(("from top, " + t).constData()) << threads << 1u << 3u;
            QTest::newRow(("from below, " + t).constData()) << threads << 2u << 3u;
            QTest::newRow(("both, " + t).constData()) << threads << 3u << 3u;
            QTest::newRow(("neither, " + t).constData()) << threads << 0u << 3u;
        }
        QTest::newRow("through the block") << 2 << 3u << 40u;
    }
    void etchesColumns()
    {
        QFETCH(int, threads);
        QFETCH(uint, direction);
        QFETCH(uint, depth);
        PoolSize pool(threads);
        auto volume = makeVolume(5, 4, 14, block);
        SimpleReactiveIonEtching engine(*volume, Si, depth, uint8_t(direction));
        engine.run();
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t z = 0; z < 14; ++z) {
                    uint32_t expected = block(x, y, z);
                    if (expected == Si) {
                        const bool capped = x == 1 && y == 1;
                        const bool footed = x == 3 && y == 2;
                        if ((direction & 1) && !capped && z + depth > 11)
                            expected = 0;
                        if ((direction & 2) && !footed && z < 2 + depth)
                            expected = 0;
                    }
                    QVERIFY2(stateAt(*volume, x, y, z) == expected,
                             qPrintable(QStringLiteral("cell %1 %2 %3").arg(x).arg(y).arg(z)));
                }
    }

    void neverEtchesSideways()
    {
        // A silicon wall whose side faces empty space: only its top is attacked.
        auto volume = makeVolume(6, 2, 8, [](uint32_t x, uint32_t, uint32_t z) { return x == 2 && z < 6 ? Si : 0u; });
        SimpleReactiveIonEtching(*volume, Si, 2, SimpleReactiveIonEtching::fromTop).run();
        for (uint32_t z = 0; z < 8; ++z)
            QCOMPARE(stateAt(*volume, 2, 1, z), z < 4 ? Si : 0u);
        QCOMPARE(stateAt(*volume, 1, 1, 2), 0u);
        QCOMPARE(stateAt(*volume, 3, 1, 2), 0u);
    }
};

QTEST_GUILESS_MAIN(tst_SimpleReactiveIonEtching)
#include "tst_simplereactiveionetching.moc"
