#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/cellvolumeoperation.h"
#include "Core/Operations/undoableprocessoperation.h"
#include "Core/Undo/snapshotrecord.h"
#include "Model/Volume/cells.h"
#include "consolelog.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <stdexcept>
#include <utility>

using Core::Operations::SnapshotRecord;
using Core::Operations::UndoableProcessOperation;
using Model::Automaton::TotalVolume;
using States = std::vector<uint32_t>;
using Changes = std::vector<std::pair<size_t, uint32_t>>;
using Runs = SnapshotRecord::Runs;
Q_DECLARE_METATYPE(Runs)

namespace {

/// States that differ from cell to cell and reach the top of the range.
uint32_t stateOf(uint64_t index)
{
    return index % 7 == 3 ? 0xFFFFFFFFu : static_cast<uint32_t>(index * 2654435761u % 5000);
}

QByteArray encode(uint64_t cellCount, const Runs &runs)
{
    return SnapshotRecord::encode(QStringLiteral("Key"), 9, cellCount, runs,
                                  [](uint64_t first, uint64_t length, uint32_t *out) {
                                      for (uint64_t i = 0; i < length; ++i)
                                          out[i] = stateOf(first + i);
                                  });
}

QByteArray fixed(uint64_t value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

/// A one-block record around a hand-made raw block, to feed the reader what the writer never makes.
QByteArray handMade(uint64_t cellCount, uint64_t changed, const QByteArray &raw)
{
    const QByteArray packed = qCompress(raw);
    return QByteArray("CFSR\x02", 5) + fixed(1, 2) + "K" + fixed(6, 2) + "states" + fixed(9, 8) + fixed(cellCount, 8) +
           fixed(changed, 8) + fixed(1, 4) + fixed(static_cast<uint64_t>(raw.size()), 4) +
           fixed(static_cast<uint64_t>(packed.size()), 4) + packed;
}

/// A process step that gives the listed cells their listed states (and may then fail), once its
/// "dialog" has set its options.
class AddingOperation : public UndoableProcessOperation {
public:
    AddingOperation(Core::Workspace &ws, const QString &key)
        : UndoableProcessOperation(ws, QStringLiteral("Adding"), 77, key)
    {
        setObserver(dialog);
    }
    std::shared_ptr<CountingObserver> dialog = std::make_shared<CountingObserver>();
    Changes changes;
    bool optionsSet = false;
    bool failHalfway = false;

protected:
    bool hasOptions() const override { return optionsSet; }
    void run(TotalVolume &volume) override
    {
        Model::Automaton::CellLock lock(volume);
        for (const auto &change : changes)
            lock.cells().setState(change.first, change.second);
        if (failHalfway)
            throw std::runtime_error("ran out of something");
    }
    bool marksLatticeOutOfDate() const override { return true; }
};

const States initialA{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

SnapshotRecord recordOf(const Core::Workspace &ws, const UndoableProcessOperation &op, Core::UndoFiles::Side side)
{
    QByteArray data;
    SnapshotRecord record;
    if (!ws.undoFiles().read(op.snapshot().number(), side, data, nullptr) || !record.decode(data, nullptr))
        record.key = QStringLiteral("<unreadable>");
    return record;
}

/// A workspace with two volumes: A (2 x 3 x 2, states 0 to 11) and B (1 x 1 x 4, all 7).
struct TwoVolumes {
    explicit TwoVolumes(Core::UndoFiles::Storage storage = Core::UndoFiles::Storage::TemporaryFiles)
        : ws(storage)
    {
        ws.document().addObject(a);
        ws.document().addObject(b);
        ws.console().addObserver(log);
    }
    /// Runs a step on a volume the way the window does: selected, started by identifier, finished.
    std::shared_ptr<AddingOperation> step(const std::shared_ptr<TotalVolume> &volume, Changes changes,
                                          bool fail = false)
    {
        auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("Setting"));
        op->changes = std::move(changes);
        op->failHalfway = fail;
        op->optionsSet = true;
        auto factory = std::make_shared<TestFactory>();
        factory->makers[1] = [handOver = op]() mutable { return std::move(handOver); };
        ws.setOperationFactory(factory);
        ws.selection().setSelectionMode(true);
        ws.selection().toggle(volume);
        ws.startOperation(1);
        return op;
    }
    qint64 undoSize() const { return QFileInfo(ws.undoFiles().undoFileName()).size(); }
    qint64 redoSize() const { return QFileInfo(ws.undoFiles().redoFileName()).size(); }

    Core::Workspace ws;
    std::shared_ptr<TotalVolume> a = std::make_shared<TotalVolume>(2, 3, 2, 1, 1, 1, Util::Vector3D(), initialA);
    std::shared_ptr<TotalVolume> b = std::make_shared<TotalVolume>(1, 1, 4, 1, 1, 1, Util::Vector3D(), 7u);
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
};

} // namespace

class tst_ProcessOperation : public QObject {
    Q_OBJECT
private slots:
    void layoutWorkedByHand()
    {
        // Cells 2, 3, 4 and 9 of 12, with the states 20, 21, 22 and 300.
        const std::vector<uint32_t> states{20, 21, 22, 300};
        const QByteArray record = SnapshotRecord::encode(
            QStringLiteral("K"), 5, 12, {{2, 3}, {9, 1}}, [&](uint64_t first, uint64_t length, uint32_t *out) {
                const uint64_t at = first == 9 ? 3 : first - 2;
                std::copy_n(states.begin() + static_cast<long>(at), length, out);
            });
        const QByteArray header = QByteArray("CFSR\x02", 5) + fixed(1, 2) + "K" + fixed(6, 2) + "states" + fixed(5, 8) +
                                  fixed(12, 8) + fixed(4, 8) + fixed(1, 4);
        QCOMPARE(record.left(header.size()), header);
        // Two runs: gap 2 and length 3, then gap 9 - 5 = 4 and length 1; then the states as
        // varints (300 = 0xAC 0x02).
        const QByteArray raw("\x02\x02\x03\x04\x01\x14\x15\x16\xAC\x02", 10);
        QCOMPARE(record.mid(header.size(), 4), fixed(10, 4));
        const QByteArray packed = record.mid(header.size() + 8);
        QCOMPARE(record.mid(header.size() + 4, 4), fixed(static_cast<uint64_t>(packed.size()), 4));
        QCOMPARE(qUncompress(packed), raw);

        SnapshotRecord decoded;
        QString error;
        QVERIFY2(decoded.decode(record, &error), qPrintable(error));
        // Decoded (the round trips check its fields) and applied, it changes only the listed cells.
        std::vector<Model::Automaton::Cells::State> cells(12, 3);
        std::vector<uint8_t> cuts(12, 0);
        decoded.apply(Model::Automaton::Cells(cells.data(), cuts.data(), 12));
        QCOMPARE(cells, (std::vector<Model::Automaton::Cells::State>{3, 3, 20, 21, 22, 3, 3, 3, 3, 300, 3, 3}));
        QCOMPARE(decoded.largestValue(), 300u);
    }

