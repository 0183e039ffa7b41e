#include "Core/consoleinput.h"
#include "Core/workspace.h"
#include "testoperations.h"

#include <QtTest>

using Core::ConsoleInput;

/// Asks for coordinates and then for a text, recording what arrived.
class AskingOperation : public Core::Operations::Operation {
public:
    AskingOperation(Core::Workspace &ws, QStringList &log) : Operation(ws, QStringLiteral("Ask"), 98), m_log(log) {}
    void start() override
    {
        if (!received) {
            workspace().console().requestCoordinates(shared_from_this(), &point, &received);
            return;
        }
        if (text.isEmpty()) {
            workspace().console().requestText(shared_from_this(), &text);
            return;
        }
        m_log << QStringLiteral("done %1 %2 %3 %4").arg(point.x).arg(point.y).arg(point.z).arg(text);
    }
    void cancel() override { m_log << QStringLiteral("Ask cancel"); }
    void execute() override { m_log << QStringLiteral("Ask execute"); }

    Util::Vector3D point;
    bool received = false;
    QString text;

private:
    QStringList &m_log;
};

class tst_ConsoleInput : public QObject {
    Q_OBJECT
private slots:
    void parsesCoordinates_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("z");
        QTest::newRow("blanks after commas") << "1, 2, 3" << true << 3.0;
        QTest::newRow("no blanks") << "1,2,3" << true << 3.0;
        QTest::newRow("decimals and signs") << "-1.5,2e1, 0.25" << true << 0.25;
        QTest::newRow("blanks only") << "1 2 3" << false << 0.0;
        QTest::newRow("two numbers") << "1, 2" << false << 0.0;
        QTest::newRow("words") << "a, b, c" << false << 0.0;
    }

    void parsesCoordinates()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QFETCH(double, z);
        Util::Vector3D result;
        QCOMPARE(ConsoleInput::parseCoordinates(line, result), ok);
        if (ok)
            QCOMPARE(result.z, z);
    }

    void coordinatesThenTextReachTheRequester()
    {
        Core::Workspace ws;
        QStringList log;
        auto observer = std::make_shared<CountingObserver>();
        ws.console().addObserver(observer);
        auto op = std::make_shared<AskingOperation>(ws, log);
        op->start();
        QCOMPARE(ws.console().requestKind(), ConsoleInput::RequestKind::Coordinates);

        ws.console().handleLine(QStringLiteral("1 2 3"));
        QCOMPARE(ws.console().message(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        QCOMPARE(observer->count, 1);
        QCOMPARE(ws.console().requestKind(), ConsoleInput::RequestKind::Coordinates);
        QVERIFY(!op->received);

        ws.console().handleLine(QStringLiteral("1, 2, 3"));
        QVERIFY(op->received);
        QCOMPARE(ws.console().requestKind(), ConsoleInput::RequestKind::Text);

        ws.console().handleLine(QStringLiteral("hello world"));
        QCOMPARE(log, QStringList{QStringLiteral("done 1 2 3 hello world")});
        QCOMPARE(ws.console().requestKind(), ConsoleInput::RequestKind::None);
        QVERIFY(!ws.console().requester());
    }

    void emptyLineAnswersEnterOnly()
    {
        Core::Workspace ws;
        QStringList log;
        auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Op"), log);
        ws.console().requestEnter(op);
        ws.console().handleLine(QString());
        QCOMPARE(log, (QStringList{QStringLiteral("Op start"), QStringLiteral("Op execute")}));
        QVERIFY(!ws.console().requester());
        // No requester left: a further line is not used.
        ws.console().handleLine(QStringLiteral("x"));
        QCOMPARE(log.size(), 2);
    }

    void replacedRequesterIsExecutedFirst()
    {
        Core::Workspace ws;
        QStringList log;
        auto first = std::make_shared<AskingOperation>(ws, log);
        auto second = std::make_shared<LoggingOperation>(ws, QStringLiteral("Second"), log);
        first->start();
        ws.console().requestEnter(second);
        QCOMPARE(log, QStringList{QStringLiteral("Ask execute")});
        QCOMPARE(ws.console().requester(), Core::Operations::OperationPtr(second));
        QCOMPARE(ws.console().requestKind(), ConsoleInput::RequestKind::None);
    }

    void startingWhileWaitingCancelsTheWaitingOne()
    {
        Core::Workspace ws;
        auto factory = std::make_shared<TestFactory>();
        QStringList log;
        factory->makers[1] = [&] {
            auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log);
            op->waitForEnter = true;
            return op;
        };
        factory->makers[2] = [&] { return std::make_shared<LoggingOperation>(ws, QStringLiteral("B"), log); };
        ws.setOperationFactory(factory);

        ws.startOperation(1);
        QCOMPARE(ws.console().message(), QStringLiteral("A: waiting"));
        QVERIFY(ws.currentOperation());
        ws.startOperation(2);
        QCOMPARE(log, (QStringList{QStringLiteral("A start"), QStringLiteral("A cancel"), QStringLiteral("B start"),
                                   QStringLiteral("B execute")}));
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("B"));
    }

    void unknownIdentifierStartsNothing()
    {
        Core::Workspace ws;
        auto factory = std::make_shared<TestFactory>();
        QStringList log;
        factory->makers[1] = [&] {
            auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log);
            op->waitForEnter = true;
            return op;
        };
        ws.setOperationFactory(factory);
        ws.startOperation(1);
        ws.startOperation(0);
        QCOMPARE(log, (QStringList{QStringLiteral("A start"), QStringLiteral("A cancel")}));
        QVERIFY(!ws.currentOperation());
    }
};

QTEST_GUILESS_MAIN(tst_ConsoleInput)
#include "tst_consoleinput.moc"
