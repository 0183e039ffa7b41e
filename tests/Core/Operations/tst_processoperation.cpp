#include "Core/Operations/processoperation.h"
#include "Core/Operations/processsnapshot.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "testobject.h"
#include "testoperations.h"

#include <QtTest>

#include <stdexcept>

using Core::Operations::ProcessSnapshot;
using Core::Operations::UndoableProcessOperation;
using Model::Automaton::TotalVolume;

namespace {

/// A process step that adds `amount` to the state of every cell, with options set by its "dialog".
class AddingOperation : public UndoableProcessOperation {
public:
    AddingOperation(Core::Workspace &ws, const QString &key)
        : UndoableProcessOperation(ws, QStringLiteral("Adding"), 77, key)
    {
        setObserver(dialog);
    }
    void setAmount(uint32_t amount)
    {
        m_amount = amount;
        m_amountSet = true;
    }
    std::shared_ptr<CountingObserver> dialog = std::make_shared<CountingObserver>();

protected:
    bool hasOptions() const override { return m_amountSet; }
    void run(TotalVolume &volume) override
    {
        Model::Automaton::CellLock lock(volume);
        for (size_t i = 0; i < volume.cellCount(); ++i)
            lock.cells()[i].setState(lock.cells()[i].state() + m_amount);
        if (failHalfway)
            throw std::runtime_error("ran out of something");
    }
    bool marksLatticeOutOfDate() const override { return true; }

public:
    bool failHalfway = false;

private:
    uint32_t m_amount = 0;
    bool m_amountSet = false;
};

std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells()[i].state();
    return result;
}

std::shared_ptr<TotalVolume> smallVolume()
{
    std::vector<uint32_t> initial{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    return std::make_shared<TotalVolume>(2, 3, 2, 1, 1, 1, Util::Vector3D(), initial);
}

} // namespace

class tst_ProcessOperation : public QObject {
    Q_OBJECT
private slots:
    void onlyVolumeSkipsThePromptAndRunsOnce()
    {
        Core::Workspace ws;
        auto volume = smallVolume();
        ws.document().addObject(volume);
        auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("Adding"));
        op->dialog->onNotify = [&] { op->setAmount(100); };
        ws.setOperationFactory(nullptr);

