#include "Util/availablememory.h"
#include "Util/failuretext.h"
#include "Util/paralleltasks.h"
#include "Util/runcontrol.h"
#include "Util/runstage.h"
#include "Util/safefile.h"
#include "filecontents.h"
#include "filesizelimit.h"
#include "fulldisk.h"
#include "volumetesthelpers.h"

#include <QDir>
#include <QImage>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace Util;

// Parallel loops, run control, safe file writing and vectors.
class tst_Util : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void everyTaskAndEveryIndexRunsOnce()
    {
        // Threads and tasks: none, one (in the calling thread), more than threads, a range split in parts.
        const std::pair<int, uint32_t> cases[] = {{2, 0}, {2, 1}, {2, 7}, {3, 10001}};
        for (const auto &[threads, count] : cases) {
            PoolThreads pool(threads);
            QCOMPARE(poolThreadCount(), uint32_t(threads));
            std::vector<std::atomic<int>> runs(count);
            runParallelTasks(count, [&runs](uint32_t i) { ++runs[i]; });
            std::vector<std::atomic<int>> hits(count);
            runParallelRange(hits.size(), 100, [&hits](size_t begin, size_t end) {
                for (size_t i = begin; i < end; ++i)
                    ++hits[i];
            });
            for (uint32_t i = 0; i < count; ++i) {
                QCOMPARE(runs[i].load(), 1);
                QCOMPARE(hits[i].load(), 1);
            }
        }
    }

    // The first task fails while the others are held back: returning before they end frees memory they write.
    void failureIsPassedOnAfterEveryTaskEnded()
    {
        PoolThreads pool(3);
        QSemaphore failed;
        std::atomic<int> finished{0};
        const auto task = [&](uint32_t i) {
            if (i == 0) {
                failed.release(3);
                throw std::runtime_error("slice failed");
            }
            failed.acquire();
            ++finished;
        };
        QVERIFY_EXCEPTION_THROWN(runParallelTasks(4, task), std::runtime_error);
        QCOMPARE(finished.load(), 3);
    }

    // The lowest failed task's failure reaches the caller; out of memory as itself, to be reported as such.
    void failuresKeepTheirKindAndTheLowestTaskWins()
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
        const auto outOfMemory = [](uint32_t i) {
            if (i == 2)
                throw std::bad_alloc();
        };
        QVERIFY_EXCEPTION_THROWN(runParallelTasks(4, outOfMemory), std::bad_alloc);
        QCOMPARE(failureText(std::bad_alloc(), QStringLiteral("draw the surface")),
                 QStringLiteral("Not enough memory to draw the surface."));
        const std::invalid_argument error("The thickness must not be negative.");
        QCOMPARE(failureText(error, QStringLiteral("run it")), QStringLiteral("The thickness must not be negative."));
    }

    void runControlStopsAtBoundariesAndCountsStages()
    {
        RunControl control;
        QList<uint64_t> seen;
        control.setBoundaryCallback([&seen](RunControl &c) { seen << c.boundaries(); });
        {
            RunStage stage(&control, 10);
            stage.advance();
            stage.advance(3);
            QCOMPARE(control.done(), uint64_t(4));
            stage.finish();
            QCOMPARE(control.done(), uint64_t(10));
            QCOMPARE(control.total(), uint64_t(10));
        }
        QVERIFY(!control.stopHere());
        control.requestStop();
        QVERIFY(!control.wasStopped()); // only a boundary stops the job
        QVERIFY(control.stopHere());
        QVERIFY(control.wasStopped());
        QVERIFY(control.stopHere());
        QCOMPARE(seen, QList<uint64_t>({1, 2, 3}));
        control.reset();
        QVERIFY(!control.stopRequested() && control.done() == 0 && control.total() == 0 && !control.stopHere());
        // A control that cannot stop lets the job run on until it can.
        control.setStoppable(false);
        control.requestStop();
        QVERIFY(!control.stopHere());
        QVERIFY(!control.wasStopped());
        control.setStoppable(true);
        QVERIFY(control.stopHere());
        // Without a control a stage never stops.
        RunStage alone(nullptr, 4);
        alone.advance();
        alone.finish();
        QVERIFY(!alone.stopHere() && !alone.stopped());
    }

    // What a large allocation may take: the lowest limit, less what the process already uses of its own.
    void availableMemoryIsTheLowestLimit_data()
    {
        QTest::addColumn<QList<double>>("limits"); // physical, control group, address space and used, data and used
        QTest::addColumn<double>("bytes");
        QTest::addColumn<QString>("source");
        const double none = std::numeric_limits<double>::infinity();
        QTest::newRow("the machine") << QList<double>{16e9, none, none, 5e8, none, 1e8} << 16e9
                                     << "this machine's physical memory";
        QTest::newRow("control group") << QList<double>{16e9, 4e9, none, 5e8, none, 1e8} << 4e9
                                       << "the memory limit of the program's control group";
        QTest::newRow("address space left") << QList<double>{16e9, 4e9, 3e9, 5e8, none, 1e8} << 2.5e9
                                            << "what is left under the program's address-space limit, ulimit -v";
        QTest::newRow("data left") << QList<double>{16e9, none, none, 5e8, 1e9, 2e8} << 8e8
                                   << "what is left under the program's data limit, ulimit -d";
        QTest::newRow("limit used up") << QList<double>{16e9, none, 1e9, 2e9, none, 0} << 0.0
                                       << "what is left under the program's address-space limit, ulimit -v";
        QTest::newRow("nothing known") << QList<double>{none, none, none, 0, none, 0} << none << "no known limit";
    }
    void availableMemoryIsTheLowestLimit()
    {
        QFETCH(QList<double>, limits);
        const AvailableMemory available =
            AvailableMemory::from({limits[0], limits[1], limits[2], limits[3], limits[4], limits[5]});
        QTEST(available.bytes(), "bytes");
        QTEST(available.sourceText(), "source");
    }

    // The limits of the process's control group and of its ancestors, in either version of the files.
    void controlGroupLimitsAreRead_data()
    {
        QTest::addColumn<QByteArray>("membership"); // as /proc/self/cgroup
        QTest::addColumn<QStringList>("files");     // "path under the root=contents"
        QTest::addColumn<double>("limit");
        const double none = std::numeric_limits<double>::infinity();
        QTest::newRow("v2, the parent's limit")
            << QByteArray("0::/user/app\n") << QStringList{"user/memory.max=2147483648\n", "user/app/memory.max=max\n"}
            << 2147483648.0;
        QTest::newRow("v2 without a limit") << QByteArray("0::/a\n") << QStringList{"a/memory.max=max\n"} << none;
        QTest::newRow("v2 in a namespace of its own")
            << QByteArray("0::/\n") << QStringList{"memory.max=536870912"} << 536870912.0;
        QTest::newRow("v1 memory controller") << QByteArray("5:cpu,cpuacct:/x\n4:memory:/batch/job\n0::/\n")
                                              << QStringList{"memory/batch/job/memory.limit_in_bytes=1073741824\n",
                                                             "memory/memory.limit_in_bytes=9223372036854771712\n"}
                                              << 1073741824.0;
        QTest::newRow("v1 without a limit")
            << QByteArray("4:memory:/\n") << QStringList{"memory/memory.limit_in_bytes=9223372036854771712\n"} << none;
    }
    void controlGroupLimitsAreRead()
    {
        QFETCH(QByteArray, membership);
        QFETCH(QStringList, files);
        QTemporaryDir root;
        for (const QString &file : files) {
            const QString path = root.filePath(file.section(QLatin1Char('='), 0, 0));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(writeFileContents(path, file.section(QLatin1Char('='), 1).toLatin1()));
        }
        const QString cgroup = root.filePath(QStringLiteral("cgroup"));
        QVERIFY(writeFileContents(cgroup, membership));
        QTEST(AvailableMemory::controlGroupLimit(cgroup, root.path()), "limit");
    }

    void refusal()
    {
        for (const auto &[path, refusal] : {std::pair<QString, QString>(m_dir.path(), QStringLiteral("is a folder")),
                                            std::pair<QString, QString>(QString(), QStringLiteral("no file name"))}) {
            QVERIFY2(SafeFile::refusal(path).contains(refusal), qPrintable(SafeFile::refusal(path)));
            SafeFile file(path);
            QVERIFY(!file.open());
            QVERIFY2(file.errorString().contains(refusal), qPrintable(file.errorString()));
            QString reason;
            QVERIFY(!saveImageFile(QImage(4, 4, QImage::Format_RGB32), path, "png", &reason));
            QVERIFY(reason.contains(refusal));
        }
    }

    // A write that fails at any point, whether its caller looks at the result or not, makes the commit fail with
    // the system's reason; the earlier file stays and no temporary file is left.
    // An image on a full disk: the encoder's failed writes give the system's reason, the earlier image stays.
    void imageOnAFullDiskKeepsTheEarlierFile()
    {
        FullDisk disk;
        const QString path = disk.filePath(QStringLiteral("shot.png"));
        QVERIFY(writeFileContents(path, "earlier image"));
        QImage noise(256, 256, QImage::Format_RGB32); // some 200 KB as PNG: noise does not compress
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, (uint(x) * 2654435761u) ^ (uint(y) * 2246822519u));
        QString reason;
        {
            const auto limit = disk.whileWriting();
            QVERIFY(!saveImageFile(noise, path, "png", &reason));
        }
        QCOMPARE(reason, disk.reason());
        QCOMPARE(fileContents(path), QByteArray("earlier image"));
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("shot.png")});
    }

    void commitReplacesTheFileOrKeepsTheOld_data()
    {
        QTest::addColumn<QVector<int>>("writes"); // sizes written in turn while the limit holds
        QTest::addColumn<bool>("liftedBeforeCommit");
        QTest::newRow("within the write buffer: fails when the file is completed") << QVector<int>{4096} << false;
        QTest::newRow("one write larger than any buffer") << QVector<int>{256 * 1024} << false;
        QTest::newRow("small writes beyond the limit") << QVector<int>(300, 100) << false;
        QTest::newRow("an ignored failure, the disk freed before the commit") << QVector<int>{256 * 1024, 10} << true;
    }
    void commitReplacesTheFileOrKeepsTheOld()
    {
        QFETCH(QVector<int>, writes);
        QFETCH(bool, liftedBeforeCommit);
        const QString path = m_dir.filePath(QStringLiteral("doc.cfw"));
        QVERIFY(writeFileContents(path, "previous"));
        {
            SafeFile file(path);
            QVERIFY(file.open());
            std::optional<FileSizeLimit> limit(std::in_place, 1024);
            QVERIFY(limit->isActive());
            for (const int size : writes)
                file.device()->write(QByteArray(size, 'x')); // unchecked, as a careless caller would
            if (liftedBeforeCommit)
                limit.reset();
            QVERIFY(!file.commit());
            QCOMPARE(file.errorString(), QString::fromLocal8Bit(std::strerror(EFBIG)));
        }
        QCOMPARE(fileContents(path), QByteArray("previous"));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("doc.cfw*")}, QDir::Files).size(), 1);
        SafeFile file(path);
        QVERIFY(file.open());
        file.device()->write("new");
        QVERIFY(file.commit());
        QCOMPARE(fileContents(path), QByteArray("new"));
    }
};

QTEST_GUILESS_MAIN(tst_Util)
#include "tst_util.moc"
