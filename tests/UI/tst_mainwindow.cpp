#include "mainwindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

class tst_MainWindow : public QObject {
    Q_OBJECT
private slots:
    void menusComeInOrder()
    {
        MainWindow window;
        QStringList titles;
        for (QAction *menuAction : window.menuBar()->actions())
            titles << menuAction->text();
        QCOMPARE(titles, (QStringList{"File", "Edit", "Simulation", "Materials", "Rendering", "View", "Windows",
                                      "About"}));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge"));
    }

    void fileMenuHoldsItsActionsAndSeparators()
    {
        MainWindow window;
        QMenu *file = window.menuBar()->actions().first()->menu();
        QStringList names;
        for (QAction *a : file->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(names, (QStringList{"actionNew", "actionOpen", "actionSave", "actionSave_as", "-",
                                     "actionExport_Data", "-", "actionNew_Process_List", "actionOpen_Process_List",
                                     "-", "actionSave_Image", "-", "actionExit"}));
    }

    void shortcutsAndIdentifiers()
    {
        MainWindow window;
        QCOMPARE(window.action("actionBatch_Run")->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(window.action("actionSave_as")->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QCOMPARE(window.action("actionSpin_Coating")->text(), QStringLiteral("Pour Material"));
        QCOMPARE(MainWindow::operationIdentifier("actionCVD"), 33u);
        QCOMPARE(MainWindow::operationIdentifier("actionModel_Extraction"), 1000u);
        QCOMPARE(MainWindow::operationIdentifier("actionUndo"), 0u);
        QVERIFY(window.action("actionModel_Extraction"));
        QVERIFY(window.action("actionExit")->isEnabled());
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
