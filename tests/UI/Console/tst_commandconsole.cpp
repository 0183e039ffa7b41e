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
    void historyKeys_data()
    {
        QTest::addColumn<QStringList>("entered");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("shown"); // what the line shows after each key
        const QStringList abc{"A", "B", "C"};
        QTest::newRow("up walks from the oldest and stops at the newest")
            << abc << "UUUU" << QStringList{"A", "B", "C", "C"};
        QTest::newRow("down after that walks back and ends empty")
            << abc << "UUUUDDD" << QStringList{"A", "B", "C", "C", "C", "B", ""};
        QTest::newRow("down at once clears the line") << abc << "D" << QStringList{""};
        QTest::newRow("down stays empty at the oldest") << abc << "UDD" << QStringList{"A", "B", ""};
        QTest::newRow("no history keeps what is typed") << QStringList() << "UD" << QStringList{"typed", "typed"};
    }

    void historyKeys()
    {
        QFETCH(QStringList, entered);
        QFETCH(QString, keys);
        QFETCH(QStringList, shown);
        Core::Workspace ws;
        CommandConsole console(ws.console());
        for (const QString &line : entered)
            type(console, line);
        QCOMPARE(console.history(), entered);
        QCOMPARE(console.inputLine()->text(), QString());
        if (entered.isEmpty())
            console.inputLine()->setText(QStringLiteral("typed"));
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
};

QTEST_MAIN(tst_CommandConsole)
#include "tst_commandconsole.moc"
