#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Console/commandconsole.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationprogressdialog.h"
#include "mainwindow.h"
#include "testoperations.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

/// Accepts, with its defaults, every option dialog that opens while it lives (a long run's
/// progress dialog is not one: it goes when the run ends).
class DialogAccepter : public QObject {
public:
    DialogAccepter()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog && !qobject_cast<Ui::OperationProgressDialog *>(dialog)) {
                titles << dialog->windowTitle();
                dialog->accept();
            }
        });
        m_timer.start(0);
    }
    QStringList titles;

private:
    QTimer m_timer;
};

std::vector<uint32_t> states(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells()[i].state();
    return result;
}

} // namespace

class tst_ProcessMenus : public QObject {
    Q_OBJECT
private slots:
    void eachEntryChangesACreatedSubstrate_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialogTitle");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("undoable");
        QTest::newRow("isotropic deposition") << "actionIsotropic_Deposition"
                                              << "Isotropic Film Deposition"
                                              << "Isotropic Deposition" << true;
        QTest::newRow("cvd") << "actionCVD"
                             << "Isotropic Film Deposition"
                             << "CVD" << true;
        QTest::newRow("isotropic etching") << "actionIsotropic_Film_Etching"
                                           << "Isotropic Film Etching"
                                           << "Isotropic Etching" << true;
        QTest::newRow("electroplating") << "actionElectrodeposition"
                                        << "Electroplating Options"
                                        << "Electroplating" << true;
        QTest::newRow("anisotropic deposition") << "actionAnisotropic_Deposition"
                                                << "PVD Options"
                                                << "Anisotropic Deposition" << true;
        QTest::newRow("anisotropic etching") << "actionAnisotropic_Etching"
                                             << "Dialog"
                                             << "Anisotropic Etching" << true;
        QTest::newRow("pvd") << "actionPVD"
                             << "Dialog"
                             << "Isotropic Deposition" << true;
        QTest::newRow("simple rie") << "actionSimple_RIE"
                                    << "Simple RIE Options"
                                    << "Simple RIE" << false;
    }
    void eachEntryChangesACreatedSubstrate()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialogTitle);
        QFETCH(QString, name);
        QFETCH(bool, undoable);
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        {
            DialogAccepter accepter;
            window.action(QStringLiteral("actionCreate_Substrate"))->trigger();
            QCOMPARE(accepter.titles.size(), 1);
        }
        QCOMPARE(ws.document().allObjects().size(), 1);
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(ws.document().allObjects().first());
        QVERIFY(volume);
        const auto before = states(*volume);
        auto redraws = std::make_shared<CountingObserver>();
        ws.addUpdateObserver(redraws);

        QVERIFY(window.action(action)->isEnabled());
        {
            DialogAccepter accepter;
            window.action(action)->trigger();
            QCOMPARE(accepter.titles, QStringList{dialogTitle});
        }
        QVERIFY(window.presenter()->console()->outputPane()->toPlainText().contains(
            name + QStringLiteral(": Operation finished.")));
        const auto after = states(*volume);
        QVERIFY(after != before);
        QVERIFY(redraws->count > 0);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(ws.lastOperation(volume->id()), name == QLatin1String("Simple RIE")          ? 30u
                                                 : name == QLatin1String("Isotropic Etching") ? 14u
                                                 : name == QLatin1String("Electroplating")    ? 15u
                                                                                              : 13u);
        if (!undoable) {
            QCOMPARE(window.action(QStringLiteral("actionUndo"))->text(), QStringLiteral("Undo Create Substrate"));
            return;
        }
        QCOMPARE(window.action(QStringLiteral("actionUndo"))->text(), QStringLiteral("Undo ") + name);
        window.action(QStringLiteral("actionUndo"))->trigger();
        QVERIFY(states(*volume) == before);
        window.action(QStringLiteral("actionRedo"))->trigger();
        QVERIFY(states(*volume) == after);
    }
};

QTEST_MAIN(tst_ProcessMenus)
#include "tst_processmenus.moc"
