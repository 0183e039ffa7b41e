#include "Util/failuretext.h"
#include "Util/paralleltasks.h"
#include "volumetesthelpers.h"

#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <new>
#include <stdexcept>
#include <vector>

using namespace Util;

class tst_ParallelTasks : public QObject {
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
        runParallelTasks(count, [&runs](uint32_t i) { ++runs[i]; });
        for (const auto &r : runs)
            QCOMPARE(r.load(), 1);
    }

    // The first task fails at once while the others are still held back: the helper must not
    // return before they ended, or they would write into memory the caller is freeing.
    void failureIsPassedOnAfterEveryTaskEnded()
    {
        PoolThreads pool(3);
        QSemaphore failed;
        std::atomic<int> finished{0};
        bool thrown = false;
        try {
            runParallelTasks(4, [&](uint32_t i) {
                if (i == 0) {
                    failed.release(3);
                    throw std::runtime_error("slice failed");
                }
                failed.acquire();
                ++finished;
            });
        } catch (const std::runtime_error &) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(finished.load(), 3);
    }

    // Out of memory must reach the caller as itself, so that it is reported as such.
    void outOfMemoryKeepsItsType()
    {
        PoolThreads pool(2);
        bool outOfMemory = false;
        try {
            runParallelTasks(4, [](uint32_t i) {
                if (i == 2)
                    throw std::bad_alloc();
            });
        } catch (const std::bad_alloc &error) {
            outOfMemory = true;
            QCOMPARE(failureText(error, QStringLiteral("draw the surface")),
                     QStringLiteral("Not enough memory to draw the surface."));
        } catch (...) {
        }
        QVERIFY(outOfMemory);
    }

    void lowestFailedTaskWins()
    {
        PoolThreads pool(4);
        for (int repeat = 0; repeat < 20; ++repeat) {
            QString message;
            try {
                runParallelTasks(4, [](uint32_t i) {
                    if (i >= 1)
                        throw std::runtime_error(std::to_string(i));
                });
            } catch (const std::runtime_error &error) {
                message = QString::fromLatin1(error.what());
            }
            QCOMPARE(message, QStringLiteral("1"));
        }
    }

    void rangeIsCoveredOnce_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("n");
        QTest::newRow("small, here") << 4 << 10;
        QTest::newRow("split") << 3 << 10001;
        QTest::newRow("one thread") << 1 << 5000;
    }
    void rangeIsCoveredOnce()
    {
        QFETCH(int, threads);
        QFETCH(int, n);
        PoolThreads pool(threads);
        std::vector<std::atomic<int>> hits(static_cast<size_t>(n));
        runParallelRange(hits.size(), 100, [&hits](size_t begin, size_t end) {
            for (size_t i = begin; i < end; ++i)
                ++hits[i];
        });
        for (const auto &h : hits)
            QCOMPARE(h.load(), 1);
    }

    void otherFailuresKeepTheirText()
    {
        const std::invalid_argument error("The thickness must not be negative.");
        QCOMPARE(failureText(error, QStringLiteral("run it")), QStringLiteral("The thickness must not be negative."));
    }
};

QTEST_GUILESS_MAIN(tst_ParallelTasks)
#include "tst_paralleltasks.moc"