    void roundTrip_data()
    {
        QTest::addColumn<qulonglong>("cellCount");
        QTest::addColumn<Runs>("runs");
        const uint64_t block = SnapshotRecord::blockCells;
        Runs scattered;
        for (uint64_t i = 5; i < 40000; i += 37)
            scattered.push_back({i, 1 + i % 3});
        Runs manyRuns;
        for (uint64_t i = 0; i < block + 100; ++i)
            manyRuns.push_back({2 * i + 1, 1});
        QTest::newRow("nothing changed") << qulonglong(12) << Runs{};
        QTest::newRow("last cell") << qulonglong(12) << Runs{{11, 1}};
        QTest::newRow("every cell") << qulonglong(12) << Runs{{0, 12}};
        QTest::newRow("scattered") << qulonglong(40000) << scattered;
        QTest::newRow("run across a block boundary") << qulonglong(3 * block) << Runs{{5, block + 10}};
        QTest::newRow("more runs than a block holds") << qulonglong(2 * block + 300) << manyRuns;
    }

    void roundTrip()
    {
        QFETCH(qulonglong, cellCount);
        QFETCH(Runs, runs);
        const QByteArray record = encode(cellCount, runs);
        SnapshotRecord decoded;
        QString error;
        QVERIFY2(decoded.decode(record, &error), qPrintable(error));
        QCOMPARE(decoded.cellCount, uint64_t(cellCount));
        QCOMPARE(decoded.runs, runs);
        std::vector<uint32_t> expected;
        for (const auto &run : runs)
            for (uint64_t i = run.first; i < run.first + run.length; ++i)
                expected.push_back(stateOf(i));
        QCOMPARE(decoded.states, expected);
    }

