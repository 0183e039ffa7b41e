#include "Core/Operations/opendocumentoperation.h"
#include "Core/Operations/processoperation.h"
#include "Core/Operations/snapshotrecord.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "testoperations.h"

#include <QtTest>

#include <utility>

using Core::Operations::SnapshotRecord;
using Core::Operations::UndoableProcessOperation;
using Model::Automaton::TotalVolume;
using States = std::vector<uint32_t>;

namespace {

/// A process step that gives listed cells listed states.
class SettingOperation : public UndoableProcessOperation {
public:
    SettingOperation(Core::Workspace &ws, std::vector<std::pair<size_t, uint32_t>> changes)
        : UndoableProcessOperation(ws, QStringLiteral("Setting"), 78, QStringLiteral("Setting"))
        , m_changes(std::move(changes))
    {
    }

protected:
    bool hasOptions() const override { return true; }
    void run(TotalVolume &volume) override
    {
        Model::Automaton::CellLock lock(volume);
        for (const auto &change : m_changes)
            lock.cells()[change.first].setState(change.second);
    }

private:
    std::vector<std::pair<size_t, uint32_t>> m_changes;
};

States states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    States result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells()[i].state();
    return result;
}

/// Runs a step on a volume the way the window does: selected, started by identifier, finished.
std::shared_ptr<SettingOperation> runStep(Core::Workspace &ws, const std::shared_ptr<TotalVolume> &volume,
                                          std::vector<std::pair<size_t, uint32_t>> changes)
{
    auto op = std::make_shared<SettingOperation>(ws, std::move(changes));
    auto factory = std::make_shared<TestFactory>();
    factory->makers[1] = [handOver = op]() mutable { return std::move(handOver); };
    ws.setOperationFactory(factory);
    ws.selection().setSelectionMode(true);
    ws.selection().toggle(volume);
    ws.startOperation(1);
    return op;
}

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
    Core::Workspace ws;
    std::shared_ptr<TotalVolume> a =
        std::make_shared<TotalVolume>(2, 3, 2, 1, 1, 1, Util::Vector3D(), States{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    std::shared_ptr<TotalVolume> b = std::make_shared<TotalVolume>(1, 1, 4, 1, 1, 1, Util::Vector3D(), 7u);
    std::shared_ptr<CountingObserver> consoleObserver = std::make_shared<CountingObserver>();
    QStringList messages;

    TwoVolumes()
    {
        ws.document().addObject(a);
        ws.document().addObject(b);
        consoleObserver->onNotify = [this] { messages << ws.console().message(); };
        ws.console().addObserver(consoleObserver);
    }
    std::shared_ptr<SettingOperation> step(const std::shared_ptr<TotalVolume> &volume,
                                           std::vector<std::pair<size_t, uint32_t>> changes)
    {
        return runStep(ws, volume, std::move(changes));
    }
    qint64 undoSize() const { return QFileInfo(ws.undoFiles().undoFileName()).size(); }
    qint64 redoSize() const { return QFileInfo(ws.undoFiles().redoFileName()).size(); }
};

} // namespace

