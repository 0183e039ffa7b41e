#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Console/commandconsole.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationprogressdialog.h"
#include "mainwindow.h"
#include "testoperations.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

/// Accepts every option dialog that opens while it lives, with its defaults except for the
/// material (when one is given and the dialog has a "cbxMaterial" list). A long run's progress
/// dialog is not one: it goes when the run ends.
class DialogAccepter : public QObject {
public:
    explicit DialogAccepter(uint material = 0)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, material] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog && !qobject_cast<Ui::OperationProgressDialog *>(dialog)) {
                titles << dialog->windowTitle();
                if (auto *box = dialog->findChild<QComboBox *>(QStringLiteral("cbxMaterial")); box && material)
                    box->setCurrentIndex(box->findData(material));
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
        QTest::addColumn<uint>("typeCode");
        QTest::addColumn<bool>("undoable");
        QTest::addColumn<uint>("material"); // 0: the dialog's default
        QTest::newRow("isotropic deposition") << "actionIsotropic_Deposition"
                                              << "Isotropic Film Deposition"
                                              << "Isotropic Deposition" << 13u << true << 0u;
        QTest::newRow("cvd") << "actionCVD"
                             << "Isotropic Film Deposition"
                             << "CVD" << 13u << true << 0u;
        QTest::newRow("isotropic etching") << "actionIsotropic_Film_Etching"
                                           << "Isotropic Film Etching"
                                           << "Isotropic Etching" << 14u << true << 0u;
        QTest::newRow("electroplating") << "actionElectrodeposition"
                                        << "Electroplating Options"
                                        << "Electroplating" << 15u << true << 0u;
        QTest::newRow("anisotropic deposition") << "actionAnisotropic_Deposition"
                                                << "PVD Options"
                                                << "Anisotropic Deposition" << 13u << true << 0u;
        QTest::newRow("anisotropic etching") << "actionAnisotropic_Etching"
                                             << "Dialog"
                                             << "Anisotropic Etching" << 13u << true << 0u;
        QTest::newRow("pvd") << "actionPVD"
                             << "Dialog"
                             << "Isotropic Deposition" << 13u << true << 0u;
        QTest::newRow("simple rie") << "actionSimple_RIE"
                                    << "Simple RIE Options"
                                    << "Simple RIE" << 30u << false << 0u;
        // The substrate is silicon: dope it with N-doped silicon.
        QTest::newRow("doping") << "actionDoping"
                                << "Doping Options"
                                << "Doping" << 17u << true << 14u;
        // The defaults implant 50 below the top of the 30 cells of substrate: the bottom layer.
        QTest::newRow("ion implantation") << "actionIon_Implantation"
                                          << "Ion Implantation Options"
                                          << "Ion Implantation" << 3u << true << 15u;
        QTest::newRow("si oxidation") << "actionSi_Oxidation"
                                      << "Si Oxidation Options"
                                      << "Simple Si Oxidation" << 26u << true << 0u;
        QTest::newRow("BCA wet etch") << "actionBCA_Wet_Etching"
                                      << "Wet Etching Options"
                                      << "BCA Wet Etch" << 28u << true << 0u;
        QTest::newRow("continuous wet etch") << "actionContinuous_Wet_Etching"
                                             << "Wet Etching Options"
                                             << "Continuous Wet Etch" << 29u << true << 0u;
    }
    void eachEntryChangesACreatedSubstrate()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialogTitle);
        QFETCH(QString, name);
        QFETCH(uint, typeCode);
        QFETCH(bool, undoable);
        QFETCH(uint, material);
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
            DialogAccepter accepter(material);
            window.action(action)->trigger();
            QCOMPARE(accepter.titles, QStringList{dialogTitle});
        }
        QVERIFY(window.presenter()->console()->outputPane()->toPlainText().contains(
            name + QStringLiteral(": Operation finished.")));
        const auto after = states(*volume);
        QVERIFY(after != before);
        QVERIFY(redraws->count > 0);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(ws.lastOperation(volume->id()), typeCode);
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
