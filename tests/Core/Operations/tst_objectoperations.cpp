#include "Core/Operations/copyobject.h"
#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/deleteobject.h"
#include "Core/Operations/moveobject.h"
#include "Core/Operations/selectvolumesoperation.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "answeringscene.h"
#include "consolelog.h"
#include "enginetesthelpers.h"
#include "testobject.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>

using namespace Core::Operations;

namespace {

/// A workspace whose factory serves the object operations, with two objects in the document.
struct Scene {
    Scene()
    {
        factory->makers[1] = [this] { return std::make_shared<CopyObject>(ws); };
        factory->makers[4] = [this] { return std::make_shared<DeleteObject>(ws); };
        factory->makers[7] = [this] { return std::make_shared<MoveObject>(ws); };
        factory->makers[24] = [this] { return withObserver(std::make_shared<SelectVolumesOperation>(ws), batchRun); };
        ws.setOperationFactory(factory);
        ws.console().addObserver(log);
        a->position = Util::Vector4D(1, 1, 1, 0);
        b->position = Util::Vector4D(-2, 0, 5, 0);
        ws.document().addObject(a);
        ws.document().addObject(b);
    }
    void selectBoth()
    {
        ws.selection().toggle(a);
        ws.selection().toggle(b);
    }
    void enter(const QString &line) { ws.console().handleLine(line); }
    QString lastMessage() const { return log->lines.isEmpty() ? QString() : log->lines.last(); }

    Core::Workspace ws;
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
    std::shared_ptr<TestObject> a = std::make_shared<TestObject>();
    std::shared_ptr<TestObject> b = std::make_shared<TestObject>();
    Util::ObserverPtr batchRun; // what the factory gives each "Select volumes" operation
};

using Build = std::function<Model::Automaton::TotalVolumePtr()>;

/// A row of substrates: a 10 x 10 x 80 volume of material 3 filled in a box clipped to it.
void box(const char *name, uint32_t x0, uint32_t y0, uint32_t z0, uint32_t sizeXY, uint32_t sizeZ, size_t filled)
{
    QTest::newRow(name) << Build([=] {
        return SubstrateBuilder(3, 10, 10, 80, Util::Vector3D(1.5, -2, 7), x0, y0, z0, sizeXY, sizeXY, sizeZ)
            .buildVolume();
    }) << EngineTest::Shape([=](uint32_t x, uint32_t y, uint32_t z) {
        return x >= x0 && x < x0 + sizeXY && y >= y0 && y < y0 + sizeXY && z >= z0 && z < z0 + sizeZ ? 3u : 0u;
    }) << filled;
}

/// An n^3 volume of material 9 filled within the radius of the centre, the radius itself included.
void sphere(const char *name, uint32_t n, uint32_t centre, uint32_t radius, size_t filled)
{
    QTest::newRow(name) << Build([=] {
        return SubstrateBuilder(9, n, n, n, Util::Vector3D(1.5, -2, 7), centre, centre, centre, radius).buildVolume();
    }) << EngineTest::Shape([=](uint32_t x, uint32_t y, uint32_t z) {
        const int64_t dx = int64_t(x) - centre, dy = int64_t(y) - centre, dz = int64_t(z) - centre;
        return dx * dx + dy * dy + dz * dz <= int64_t(radius) * radius ? 9u : 0u;
    }) << filled;
}

} // namespace

Q_DECLARE_METATYPE(Build)
Q_DECLARE_METATYPE(EngineTest::Shape)