class tst_ProcessSnapshot : public QObject {
    Q_OBJECT
private slots:
    void stepRecordsOnlyTheCellsItChanged()
    {
        Core::Workspace ws;
        auto volume = std::make_shared<TotalVolume>(16, 16, 16, 1, 1, 1, Util::Vector3D(), 1u);
        ws.document().addObject(volume);
        runStep(ws, volume, {{100, 2}});
        // 4096 cells, one changed: a record of the whole volume would take kilobytes.
        const qint64 added =
            QFileInfo(ws.undoFiles().undoFileName()).size() + QFileInfo(ws.undoFiles().redoFileName()).size();
        QVERIFY2(added > 0 && added < 256, qPrintable(QString::number(added)));
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), States(4096, 1u));
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
        const States a0{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        const States a1{0, 50, 51, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        const States a3{0, 50, 60, 3, 4, 5, 6, 7, 8, 9, 10, 61};
        const States b0{7, 7, 7, 7};
        const States b2{7, 7, 7, 9};
        QTest::newRow("nothing") << QString() << a3 << b2;
        QTest::newRow("undo s3") << "u" << a1 << b2;
        QTest::newRow("undo s3 s2") << "uu" << a1 << b0;
        QTest::newRow("undo all") << "uuu" << a0 << b0;
        QTest::newRow("undo all, redo s1") << "uuur" << a1 << b0;
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
        QCOMPARE(states(*t.a), expectedA);
        QCOMPARE(states(*t.b), expectedB);
    }

    void recordsHoldTheChangedCellsWithTheirOldAndNewStates()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}, {2, 51}});
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
    }

    void headlessWorkspaceRunsStepsThatCannotBeUndone()
    {
        Core::Workspace ws(Core::UndoFiles::Storage::None);
        auto volume = std::make_shared<TotalVolume>(1, 1, 2, 1, 1, 1, Util::Vector3D(), 4u);
        ws.document().addObject(volume);
        QStringList messages;
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] { messages << ws.console().message(); };
        ws.console().addObserver(observer);
        runStep(ws, volume, {{1, 5}});
        QCOMPARE(states(*volume), (States{4, 5}));
        QVERIFY(!ws.undoRedo().canUndo());
        QVERIFY2(messages.contains(QStringLiteral("Setting: This step cannot be undone: there are no undo files. "
                                                  "The undo history was cleared.")),
                 qPrintable(messages.join('|')));
    }

    void clearingTheRedoStackShrinksTheFiles()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}, {2, 51}});
        const qint64 undoOne = t.undoSize();
        const qint64 redoOne = t.redoSize();
        t.step(t.a, {{2, 60}, {11, 61}});
        const qint64 undoTwo = t.undoSize();
        const qint64 redoTwo = t.redoSize();
        QVERIFY(undoTwo > undoOne && redoTwo > redoOne);

        // The new step changes what the undone one changed: it takes as many bytes as that one did.
        QVERIFY(t.ws.undoRedo().undo());
        t.step(t.a, {{2, 60}, {11, 61}});
        QCOMPARE(t.undoSize(), undoTwo);
        QCOMPARE(t.redoSize(), redoTwo);

        // The records were moved, not damaged.
        QVERIFY(t.ws.undoRedo().undo());
        QVERIFY(t.ws.undoRedo().undo());
        QCOMPARE(states(*t.a), (States{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QVERIFY(t.ws.undoRedo().redo());
        QVERIFY(t.ws.undoRedo().redo());
        QCOMPARE(states(*t.a), (States{0, 50, 60, 3, 4, 5, 6, 7, 8, 9, 10, 61}));

        t.ws.undoRedo().clear();
        QCOMPARE(t.undoSize(), qint64(0));
        QCOMPARE(t.redoSize(), qint64(0));
    }

    void newDocumentEmptiesTheFiles()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}});
        t.step(t.b, {{0, 1}});
        QVERIFY(t.undoSize() > 0);
        t.ws.newDocument();
        QCOMPARE(t.undoSize(), qint64(0));
        QCOMPARE(t.redoSize(), qint64(0));
        QVERIFY(QFile::exists(t.ws.undoFiles().undoFileName()));
    }

    void openingADocumentEmptiesTheFiles()
    {
        TwoVolumes t;
        t.step(t.a, {{1, 50}});
        QVERIFY(t.redoSize() > 0);
        const auto result = Core::Operations::OpenDocumentOperation::loadFile(
            t.ws, QStringLiteral(TEST_DATA_DIR "/persistence/example_2x1x3.cfw"), {});
        QVERIFY(result.ok);
        QCOMPARE(t.undoSize(), qint64(0));
        QCOMPARE(t.redoSize(), qint64(0));
        QVERIFY(!t.ws.undoRedo().canUndo());
    }

    void damagedRecordLeavesTheCellsAndIsReported_data()
    {
        QTest::addColumn<bool>("redoSide");
        QTest::addColumn<QString>("damage");
        for (bool redoSide : {false, true}) {
            const char *side = redoSide ? "redo" : "undo";
            QTest::newRow(qPrintable(QStringLiteral("%1 file, byte changed").arg(side))) << redoSide << "flip";
            QTest::newRow(qPrintable(QStringLiteral("%1 file, cut short").arg(side))) << redoSide << "cut";
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
        const States before = states(*t.a);

        const QString fileName = redoSide ? t.ws.undoFiles().redoFileName() : t.ws.undoFiles().undoFileName();
        QFile file(fileName);
        if (damage == QLatin1String("remove")) {
            QVERIFY(file.remove());
        } else {
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 size = file.size();
            if (damage == QLatin1String("cut")) {
                QVERIFY(file.resize(size * 2 / 3));
            } else {
                QVERIFY(file.seek(size / 2));
                char byte = 0;
                QVERIFY(file.getChar(&byte));
                QVERIFY(file.seek(size / 2));
                QVERIFY(file.putChar(static_cast<char>(byte ^ 0x5A)));
            }
            file.close();
        }

        t.messages.clear();
        if (redoSide) {
            t.ws.undoRedo().redo();
        } else {
            t.ws.undoRedo().undo();
            // A step that could not be taken back stays where it was.
            QCOMPARE(t.ws.undoRedo().undoName(), QStringLiteral("Setting"));
            QVERIFY(!t.ws.undoRedo().canRedo());
        }
        QCOMPARE(states(*t.a), before);
        const QString expected =
            redoSide ? QStringLiteral("Setting: Redo failed") : QStringLiteral("Setting: Undo failed");
        QVERIFY2(!t.messages.isEmpty() && t.messages.last().startsWith(expected), qPrintable(t.messages.join('|')));
    }

    void unwritableFilesSayTheStepCannotBeUndone()
    {
        QString redoName;
        // The folder put in place of a file goes also when a check fails.
        auto removeFolder = qScopeGuard([&] { QDir().rmdir(redoName); });
        {
            TwoVolumes t;
            t.step(t.a, {{1, 50}});
            QVERIFY(t.ws.undoRedo().canUndo());
            // A folder in place of the redo file: nothing can be written to it, as on a full disk.
            redoName = t.ws.undoFiles().redoFileName();
            QVERIFY(QFile::remove(redoName));
            QVERIFY(QDir().mkdir(redoName));
            const qint64 undoBefore = t.undoSize();

            t.messages.clear();
            t.step(t.b, {{0, 3}});
            QCOMPARE(states(*t.b), (States{3, 7, 7, 7})); // the step still ran
            QVERIFY2(t.messages.join('|').contains(QStringLiteral("Setting: This step cannot be undone")),
                     qPrintable(t.messages.join('|')));
            QCOMPARE(t.messages.last(), QStringLiteral("Setting: Operation finished."));
            // Undoing the earlier step would now mix states: the history is gone.
            QVERIFY(!t.ws.undoRedo().canUndo());
            QVERIFY(!t.ws.undoRedo().canRedo());
            QVERIFY(undoBefore > 0);
            QCOMPARE(t.undoSize(), qint64(0)); // the dropped step's record went with it
        }
        removeFolder.dismiss();
        QVERIFY(QDir().rmdir(redoName));
    }
};

QTEST_GUILESS_MAIN(tst_ProcessSnapshot)
#include "tst_processsnapshot.moc"
