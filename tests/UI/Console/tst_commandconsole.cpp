#include "Core/workspace.h"
#include "UI/Console/commandconsole.h"
#include "UI/Console/consoleobserver.h"
#include "testoperations.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

using Ui::Console::CommandConsole;

class tst_CommandConsole : public QObject {
    Q_OBJECT
private:
    static void type(CommandConsole &console, const QString &line)
    {
        console.inputLine()->setText(line);
        console.enterPressed();
    }

private slots:
    void windowLayout()
    {
        Core::Workspace ws;
        CommandConsole console(ws.console());
        QCOMPARE(console.windowTitle(), QStringLiteral("Console"));
        QCOMPARE(console.size(), QSize(400, 140));
        QVERIFY(console.outputPane()->isReadOnly());
        QCOMPARE(console.outputPane()->focusPolicy(), Qt::NoFocus);
        QVERIFY(!console.outputPane()->acceptDrops());
        QCOMPARE(console.outputPane()->parentWidget()->geometry(), QRect(10, 10, 390, 130));
    }

    void historyKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("shown");
        // After entering A, B and C.
        QTest::newRow("up walks from the oldest and stops at the newest") << "UUUU" << QStringList{"A", "B", "C", "C"};
        QTest::newRow("down after that walks back and ends empty")
            << "UUUUDDD" << QStringList{"A", "B", "C", "C", "C", "B", ""};
        QTest::newRow("down at once clears the line") << "D" << QStringList{""};
        QTest::newRow("down stays empty at the oldest") << "UDD" << QStringList{"A", "B", ""};
    }

    void historyKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, shown);
        Core::Workspace ws;
        CommandConsole console(ws.console());
        for (const char *line : {"A", "B", "C"})
            type(console, QString::fromLatin1(line));
        QCOMPARE(console.history(), (QStringList{"A", "B", "C"}));
        QCOMPARE(console.inputLine()->text(), QString());
        QStringList seen;
        for (QChar key : keys) {
            if (key == QLatin1Char('U'))
                console.historyUp();
            else
                console.historyDown();
            seen << console.inputLine()->text();
        }
        QCOMPARE(seen, shown);
    }

    void historyKeysOnEmptyHistoryDoNothing()
    {
        Core::Workspace ws;
        CommandConsole console(ws.console());
        console.inputLine()->setText(QStringLiteral("typed"));
        console.historyUp();
        console.historyDown();
        QCOMPARE(console.inputLine()->text(), QStringLiteral("typed"));
    }

    void emptyEnterAnswersAnEnterRequestAndIsNotRemembered()
    {
        Core::Workspace ws;
        QStringList log;
        auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Wait"), log);
        op->waitForEnter = true;
        op->start();
        CommandConsole console(ws.console());
        type(console, QString());
        QCOMPARE(log, (QStringList{"Wait start", "Wait start", "Wait execute"}));
        QVERIFY(console.history().isEmpty());
        QVERIFY(console.outputPane()->toPlainText().isEmpty());
    }

    void enteredLinesAndMessagesReachTheOutputPane()
    {
        Core::Workspace ws;
        CommandConsole console(ws.console());
        auto observer = std::make_shared<Ui::Console::ConsoleObserver>(ws.console());
        ws.console().addObserver(observer);
        connect(observer.get(), &Ui::Console::ConsoleObserver::messageWritten, &console, &CommandConsole::writeMessage);
        QSignalSpy spy(observer.get(), &Ui::Console::ConsoleObserver::messageWritten);
        ws.console().writeMessage(QStringLiteral("first"));
        ws.console().writeMessage(QString()); // empty messages are not shown
        type(console, QStringLiteral("1, 2, 3"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(console.outputPane()->toPlainText(), QStringLiteral("first\n1, 2, 3"));
    }

    void typedCoordinatesReachTheWaitingOperation()
    {
        Core::Workspace ws;
        CommandConsole console(ws.console());
        struct Asking : Core::Operations::Operation {
            explicit Asking(Core::Workspace &w)
                : Operation(w, QStringLiteral("Ask"), 98)
            {
            }
            void start() override
            {
                if (!received)
                    workspace().console().requestCoordinates(shared_from_this(), &point, &received);
            }
            void cancel() override {}
            void execute() override {}
            Util::Vector3D point;
            bool received = false;
        };
        auto op = std::make_shared<Asking>(ws);
        op->start();
        type(console, QStringLiteral("1 2 3"));
        QVERIFY(!op->received);
        QCOMPARE(ws.console().message(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        type(console, QStringLiteral("1,2,3"));
        QVERIFY(op->received);
        QCOMPARE(op->point, Util::Vector3D(1, 2, 3));
    }
};

QTEST_MAIN(tst_CommandConsole)
#include "tst_commandconsole.moc"