    void inconsistentRecordsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("reason");
        // Raw blocks: run count, (gap, length) per run, then the states.
        QTest::newRow("run past the last cell")
            << handMade(10, 2, QByteArray("\x01\x09\x02\x05\x05", 5)) << "names cells outside the volume";
        QTest::newRow("run of no cells") << handMade(10, 1, QByteArray("\x01\x02\x00\x05", 4)) << "block 1 is damaged";
        QTest::newRow("fewer cells than the header says")
            << handMade(10, 3, QByteArray("\x01\x02\x02\x05\x05", 5)) << "does not match its header";
        QTest::newRow("more changed cells than the volume has")
            << handMade(1, 2, QByteArray("\x01\x00\x02\x05\x05", 5)) << "header is inconsistent";
        QTest::newRow("state wider than 32 bits")
            << handMade(10, 1, QByteArray("\x01\x00\x01\xFF\xFF\xFF\xFF\x7F", 8)) << "block 1 is damaged";
        QTest::newRow("not a record") << QByteArray("Key 5 1 2 3\n") << "does not start like a cell record";
    }

    void inconsistentRecordsAreRefused()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, reason);
        SnapshotRecord decoded;
        QString error;
        QVERIFY(!decoded.decode(record, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
    void failedRunKeepsTheCellsAndTheEarlierHistory()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}});
        const auto afterFirst = cellStates(*t.a);
        const qint64 undoSize = t.undoSize();
        const qint64 redoSize = t.redoSize();
        t.step(t.a, {{0, 10}, {5, 10}}, true);
        QCOMPARE(t.log->lines.last(), QStringLiteral("Adding: Operation canceled."));
        QCOMPARE(cellStates(*t.a), afterFirst);
        QCOMPARE(t.undoSize(), undoSize);
        QCOMPARE(t.redoSize(), redoSize);
        QCOMPARE(t.ws.undoRedo().undoCount(), size_t(1));
        QVERIFY(t.ws.undoRedo().undo());
        QCOMPARE(cellStates(*t.a), initialA);
    }

    void severalObjectsPromptForAVolume()
    {
        TwoVolumes t;
        auto op = std::make_shared<AddingOperation>(t.ws, QStringLiteral("Adding"));
        op->dialog->onNotify = [&] {
            op->optionsSet = true;
            op->changes = {{0, 1}};
        };
        op->start();
        QCOMPARE(t.log->lines.last(), QStringLiteral("Adding: Select a cell volume and press Enter/Return."));
        QCOMPARE(t.ws.console().requester(), Core::Operations::OperationPtr(op));
        t.ws.selection().toggle(t.b);
        t.ws.console().handleLine(QString());
        QCOMPARE(op->volume(), t.b);
        QVERIFY(!t.ws.selection().isSelectionMode());
        QVERIFY(t.ws.selection().selected().isEmpty());
        QCOMPARE(cellStates(*t.b), (States{1, 7, 7, 7}));
    }

    // Steps on A and B, worked by hand:
    //   s1 on A: cell 1 -> 50, cell 2 -> 51
    //   s2 on B: cell 3 -> 9
    //   s3 on A: cell 2 -> 60, cell 11 -> 61
    void severalStepsUndoAndRedoExactly_data()
    {
        QTest::addColumn<QString>("actions");
        QTest::addColumn<States>("expectedA");
        QTest::addColumn<States>("expectedB");
        const States a0 = initialA;
        const States a1{0, 50, 51, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        const States a3{0, 50, 60, 3, 4, 5, 6, 7, 8, 9, 10, 61};
        const States b0{7, 7, 7, 7};
        const States b2{7, 7, 7, 9};
        QTest::newRow("nothing") << QString() << a3 << b2;
        QTest::newRow("undo s3") << "u" << a1 << b2;
        QTest::newRow("undo all") << "uuu" << a0 << b0;
        QTest::newRow("undo s3 s2, redo s2") << "uur" << a1 << b2;
        QTest::newRow("undo all, redo all") << "uuurrr" << a3 << b2;
        QTest::newRow("back and forth") << "ururuuurr" << a1 << b2;
    }
    void severalStepsUndoAndRedoExactly()
    {
        QFETCH(QString, actions);
        QFETCH(States, expectedA);
        QFETCH(States, expectedB);
        TwoVolumes t;
        t.step(t.a, {{1, 50}, {2, 51}});
        t.step(t.b, {{3, 9}});
        t.step(t.a, {{2, 60}, {11, 61}});
        for (const QChar action : actions)
            QVERIFY(action == QLatin1Char('u') ? t.ws.undoRedo().undo() : t.ws.undoRedo().redo());
        QCOMPARE(cellStates(*t.a), expectedA);
        QCOMPARE(cellStates(*t.b), expectedB);
    }

    void headlessWorkspaceRunsStepsThatCannotBeUndone()
    {
        TwoVolumes t(Core::UndoFiles::Storage::None);
        t.step(t.b, {{1, 5}});
        QCOMPARE(cellStates(*t.b), (States{7, 5, 7, 7}));
        QVERIFY(!t.ws.undoRedo().canUndo());
        QVERIFY2(t.log->lines.contains(QStringLiteral("Adding: This step cannot be undone: there are no undo "
                                                      "files. The undo history was cleared.")),
                 qPrintable(t.log->lines.join('|')));
    }

    void recordsHoldTheChangedCellsAndMoveWhenTheRedoStackIsCleared()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}, {2, 51}});
        const qint64 undoOne = t.undoSize();
        const qint64 redoOne = t.redoSize();
        // Cell 1 is given the state it has: it is not a change.
        auto op = t.step(t.a, {{1, 50}, {2, 60}, {11, 61}});
        const SnapshotRecord undo = recordOf(t.ws, *op, Core::UndoFiles::Side::Undo);
        const SnapshotRecord redo = recordOf(t.ws, *op, Core::UndoFiles::Side::Redo);
        QCOMPARE(undo.key, QStringLiteral("Setting"));
        QCOMPARE(undo.number, op->snapshot().number());
        QCOMPARE(undo.cellCount, uint64_t(12));
        QCOMPARE(undo.runs, (SnapshotRecord::Runs{{2, 1}, {11, 1}}));
        QCOMPARE(undo.states, (States{51, 11}));
        QCOMPARE(redo.runs, undo.runs);
        QCOMPARE(redo.states, (States{60, 61}));
        op.reset(); // a step's records go when nothing holds the step any more
        const qint64 undoTwo = t.undoSize();
        const qint64 redoTwo = t.redoSize();
        QVERIFY(undoTwo > undoOne && redoTwo > redoOne);
        // The new step changes what the undone one changed: it takes as many bytes as that one did.
        QVERIFY(t.ws.undoRedo().undo());
        t.step(t.a, {{1, 50}, {2, 60}, {11, 61}});
        QCOMPARE(t.undoSize(), undoTwo);
        QCOMPARE(t.redoSize(), redoTwo);
        // The records were moved, not damaged.
        QVERIFY(t.ws.undoRedo().undo());
        QVERIFY(t.ws.undoRedo().undo());
        QCOMPARE(cellStates(*t.a), initialA);
    }

    void openedDocumentEmptiesTheFiles()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}});
        t.step(t.b, {{0, 1}});
        QVERIFY(t.undoSize() > 0 && t.redoSize() > 0);
        QVERIFY(Core::Operations::OpenDocumentOperation::loadFile(
                    t.ws, QStringLiteral(TEST_DATA_DIR "/persistence/example_2x1x3.cfw"), {})
                    .ok);
        QCOMPARE(t.undoSize(), qint64(0));
        QCOMPARE(t.redoSize(), qint64(0));
        QVERIFY(QFile::exists(t.ws.undoFiles().undoFileName()));
        QVERIFY(!t.ws.undoRedo().canUndo());
    }

    void damagedRecordLeavesTheCellsAndIsReported_data()
    {
        QTest::addColumn<bool>("redoSide");
        QTest::addColumn<QString>("damage");
        for (bool redoSide : {false, true}) {
            const char *side = redoSide ? "redo" : "undo";
            QTest::newRow(qPrintable(QStringLiteral("%1 file, byte changed").arg(side))) << redoSide << "flip";
            QTest::newRow(qPrintable(QStringLiteral("%1 file, removed").arg(side))) << redoSide << "remove";
        }
    }
    void damagedRecordLeavesTheCellsAndIsReported()
    {
        QFETCH(bool, redoSide);
        QFETCH(QString, damage);
        TwoVolumes t;
        t.step(t.a, {{1, 50}, {2, 51}, {3, 52}, {4, 53}, {5, 54}, {6, 55}});
        if (redoSide)
            QVERIFY(t.ws.undoRedo().undo());
        const States before = cellStates(*t.a);
        QFile file(redoSide ? t.ws.undoFiles().redoFileName() : t.ws.undoFiles().undoFileName());
        const qint64 size = file.size();
        QVERIFY(damage == QLatin1String("remove") ? file.remove() : file.open(QIODevice::ReadWrite));
        if (damage == QLatin1String("flip")) {
            const char byte = file.readAll().at(int(size / 2));
            QVERIFY(file.seek(size / 2) && file.putChar(static_cast<char>(byte ^ 0x5A)));
        }
        file.close();
        t.log->lines.clear();
        if (redoSide) {
            t.ws.undoRedo().redo();
        } else {
            t.ws.undoRedo().undo();
            // A step that could not be taken back stays where it was.
            QCOMPARE(t.ws.undoRedo().undoName(), QStringLiteral("Adding"));
            QVERIFY(!t.ws.undoRedo().canRedo());
        }
        QCOMPARE(cellStates(*t.a), before);
        const QString expected =
            redoSide ? QStringLiteral("Adding: Redo failed") : QStringLiteral("Adding: Undo failed");
        QVERIFY2(!t.log->lines.isEmpty() && t.log->lines.last().startsWith(expected),
                 qPrintable(t.log->lines.join('|')));
    }

    void unwritableFilesSayTheStepCannotBeUndone()
    {
        QString redoName;
        auto removeFolder = qScopeGuard([&] { QDir().rmdir(redoName); });
        TwoVolumes t;
        t.step(t.a, {{1, 50}});
        // A folder in place of the redo file: nothing can be written to it, as on a full disk.
        redoName = t.ws.undoFiles().redoFileName();
        QVERIFY(QFile::remove(redoName));
        QVERIFY(QDir().mkdir(redoName));
        t.log->lines.clear();
        t.step(t.b, {{0, 3}});
        QCOMPARE(cellStates(*t.b), (States{3, 7, 7, 7})); // the step still ran
        QVERIFY2(t.log->lines.join('|').contains(QStringLiteral("Adding: This step cannot be undone")),
                 qPrintable(t.log->lines.join('|')));
        QCOMPARE(t.log->lines.last(), QStringLiteral("Adding: Operation finished."));
        // Undoing the earlier step would now mix states: the history is gone.
        QVERIFY(!t.ws.undoRedo().canUndo() && !t.ws.undoRedo().canRedo());
        QCOMPARE(t.undoSize(), qint64(0)); // the dropped step's record went with it
    }
};

QTEST_GUILESS_MAIN(tst_ProcessOperation)
#include "tst_processoperation.moc"