class tst_ObjectOperations : public QObject {
    Q_OBJECT
private slots:
    void moveByTypedDistanceAndUndoRedo()
    {
        Scene s;
        s.selectBoth();
        s.ws.startOperation(7);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Left click or enter the distance into the console (x, y, z):"));
        QVERIFY(s.a->isMoving());
        QVERIFY(!s.ws.selection().isSelectionMode());
        s.enter(QStringLiteral("-4,0.5,10"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Object(s) moved"));
        QCOMPARE(s.a->position, Util::Vector4D(-3, 1.5, 11, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-6, 0.5, 15, 0));
        QVERIFY(!s.a->isMoving());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Move Objects"));
        QVERIFY(s.ws.pickState().selected().isEmpty());
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0));
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(s.a->position, Util::Vector4D(-3, 1.5, 11, 0));
    }

    void moveWithoutSelectionPromptsAndRefusesBadCoordinates()
    {
        Scene s;
        s.ws.startOperation(7);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Select the object(s) to be copied and press Enter/Return."));
        QVERIFY(s.ws.selection().isSelectionMode());
        QVERIFY(s.ws.console().isEnterRequested());
        s.ws.selection().toggle(s.b);
        s.enter(QString());
        QCOMPARE(s.ws.console().requestKind(), Core::ConsoleInput::RequestKind::Coordinates);
        s.enter(QStringLiteral("1 2 3"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0));
        QVERIFY(s.ws.currentOperation());
        s.enter(QStringLiteral("0, 0, -5"));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 0, 0));
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0)); // not selected, not moved
    }

    void moveFollowsClickedPoints()
    {
        Scene s;
        s.ws.selection().toggle(s.a);
        s.ws.startOperation(7);
        // Base point, then two destinations; the view tells after the last one that no more are wanted.
        QVERIFY(s.ws.pickState().deliverPoint(Util::Vector3D(1, 0, 0), true));
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Left click on destination."));
        QVERIFY(s.ws.pickState().deliverPoint(Util::Vector3D(3, 0, 0), true));
        QCOMPARE(s.a->moveOffset(), Util::Vector3D(2, 0, 0));
        QVERIFY(s.ws.pickState().deliverPoint(Util::Vector3D(3, 4, 0), false));
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Object(s) moved"));
        QCOMPARE(s.a->position, Util::Vector4D(3, 5, 1, 0));
        QCOMPARE(s.a->moveOffset(), Util::Vector3D(0, 0, 0));
    }

    void escapeCancelsAWaitingMove()
    {
        Scene s;
        s.ws.selection().toggle(s.a);
        s.ws.startOperation(7);
        s.ws.cancelCurrentOperation();
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Operation canceled"));
        QVERIFY(!s.a->isMoving());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.console().requestKind(), Core::ConsoleInput::RequestKind::None);
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
        s.enter(QStringLiteral("1, 1, 1"));
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
    }

    void copyAddsClonesAndUndoRestoresTheDocument()
    {
        Scene s;
        s.ws.startOperation(1);
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Select the object(s) to be copied and press Enter"));
        s.ws.cancelCurrentOperation();
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Operation canceled"));
        s.selectBoth();
        s.ws.startOperation(1);
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Left click or enter the distance into the console (x, y, z):"));
        QVERIFY(!s.a->isMoving()); // the clone moves, not the original
        s.enter(QStringLiteral("10, 0, 0"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Object(s) copied"));
        const auto objects = s.ws.document().allObjects();
        QCOMPARE(objects.size(), 4);
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
        auto clone = std::dynamic_pointer_cast<TestObject>(objects.at(2));
        QVERIFY(clone && clone != s.a);
        QCOMPARE(clone->position, Util::Vector4D(11, 1, 1, 0));
        QVERIFY(!clone->isMoving());
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Copy Objects"));

        s.ws.undoRedo().undo();
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a, s.b}));
        s.ws.undoRedo().redo();
        QCOMPARE(s.ws.document().allObjects(), objects);
    }

    // The prompt, Enter without a selection and Escape are in the main window test.
    void deleteRemovesTheSelectionAndUndoBringsItBack()
    {
        Scene s;
        s.ws.selection().toggle(s.b);
        s.ws.startOperation(4);
        QCOMPARE(s.lastMessage(), QStringLiteral("Delete: objects deleted."));
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a}));
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Delete Objects"));
        QVERIFY(!s.b->isSelected());
        s.ws.undoRedo().undo();
        QCOMPARE(s.ws.document().allObjects().size(), 2);
        QVERIFY(s.ws.document().findObject(s.b->id()).second);
        s.ws.undoRedo().redo();
        QCOMPARE(s.ws.document().allObjects(), (QList<Model::ObjectPtr>{s.a}));
    }

    // The batch run starts with the selected volume, or without one when the user types N.
    void selectVolumesHandsTheChoiceOver_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("a volume was selected") << QString();
        QTest::newRow("n") << "n";
        QTest::newRow("No") << "No";
    }
    void selectVolumesHandsTheChoiceOver()
    {
        QFETCH(QString, answer);
        Scene s;
        auto volume = std::make_shared<Model::Automaton::TotalVolume>(2, 2, 2, 1, 1, 1, Util::Vector3D(), 0u);
        s.ws.document().addObject(volume);
        if (answer.isEmpty()) {
            s.ws.selection().toggle(s.a);
            s.ws.selection().toggle(volume);
        }
        Model::Automaton::TotalVolumePtr seen = volume;
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] {
            seen = std::dynamic_pointer_cast<SelectVolumesOperation>(s.ws.currentOperation())->volume();
        };
        s.batchRun = observer;
        s.ws.startOperation(24);
        if (!answer.isEmpty()) {
            QCOMPARE(s.lastMessage(), QStringLiteral("Select volumes: Select a cell volume and press Enter/Return. To "
                                                     "start without a cell volume type N and press Enter/Return."));
            s.enter(QString()); // Enter alone: still no choice, asked again
            QCOMPARE(observer->count, 0);
            s.enter(answer);
        }
        QCOMPARE(observer->count, 1);
        QCOMPARE(seen, answer.isEmpty() ? volume : nullptr);
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
        QVERIFY(s.ws.pickState().selected().isEmpty());
    }

    void substrateCells_data()
    {
        QTest::addColumn<Build>("build");
        QTest::addColumn<EngineTest::Shape>("expected");
        QTest::addColumn<size_t>("filled");
        box("lowest thirty layers", 0, 0, 0, 10, 30, 3000);
        box("clipped at the top", 0, 0, 60, 10, 30, 2000);
        box("whole height", 0, 0, 0, 10, 80, 8000);
        box("offset beyond the volume", 0, 0, 90, 10, 5, 0);
        box("partly outside sideways", 8, 9, 79, 10, 10, 2);
        sphere("octant of radius 50 in a corner", 80, 0, 50, 68393);
        sphere("radius 1: the centre and its six neighbours", 11, 5, 1, 7);
    }
    void substrateCells()
    {
        QFETCH(Build, build);
        QFETCH(EngineTest::Shape, expected);
        QFETCH(size_t, filled);
        auto volume = build();
        QCOMPARE(volume->position(), Util::Vector3D(1.5, -2, 7));
        const auto states = cellStates(*volume);
        QCOMPARE(size_t(std::count_if(states.begin(), states.end(), [](uint32_t s) { return s != 0; })), filled);
        const QString mismatch = EngineTest::firstMismatch(*volume, expected);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // Too large for the machine, not an overflow of the cell count (the main window test has that).
    void tooLargeVolumeIsReportedAndNothingIsAdded()
    {
        AnsweringScene<CreateSubstrateOperation> s(2);
        QStringList reported;
        s.ws.setErrorReporter([&](const QString &title, const QString &text) { reported << title << text; });
        s.answer = [](CreateSubstrateOperation &op) {
            op.setBoxSubstrate(1, 100000, 100000, 100000, Util::Vector3D(), 0, 0, 0, 1, 1, 1);
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

QTEST_GUILESS_MAIN(tst_ObjectOperations)
#include "tst_objectoperations.moc"
