// Long runs: the progress dialog, its Cancel, quick jobs without one, and the busy cursor.
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Console/commandconsole.h"
#include "UI/busyindicator.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationprogressdialog.h"
#include "UI/operationrunner.h"
#include "Util/runcontrol.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "volumetesthelpers.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QStatusBar>
#include <QtTest>

#include <atomic>

namespace {

/// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    std::atomic<int> paints{0};

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class tst_OperationRunner : public QObject {
    Q_OBJECT
private slots:
    void cancelInTheProgressDialogPutsTheVolumeBack()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Core::Workspace &ws = window.presenter()->workspace();
        {
            ModalAnswerer accepter({}, acceptDialog);
            window.action(QStringLiteral("actionCreate_Substrate"))->trigger();
        }
        QCOMPARE(ws.document().allObjects().size(), 1);
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(ws.document().allObjects().first());
        QVERIFY(volume);
        const auto before = cellStates(*volume);
        const QString undoText = window.action(QStringLiteral("actionUndo"))->text();
        const bool redoEnabled = window.action(QStringLiteral("actionRedo"))->isEnabled();

        Ui::OperationRunner &runner = window.presenter()->runner();
        runner.setDialogDelay(0);
        // The engine waits at its third boundary (after its first iteration) until the test lets it go.
        QSemaphore release;
        runner.setControlCallback([&release](Util::RunControl &control) {
            control.setBoundaryCallback([&release](Util::RunControl &c) {
                if (c.boundaries() == 3)
                    release.acquire();
            });
        });
        PaintCounter counter;
        window.view()->installEventFilter(&counter);
        QString title;
        QString label;
        bool cancelEnabled = false;
        int paintsWhileWaiting = -1;
        connect(&runner, &Ui::OperationRunner::progressShown, this, [&](Ui::OperationProgressDialog *dialog) {
            title = dialog->windowTitle();
            cancelEnabled = dialog->cancelButton()->isEnabled();
            // The engine is held: a repaint of the view can only come from the running event loop.
            const int start = counter.paints;
            window.view()->update();
            auto *poll = new QTimer(dialog);
            poll->setInterval(0);
            connect(poll, &QTimer::timeout, dialog, [&, dialog, poll, start] {
                if (counter.paints == start)
                    return;
                poll->stop();
                paintsWhileWaiting = counter.paints - start;
                dialog->cancelButton()->click();
                label = dialog->findChild<QLabel *>(QStringLiteral("lblOperation"))->text();
                release.release();
            });
            poll->start();
        });

        {
            ModalAnswerer accepter({}, acceptDialog);
            window.action(QStringLiteral("actionIsotropic_Deposition"))->trigger();
        }
        runner.setControlCallback({});

        QCOMPARE(title, QStringLiteral("Isotropic Deposition"));
        QVERIFY(cancelEnabled);
        QVERIFY(paintsWhileWaiting > 0);
        QCOMPARE(label, QStringLiteral("Isotropic Deposition: canceling..."));
        QCOMPARE(cellStates(*volume), before);
        QVERIFY(window.presenter()->console()->outputPane()->toPlainText().contains(
            QStringLiteral("Isotropic Deposition: Operation canceled.")));
        QCOMPARE(window.action(QStringLiteral("actionUndo"))->text(), undoText);
        QCOMPARE(window.action(QStringLiteral("actionRedo"))->isEnabled(), redoEnabled);
        QVERIFY(!ws.currentOperation());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!runner.isRunning());
    }

    void aQuickJobShowsNoDialogAndAFailureReachesTheCaller()
    {
        QWidget window;
        Ui::OperationRunner runner(&window);
        runner.setDialogDelay(60 * 60 * 1000);
        int shown = 0;
        connect(&runner, &Ui::OperationRunner::progressShown, this, [&shown] { ++shown; });
        Util::RunControl control;
        bool ran = false;
        runner.run(QStringLiteral("Planarization"), control, [&ran] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(shown, 0);
        try {
            runner.run(QStringLiteral("Simple RIE"), control, [] { throw std::runtime_error("no such layer"); });
            QFAIL("the failure was lost");
        } catch (const std::runtime_error &error) {
            QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("no such layer"));
        }
        QVERIFY(!runner.isRunning());
    }

    void dialogShowsABusyBarUntilATotalIsKnownAndNoCancelWhileItCannotStop()
    {
        Util::RunControl control;
        Ui::OperationProgressDialog dialog(QStringLiteral("CVD"), control);
        QCOMPARE(dialog.progressBar()->maximum(), 0);
        QVERIFY(dialog.cancelButton()->isEnabled());
        control.beginStage(8);
        control.advance(2);
        dialog.refresh();
        QCOMPARE(dialog.progressBar()->maximum(), 1000);
        QCOMPARE(dialog.progressBar()->value(), 250);
        control.setStoppable(false);
        dialog.refresh();
        QVERIFY(!dialog.cancelButton()->isEnabled());
        dialog.reject(); // Escape cannot stop what may not stop
        QVERIFY(!control.stopRequested());
        control.setStoppable(true);
        dialog.refresh();
        dialog.reject();
        QVERIFY(control.stopRequested());
        QVERIFY(!dialog.cancelButton()->isEnabled());
    }

    void busyIndicatorShowsOneWaitCursorAndNamesTheOperation()
    {
        auto window = std::make_unique<QMainWindow>();
        {
            Core::BusyScope scope(std::make_shared<Ui::BusyIndicator>(window.get()), QStringLiteral("Etching"));
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Etching: running..."));
        }
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(window->statusBar()->currentMessage().isEmpty());

        // Nested and unbalanced calls keep one cursor, also when the window has gone.
        Ui::BusyIndicator busy(window.get());
        window.reset();
        busy.begin(QStringLiteral("Simple RIE"));
        busy.begin(QStringLiteral("Simple RIE"));
        busy.end();
        QVERIFY(QApplication::overrideCursor());
        busy.end();
        QVERIFY(!QApplication::overrideCursor());
        busy.end(); // one too many: ignored
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(tst_OperationRunner)
#include "tst_operationrunner.moc"
