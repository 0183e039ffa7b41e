#include "UI/busyindicator.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>

class tst_BusyIndicator : public QObject {
    Q_OBJECT
private slots:
    void showsWaitCursorAndNamesTheOperation()
    {
        QMainWindow window;
        Ui::BusyIndicator busy(&window);
        QVERIFY(!QApplication::overrideCursor());
        {
            Core::BusyScope scope(std::make_shared<Ui::BusyIndicator>(&window), QStringLiteral("Isotropic Etching"));
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Isotropic Etching: running..."));
        }
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
    }

    void nestedAndUnbalancedCallsKeepOneCursor()
    {
        QMainWindow window;
        Ui::BusyIndicator busy(&window);
        busy.begin(QStringLiteral("Simple RIE"));
        busy.begin(QStringLiteral("Simple RIE"));
        busy.end();
        QVERIFY(QApplication::overrideCursor());
        busy.end();
        QVERIFY(!QApplication::overrideCursor());
        busy.end(); // one too many: ignored
        QVERIFY(!QApplication::overrideCursor());
    }

    void survivesItsWindow()
    {
        auto *window = new QMainWindow;
        Ui::BusyIndicator busy(window);
        delete window;
        busy.begin(QStringLiteral("PVD"));
        QVERIFY(QApplication::overrideCursor());
        busy.end();
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(tst_BusyIndicator)
#include "tst_busyindicator.moc"