        op->start();
        QCOMPARE(op->dialog->count, 1);
        QCOMPARE(states(*volume)[3], 103u);
        QCOMPARE(ws.console().message(), QStringLiteral("Adding: Operation finished."));
        QCOMPARE(ws.lastOperation(volume->id()), 77u);
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
    }

    void failedRunLeavesNoHalfChangedCells()
    {
        Core::Workspace ws;
        auto volume = smallVolume();
        const auto original = states(*volume);
        ws.document().addObject(volume);
        auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("Adding"));
        op->failHalfway = true;
        op->dialog->onNotify = [&] { op->setAmount(5); };
        op->start();
        QCOMPARE(states(*volume), original);
        QCOMPARE(ws.console().message(), QStringLiteral("Adding: Operation canceled."));
        QVERIFY(!ws.undoRedo().canUndo());
        QCOMPARE(ws.lastOperation(volume->id()), 0u);
    }

    void failedRunKeepsTheEarlierHistory()
    {
        Core::Workspace ws;
        auto volume = smallVolume();
        const auto original = states(*volume);
        ws.document().addObject(volume);
        auto factory = std::make_shared<TestFactory>();
        bool fail = false;
        factory->makers[5] = [&] {
            auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("Adding"));
            op->failHalfway = fail;
            op->dialog->onNotify = [weak = std::weak_ptr<AddingOperation>(op)] { weak.lock()->setAmount(10); };
            return op;
        };
        ws.setOperationFactory(factory);
        ws.startOperation(5);
        const auto afterFirst = states(*volume);
        const qint64 undoSize = QFileInfo(ws.undoFiles().undoFileName()).size();
        const qint64 redoSize = QFileInfo(ws.undoFiles().redoFileName()).size();

        fail = true;
        ws.startOperation(5);
        QCOMPARE(states(*volume), afterFirst);
        QCOMPARE(QFileInfo(ws.undoFiles().undoFileName()).size(), undoSize);
        QCOMPARE(QFileInfo(ws.undoFiles().redoFileName()).size(), redoSize);
        QCOMPARE(ws.undoRedo().undoCount(), size_t(1));
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), original);
    }

    void severalObjectsPromptForAVolume()
    {
        Core::Workspace ws;
        ws.document().addObject(smallVolume());
        ws.document().addObject(std::make_shared<TestObject>());
        auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("Adding"));
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Adding: Select a cell volume and press Enter/Return."));
        QVERIFY(ws.selection().isSelectionMode());
        QCOMPARE(ws.console().requester(), Core::Operations::OperationPtr(op));
    }

    void selectedVolumeIsTaken()
    {
        Core::Workspace ws;
        auto volume = smallVolume();
        ws.document().addObject(std::make_shared<TestObject>());
        ws.document().addObject(volume);
        ws.selection().setSelectionMode(true);
        ws.selection().toggle(volume);
        auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("Adding"));
        op->dialog->onNotify = [&] { op->setAmount(1); };
        op->start();
        QCOMPARE(op->volume(), volume);
        QVERIFY(!ws.selection().isSelectionMode());
        QVERIFY(ws.selection().selected().isEmpty());
        QCOMPARE(states(*volume)[0], 1u);
    }

    void rejectedDialogCancelsAndLeavesCellsAlone()
    {
        Core::Workspace ws;
        auto volume = smallVolume();
        ws.document().addObject(volume);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[5] = [&] { return std::make_shared<AddingOperation>(ws, QStringLiteral("Adding")); };
        ws.setOperationFactory(factory);
        ws.startOperation(5);
        QCOMPARE(ws.console().message(), QStringLiteral("Adding: Operation canceled."));
        QVERIFY(!ws.undoRedo().canUndo());
        QCOMPARE(states(*volume)[5], 5u);
        QVERIFY(!ws.currentOperation());
    }

    void undoAndRedoRestoreExactStates()
    {
        Core::Workspace ws;
        auto volume = smallVolume();
        const auto original = states(*volume);
        ws.document().addObject(volume);
        auto factory = std::make_shared<TestFactory>();
        uint32_t nextAmount = 10;
        factory->makers[5] = [&] {
            // Two classes may share a key: the records stay apart by their numbers.
            auto op = std::make_shared<AddingOperation>(ws, QStringLiteral("SharedKey"));
            // A weak capture: the operation owns its dialog, which would otherwise own it back.
            op->dialog->onNotify = [weak = std::weak_ptr<AddingOperation>(op), &nextAmount] {
                weak.lock()->setAmount(nextAmount);
            };
            return op;
        };
        ws.setOperationFactory(factory);

        ws.startOperation(5);
        const auto afterFirst = states(*volume);
        nextAmount = 1000;
        ws.startOperation(5);
        const auto afterSecond = states(*volume);
        QCOMPARE(afterSecond[0], 1010u);
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("Adding"));

        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), afterFirst);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(states(*volume), original);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(states(*volume), afterFirst);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(states(*volume), afterSecond);
    }

    void snapshotNumbersAreUnique()
    {
        Core::Workspace ws;
        ProcessSnapshot a(ws, QStringLiteral("IsotropicDeposition"));
        ProcessSnapshot b(ws, QStringLiteral("IsotropicDeposition"));
        ProcessSnapshot c(ws, QStringLiteral("MooreFilmDep"));
        QVERIFY(a.number() != b.number());
        QVERIFY(b.number() != c.number());
    }
};

QTEST_GUILESS_MAIN(tst_ProcessOperation)
#include "tst_processoperation.moc"
