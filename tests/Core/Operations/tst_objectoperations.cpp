#include "Core/Operations/copyobject.h"
#include "Core/Operations/deleteobject.h"
#include "Core/Operations/moveobject.h"
#include "Core/Operations/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "testobject.h"
#include "testoperations.h"

#include <QtTest>

using namespace Core::Operations;

namespace {

/// Collects every console message in order.
class MessageLog : public Util::IObserver {
public:
    explicit MessageLog(Core::ConsoleInput &console)
        : m_console(console)
    {
    }
    void notify() override { lines << m_console.message(); }
    QStringList lines;

private:
    Core::ConsoleInput &m_console;
};

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
    std::shared_ptr<MessageLog> log = std::make_shared<MessageLog>(ws.console());
    std::shared_ptr<TestObject> a = std::make_shared<TestObject>();
    std::shared_ptr<TestObject> b = std::make_shared<TestObject>();
    Util::ObserverPtr batchRun; // what the factory gives each "Select volumes" operation
};

} // namespace

class tst_ObjectOperations : public QObject {
    Q_OBJECT
private slots:
    void moveByTypedDistanceAndUndoRedo_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::addColumn<double>("dz");
        QTest::newRow("blanks after commas") << "1, 2, 3" << 1.0 << 2.0 << 3.0;
        QTest::newRow("no blanks") << "-4,0.5,10" << -4.0 << 0.5 << 10.0;
    }

    void moveByTypedDistanceAndUndoRedo()
    {
        QFETCH(QString, line);
        QFETCH(double, dx);
        QFETCH(double, dy);
        QFETCH(double, dz);
        Scene s;
        s.selectBoth();
        s.ws.startOperation(7);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Left click or enter the distance into the console (x, y, z):"));
        QVERIFY(s.a->isMoving());
        QVERIFY(!s.ws.selection().isSelectionMode());

        s.enter(line);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Object(s) moved"));
        QCOMPARE(s.a->position, Util::Vector4D(1 + dx, 1 + dy, 1 + dz, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-2 + dx, dy, 5 + dz, 0));
        QVERIFY(!s.a->isMoving());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Move Objects"));
        QVERIFY(s.ws.pickState().selected().isEmpty());

        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0));
        QCOMPARE(s.ws.undoRedo().redoName(), QStringLiteral("Move Objects"));
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(s.a->position, Util::Vector4D(1 + dx, 1 + dy, 1 + dz, 0));
    }

    void moveRefusesBlankSeparatedCoordinatesAndKeepsWaiting()
    {
        Scene s;
        s.ws.selection().toggle(s.a);
        s.ws.startOperation(7);
        s.enter(QStringLiteral("1 2 3"));
        QCOMPARE(s.lastMessage(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        QCOMPARE(s.a->position, Util::Vector4D(1, 1, 1, 0));
        QVERIFY(s.ws.currentOperation());
        s.enter(QStringLiteral("1,0,0"));
        QCOMPARE(s.a->position, Util::Vector4D(2, 1, 1, 0));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 5, 0)); // not selected, not moved
    }

    void moveWithoutSelectionPromptsThenTakesThePickedObjects()
    {
        Scene s;
        s.ws.startOperation(7);
        QCOMPARE(s.lastMessage(), QStringLiteral("Move: Select the object(s) to be copied and press Enter/Return."));
        QVERIFY(s.ws.selection().isSelectionMode());
        QVERIFY(s.ws.console().isEnterRequested());
        s.ws.selection().toggle(s.b);
        s.enter(QString());
        QCOMPARE(s.ws.console().requestKind(), Core::ConsoleInput::RequestKind::Coordinates);
        s.enter(QStringLiteral("0, 0, -5"));
        QCOMPARE(s.b->position, Util::Vector4D(-2, 0, 0, 0));
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

    void copyWithoutSelectionPrompts()
    {
        Scene s;
        s.ws.startOperation(1);
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Select the object(s) to be copied and press Enter"));
        s.ws.cancelCurrentOperation();
        QCOMPARE(s.lastMessage(), QStringLiteral("Copy: Operation canceled"));
        QCOMPARE(s.ws.document().allObjects().size(), 2);
    }

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

    void deleteWithNothingSelectedPromptsAgainAndCancels()
    {
        Scene s;
        const QString prompt = QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter");
        s.ws.startOperation(4);
        QCOMPARE(s.lastMessage(), prompt);
        s.log->lines.clear();
        s.enter(QString());
        QCOMPARE(s.log->lines, QStringList{prompt});
        QVERIFY(s.ws.selection().isSelectionMode());
        s.ws.cancelCurrentOperation();
        QCOMPARE(s.lastMessage(), QStringLiteral("Delete: Operation canceled."));
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.document().allObjects().size(), 2);
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
    }

    void deleteReplacedAsRequesterReportsNoSelection()
    {
        // An operation that takes the console from a waiting delete gets it executed first.
        Scene s;
        auto del = std::make_shared<DeleteObject>(s.ws);
        del->start();
        auto other = std::make_shared<DeleteObject>(s.ws);
        s.ws.console().requestEnter(other);
        QVERIFY(s.log->lines.contains(QStringLiteral("Delete: Operation canceled, no selected objects.")));
    }

    void startingWhileWaitingCancelsTheWaitingOneFirst()
    {
        Scene s;
        s.ws.startOperation(4);
        s.log->lines.clear();
        s.ws.startOperation(7);
        QCOMPARE(s.log->lines,
                 (QStringList{QStringLiteral("Delete: Operation canceled."),
                              QStringLiteral("Move: Select the object(s) to be copied and press Enter/Return.")}));
        QVERIFY(std::dynamic_pointer_cast<MoveObject>(s.ws.currentOperation()));
    }

    void unknownIdentifierCancelsTheCurrentOperation()
    {
        Scene s;
        s.ws.startOperation(4);
        s.ws.startOperation(5);
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.lastMessage(), QStringLiteral("Delete: Operation canceled."));
    }

    void selectVolumesAnsweredNoRunsWithoutVolume_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("n") << "n";
        QTest::newRow("No") << "No";
    }

    void selectVolumesAnsweredNoRunsWithoutVolume()
    {
        QFETCH(QString, answer);
        Scene s;
        int notified = 0;
        bool hadVolume = true;
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] {
            ++notified;
            auto op = std::dynamic_pointer_cast<SelectVolumesOperation>(s.ws.currentOperation());
            hadVolume = !op || op->volume() != nullptr;
        };
        s.batchRun = observer;
        s.ws.startOperation(24);
        QCOMPARE(s.lastMessage(), QStringLiteral("Select volumes: Select a cell volume and press Enter/Return. To "
                                                 "start without a cell volume type N and press Enter/Return."));
        QVERIFY(s.ws.selection().isSelectionMode());
        QCOMPARE(notified, 0);
        s.enter(QString()); // Enter alone: still no choice, asked again
        QCOMPARE(notified, 0);
        s.enter(answer);
        QCOMPARE(notified, 1);
        QVERIFY(!hadVolume);
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.undoRedo().undoCount(), size_t(0));
    }

    void selectVolumesTakesTheSelectedVolume()
    {
        Scene s;
        auto volume = std::make_shared<Model::Automaton::TotalVolume>(2, 2, 2, 1, 1, 1, Util::Vector3D(), 0u);
        s.ws.document().addObject(volume);
        s.ws.selection().toggle(s.a);
        s.ws.selection().toggle(volume);
        Model::Automaton::TotalVolumePtr seen;
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] {
            seen = std::dynamic_pointer_cast<SelectVolumesOperation>(s.ws.currentOperation())->volume();
        };
        s.batchRun = observer;
        s.ws.startOperation(24);
        QCOMPARE(observer->count, 1);
        QCOMPARE(seen, volume);
        QVERIFY(s.log->lines.contains(QStringLiteral("Select volumes: Cell volume selected.")));
        QVERIFY(s.ws.pickState().selected().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ObjectOperations)
#include "tst_objectoperations.moc"
