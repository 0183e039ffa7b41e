#include "Core/Operations/slicetasks.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <atomic>
#include <stdexcept>
#include <vector>

using namespace Core::Operations;

class tst_SliceTasks : public QObject {
    Q_OBJECT
private slots:
    void everyTaskRunsOnce_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint32_t>("count");
        QTest::newRow("none") << 2 << 0u;
        QTest::newRow("one, in the calling thread") << 2 << 1u;
        QTest::newRow("as many as threads") << 3 << 3u;
        QTest::newRow("more than threads") << 2 << 7u;
    }
    void everyTaskRunsOnce()
    {
        QFETCH(int, threads);
        QFETCH(uint32_t, count);
        PoolThreads pool(threads);
        QCOMPARE(poolThreadCount(), uint32_t(threads));
        std::vector<std::atomic<int>> runs(count);
        runSliceTasks(count, [&runs](uint32_t i) { ++runs[i]; });
        for (const auto &r : runs)
            QCOMPARE(r.load(), 1);
    }

    void failureIsReportedAfterEveryTaskEnded()
    {
        PoolThreads pool(2);
        std::atomic<int> finished{0};
        bool thrown = false;
        try {
            runSliceTasks(4, [&finished](uint32_t i) {
                if (i == 1)
                    throw std::runtime_error("slice failed");
                ++finished;
            });
        } catch (const std::exception &) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(finished.load(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_SliceTasks)
#include "tst_slicetasks.moc"
